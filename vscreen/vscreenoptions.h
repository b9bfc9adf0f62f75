#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace krn::vscreen {

enum class AnswerMode { Ack, Silent, Nak, Garbage };

// The command line of the virtual screen.
struct VScreenOptions {
    quint8 screen = 1;
    QString link; // symlink to the device, empty for none
    AnswerMode mode = AnswerMode::Ack;
    int delayMs = 0;           // wait before answering (or hanging up)
    int stopAfter = -1;        // answer only the first K frames; -1 always
    int hangupAfter = -1;      // close the pty on the K-th frame; -1 never
    bool broadcastAck = false; // answer frames to screen 255 too
    QString glyphsPng;
    QString glyphsText;

    // arguments start with the program name. When the program should not run,
    // returns nothing and puts the reason in *error - or, for --help and
    // --version, the text to print, with *helpShown set.
    static std::optional<VScreenOptions> parse(const QStringList& arguments, QString* error,
                                               bool* helpShown);
};

} // namespace krn::vscreen
