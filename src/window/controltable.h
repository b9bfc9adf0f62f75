#pragma once

#include <QRect>
#include <array>
#include <span>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace krn {

enum class Kind {
    Frame,         // captioned group box
    Label,         // static text
    List,          // drop-down list, selection only
    EditableList,  // drop-down box whose text can be typed
    Button,        // command button with a caption
    PictureButton, // command button that shows an icon and no caption
    PasswordBox,   // single-line text box echoing '*'
    PictureBox,    // hidden font holder of the glyph canvas
};

enum class Start { Shown, Hidden, Disabled };

// One control of the window. Names are written as the rest of the program
// refers to them ("ComboNo(2)", "LabTime"); a container is "window" or the name
// of a frame listed above it. Positions are in twips within the container.
struct ControlRow {
    const char* container;
    const char* control;
    Kind kind;
    Start start;
    const char16_t* caption;
    int left;
    int top;
    int width;
    int height;
    int tab;
};

inline constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips + TwipsPerPixel / 2) / TwipsPerPixel;
}

QRect pixelRect(const ControlRow& row);

// Every control of the window, in creation order (a frame comes before the
// controls it holds).
std::span<const ControlRow> controlTable();

// The window's controls, addressed the way the handlers address them.
struct Controls {
    std::array<QGroupBox*, 5> FrameNo{};
    std::array<QPushButton*, 10> CmdOk{};
    std::array<QComboBox*, 11> ComboNo{};
    std::array<QLabel*, 10> LabelName{};
    std::array<QComboBox*, 5> ComboNoNo{};
    std::array<QLabel*, 5> LabNoNo{};
    QGroupBox* FramePass = nullptr;
    QLineEdit* TextPass = nullptr;
    QLabel* LabTime = nullptr;
    QWidget* PicFont = nullptr;
};

// Creates every control of the table inside `form`, with its caption,
// geometry, look, visibility and tab order. Object names are the table's
// control names.
Controls buildControls(QWidget& form);

} // namespace krn
