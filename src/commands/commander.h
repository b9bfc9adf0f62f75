#pragma once

#include "core/eventpump.h"
#include "core/messages.h"
#include "core/programvalues.h"
#include "formsnapshot.h"

#include <QFont>

namespace krn {

class Link;
class ProfileFile;

// Runs the controller commands behind the buttons: opens the link, builds the
// payload, sends, closes, reports.
class Commander {
public:
    Commander(ProgramValues& values, Link& link, ProfileFile& settings, MessageSink& boxes,
              EventPump& pump);

    // One command button (1, 3, 4, 5, 7, 8, 9). Returns true when the command
    // was delivered and the success message has been shown; the window then
    // keeps its link lists in step (indices 3 and 9). A delivered clock
    // download (4) has already stored the clock settings.
    bool Send_Function(int index, const FormSnapshot& form, const QFont& clockFont);

    // True while a command is on the wire; the window ignores command buttons
    // then, so two commands never interleave their frames.
    bool running() const { return m_running; }

    // The buttons that send something to the screen.
    static bool isCommand(int index);

private:
    ProgramValues& m_values;
    Link& m_link;
    ProfileFile& m_settings;
    MessageSink& m_boxes;
    EventPump& m_pump;
    bool m_running = false;
};

} // namespace krn
