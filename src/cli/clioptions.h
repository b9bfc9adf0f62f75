#pragma once

#include "strings/stringtable.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <optional>

namespace krn::cli {

enum class CliCommand { Ports, Reset, Speed, Number, Panel, Hardware, Clock, Find };

// The command's name on the command line ("reset", "find"...).
QString commandWord(CliCommand command);

// The speeds the screens know, in the order of the window's speed list.
inline constexpr std::array<qint32, 4> LineSpeeds{9600, 19200, 38400, 57600};

// A command line that cannot be run: a text of the table and its arguments,
// which name the option and the value given.
struct UsageError {
    quint16 id = 0;
    QStringList args;

    QString text(strings::Language language) const;
};

// Everything the command line says, every value already checked. Values left
// unset come from krntools.ini.
struct CliOptions {
    CliCommand command = CliCommand::Reset;
    bool help = false;
    bool version = false;

    // The line.
    std::optional<qint32> portNumber; // --port N
    QString device;                   // --port DEVICE
    std::optional<qint32> speed;
    std::optional<QList<qint32>> screens;
    QString screensText; // --screen as given, for messages
    QString iniFile;
    QString logFile;
    bool json = false;
    bool dryRun = false;
    std::optional<strings::Language> language;

    qint32 newSpeed = 0;  // speed NEW, bit/s
    qint32 newScreen = 0; // number NEW

    // panel
    std::optional<qint32> width;
    std::optional<qint32> height;
    std::optional<qint32> colourPosition; // 0 dual, 1 single
    std::optional<qint32> scanPosition;

    // hardware: OE polarity, byte order, inversion positions, the wraps
    // count (2, 4, 8 or 16), the wrap-mode position.
    std::array<qint32, 5> hardware{};

    // clock
    std::optional<qint32> clockLanguage; // 0 Chinese clock, 1 English clock
    QString clockFont;
    std::optional<qint32> clockSize;

    // find
    QList<qint32> findSpeeds{LineSpeeds.begin(), LineSpeeds.end()};
    QList<qint32> findScreens; // 0..254 unless given
    std::optional<qint32> probeWaitMs;
    bool first = false;
};

struct ParseResult {
    std::optional<CliOptions> options; // set when the line can run
    UsageError error;                  // otherwise
    // --lang, when it was given and valid, so the error can be told in it.
    std::optional<strings::Language> language;
};

// `arguments` without the program name.
ParseResult parseCommandLine(const QStringList& arguments);

} // namespace krn::cli
