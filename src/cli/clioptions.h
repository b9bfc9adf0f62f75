#pragma once

#include "commands/command.h"
#include "core/message.h"
#include "strings/stringtable.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace krn::cli {

enum class CliCommand {
    Ports,
    Reset,
    Speed,
    Number,
    Panel,
    Hardware,
    Clock,
    Find,
    Plan,       // a site file: what would be sent
    Apply,      // a site file: send it
    Commission, // a site file: factory-fresh controllers, one at a time
};

// The command's name on the command line ("reset", "find"...).
QString commandWord(CliCommand command);
// The controller command a command of the tool sends, if it sends one.
std::optional<Command> engineCommand(CliCommand command);

// Everything the command line says, every value already checked. Values left
// unset come from krntools.ini (or, for a site file, from its rows).
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

    // hardware: list positions, and the wiring count itself (2, 4, 8 or 16)
    bool password = false; // the right one was given
    std::optional<qint32> oe;
    std::optional<qint32> byteOrder;
    std::optional<qint32> invert;
    std::optional<qint32> wraps;
    std::optional<qint32> wrapMode;

    // clock
    std::optional<qint32> clockLanguage; // 0 Chinese clock, 1 English clock
    QString clockFont;
    std::optional<double> clockSize; // points, as the font dialog takes them

    // find
    QList<qint32> findSpeeds{LineSpeeds.begin(), LineSpeeds.end()};
    QList<qint32> findScreens; // 0..254 unless given
    std::optional<qint32> probeWaitMs;
    bool first = false;

    // site files
    QString siteFile;
    std::optional<QList<qint32>> rows; // row numbers as a spreadsheet shows them
    std::optional<qint32> jobs;        // lines open at once
    QString reportFile;
    bool next = false; // commission: one row, then end
};

struct ParseResult {
    std::optional<CliOptions> options; // set when the line can run
    Message error;                     // otherwise: names the option and the value
    // --lang, when it was given and valid, so the error can be told in it.
    std::optional<strings::Language> language;
};

// `arguments` without the program name.
ParseResult parseCommandLine(const QStringList& arguments);

} // namespace krn::cli
