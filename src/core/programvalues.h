#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace krn {

// The link's record of the last command, written by the link alone. Widths
// follow the values the controller protocol was built around.
struct LinkState {
    qint32 ScreenNumber = 0;  // header byte 3; 255 addresses every screen
    qint32 PortNumber = 0;    // serial-port list index + 1 (0 = nothing selected)
    qint32 BaudRate = 0;      // bit/s
    qint32 FrameSequence = 0; // rolling 0..255, header byte 4 of the next frame
    qint16 BusyFlag = 0;      // outcome, not a lock: 1 while opening/sending and after a failure
    QByteArray LastReply;     // last batch of reply bytes read
};

// Everything the program keeps for the whole run, zero/empty at start.
struct ProgramValues {
    LinkState link;
    bool UiReady = false;     // list handlers do nothing while false
    qint32 ClockLanguage = 0; // 0 Chinese clock, anything else English clock
    QString ClockFontName;    // face of the clock font
    qint16 ClockFontSize = 0; // points
};

} // namespace krn
