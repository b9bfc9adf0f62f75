#pragma once

#include <QByteArray>
#include <QFont>
#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

namespace krn {

// The controller commands.
enum class Command {
    Find,            // is a screen listening at this number?
    NewLineSpeed,    // the screen changes its line speed
    ClockDownload,   // the clock's glyph table, many frames
    HardwareOptions, // signal polarity, byte order, wiring
    Panel,           // panel geometry, colour and scan mode
    Reset,
    NewScreenNumber,
};

// The password that unlocks the hardware options, in the window and on the
// command line alike.
inline const QString HardwarePassword = QStringLiteral("427163");

// The speeds the screens know, in the order of the speed lists: the new
// line speed travels as its position here.
inline constexpr std::array<qint32, 4> LineSpeeds{9600, 19200, 38400, 57600};
// A panel side travels in two bytes.
inline constexpr qint32 LargestPanelSide = 65535;
// The wiring counts the controllers take, and how many wiring modes.
inline constexpr std::array<qint32, 4> WiringCounts{2, 4, 8, 16};
inline constexpr int WiringModes = 9;
// The largest clock font size a font dialog offers.
inline constexpr double LargestClockPoints = 1638;

// What the front end does after a command was delivered.
enum class FollowUp {
    None,
    SpeedFollows,  // the screen now listens at the new speed
    ScreenFollows, // the screen now answers to the new number
    ClockStored,   // the clock keys have been written (by the engine)
};

// Panel geometry as the controller takes it.
struct PanelGeometry {
    qint32 width = 128;     // 0..65535
    qint32 height = 16;     // 0..65535
    int colourPosition = 0; // colour list position: 0 two-colour, 1 single-colour
    int scanPosition = 0;
};

// Hardware signal options: list positions, and the wiring count as a number.
struct HardwareOptions {
    int oePosition = 0;
    int byteOrderPosition = 0;
    int invertPosition = 0;
    qint32 wraps = 0; // 0..255
    int wrapModePosition = 0;
};

// The clock download: which clock, drawn in which font.
struct ClockRequest {
    qint32 language = 0;      // 0 Chinese clock, anything else English
    int languagePosition = 0; // stored as Send_Time when delivered
    QFont font;               // the font the glyphs are drawn with
    QString fontName;         // the face stored as Send_TimeFont (may differ from font.family())
    qint16 fontSize = 12;     // stored as Send_TimeSize
};

// The values a command sends, already checked. Only the member of the
// command at hand is read.
struct CommandValues {
    int newSpeedPosition = 0; // position in the speed list: 0 = 9600 ... 3 = 57600
    qint32 newScreen = 0;     // 0..255
    PanelGeometry panel;
    HardwareOptions hardware;
    ClockRequest clock;
};

// One command as the table holds it.
struct CommandInfo {
    Command command;
    quint8 code;   // header byte 5
    qint32 length; // data bytes of its frame (the clock: per frame)
    FollowUp followUp;
    // The data bytes of its single frame (empty for the clock download,
    // whose frames are drawn as they go). Throws krn::Failure when a value
    // does not fit its byte.
    QByteArray (*payload)(const CommandValues& values);
};

const CommandInfo& commandInfo(Command command);

// The payload of a single-frame command; see CommandInfo::payload.
QByteArray buildPayload(Command command, const CommandValues& values);

// Name of the command for logs and the command line ("reset", "panel"...).
const char* commandName(Command command);
std::optional<Command> commandFromCode(quint8 code);

// The controller's colour code for a position of the colour list: the first
// entry is two-colour (1), anything else single-colour (0). The list has no
// third entry.
quint8 colourCode(int position);

} // namespace krn
