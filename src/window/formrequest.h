#pragma once

#include "commands/commander.h"

#include <QFont>
#include <QString>
#include <array>
#include <optional>

namespace krn {

// What the window's lists show when a command button is pressed. Positions are
// 0-based, -1 when nothing is selected.
struct FormSnapshot {
    int portListIndex = -1;         // serial port list
    QString baudText;               // line speed list
    QString screenText;             // screen number list
    int colourPosition = -1;        // colour mode list
    QString widthText;              // panel width box
    QString heightText;             // panel height box
    int newBaudPosition = -1;       // new line speed list
    int clockLanguagePosition = -1; // clock language list
    int scanPosition = -1;          // scan mode list
    QString newScreenText;          // new screen number list
    std::array<int, 5> hardwarePositions{-1, -1, -1, -1, -1};
    QString wiringCountText; // text of the fourth hardware list
};

// The clock as the window holds it.
struct ClockChoice {
    qint32 language = 0; // what the clock-language list last set
    QFont font;          // the glyph canvas's font
    QString fontName;    // the face the program holds (stored after a download)
    qint16 fontSize = 12;
};

// The command behind a button, if it sends one: 1 find, 3 new line speed,
// 4 clock download, 5 hardware options, 7 panel, 8 reset, 9 new screen number.
std::optional<Command> commandForButton(int index);

// The edge between display texts and typed values. The line speed and screen
// number are read first and throw krn::Failure when they do not fit; a value
// of the command itself that does not fit is carried in the request, to be
// reported once the line is open. Only the command's own values are read.
CommandRequest requestFrom(Command command, const FormSnapshot& form, const ClockChoice& clock);

} // namespace krn
