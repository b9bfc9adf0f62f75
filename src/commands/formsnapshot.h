#pragma once

#include <QString>
#include <array>

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

} // namespace krn
