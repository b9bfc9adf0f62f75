#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace krn::vscreen {

enum class AnswerMode { Ack, Silent, Nak, Garbage };

// One controller on the line: the number it starts with and how it answers.
struct ScreenSetup {
    quint8 number = 1;
    AnswerMode mode = AnswerMode::Ack;
};

// The command line of the virtual screen.
struct VScreenOptions {
    std::vector<ScreenSetup> screens{ScreenSetup{}};
    QString link;                      // symlink to the device, empty for none
    AnswerMode mode = AnswerMode::Ack; // for the screens that name no mode of their own
    int delayMs = 0;                   // wait before answering (or hanging up)
    int stopAfter = -1;                // answer only the first K frames; -1 always
    int hangupAfter = -1;              // close the pty on the K-th frame; -1 never
    bool broadcastAck = false;         // answer frames to screen 255 too
    int speed = 0;                     // bit/s the screens listen at; 0 whatever the client sets
    bool pace = false;                 // answer when a real line would have brought the answer
    bool pty = true;
    std::optional<QHostAddress> listenHost; // listen on TCP too
    quint16 listenPort = 0;                 // 0 takes a free port
    QString glyphsPng;
    QString glyphsText;

    // arguments start with the program name. When the program should not run,
    // returns nothing and puts the reason in *error - or, for --help and
    // --version, the text to print, with *helpShown set.
    static std::optional<VScreenOptions> parse(const QStringList& arguments, QString* error,
                                               bool* helpShown);
};

} // namespace krn::vscreen
