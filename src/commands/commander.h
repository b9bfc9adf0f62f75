#pragma once

#include "command.h"
#include "core/eventpump.h"
#include "link/link.h"
#include "outcome.h"

#include <atomic>
#include <optional>

namespace krn {

// A command as the front end asks for it: the line, the screen, the values.
// A value the front end could not read is carried as `valueFault` and
// reported once the line is open, where the operator has always seen it.
struct CommandRequest {
    Command command = Command::Reset;
    LinkTarget target;
    CommandValues values;
    std::optional<Message> valueFault;
};

// Runs the controller commands: opens the line, builds the payload, sends,
// closes, and says how it went. Shows nothing and stores nothing: what a
// delivered command leaves in the settings (the clock keys) is written by the
// front end once it has told the operator; `settings` is not used.
class Commander {
public:
    Commander(Link& link, EventPump& pump);

    // One command on its own line connection, as a button runs it.
    Outcome Send_Function(const CommandRequest& request);

    // One command on a line the caller has opened (a batch of screens, the
    // screen finder).
    Outcome execute(Command command, qint32 screen, const CommandValues& values);

    // True while a command is on the line.
    bool running() const { return m_running; }

    Link& link() { return m_link; }

    // A stop asked for from outside (a signal): a clock download ends after
    // the frame on the line. Absent: never.
    void setStop(const std::atomic<bool>* stop) { m_stop = stop; }

private:
    Outcome sendClock(qint32 screen, const ClockRequest& clock);

    Link& m_link;
    EventPump& m_pump;
    bool m_running = false;
    const std::atomic<bool>* m_stop = nullptr;
};

} // namespace krn
