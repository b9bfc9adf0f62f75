#pragma once

#include "commands/linework.h"
#include "strings/stringtable.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace krn::cli {

// How one target fared, as the tool reports it.
enum class TargetOutcome {
    Delivered,
    NoAnswer,
    Refused,
    LineFault,
    OpenFailed,
    InvalidValue,
    Interrupted, // stopped by a signal before its last frame
    Found,       // the screen finder: a screen answered here, and confirmed it
};

// The word scripts read in the JSON "outcome" field.
QString outcomeKey(TargetOutcome outcome);

// One screen's result (a command sent to it, or a screen found).
struct TargetReport {
    qint32 screen = 0;
    qint32 speed = 0; // bit/s; 0: a device server's own, which the tool did not set
    QString command;  // "reset", "find"...
    TargetOutcome outcome = TargetOutcome::Delivered;
    quint32 ms = 0;
    QByteArray reply;      // the first bytes that came back
    qint64 replyBytes = 0; // all of them
    QString detail;        // the engine's words for it, in the chosen language, one line

    bool delivered() const
    {
        return outcome == TargetOutcome::Delivered || outcome == TargetOutcome::Found;
    }
};

// What a command's outcome says, as the tool tells it: text and JSON alike.
TargetReport targetReport(qint32 screen, qint32 speed, const QString& command,
                          const Outcome& outcome, strings::Language language);

// "AA BB CC", and "(+N bytes)" when more came than was kept.
QString hexBytes(const QByteArray& bytes, qint64 total = -1);

// One line per target in `language`.
QString textLine(const TargetReport& report, strings::Language language);
// One JSON object: screen, speed (null for a device server's own), command,
// outcome, ms, message, and the reply bytes with their count when any came
// that were not an acknowledgement.
QByteArray jsonLine(const TargetReport& report);

// A line that did not open: one line, no screen, whatever the screens were.
QString openFailedText(const QString& address, const QString& why, strings::Language language);
QByteArray openFailedJson(const QString& address, const QString& why);

// After a batch: how many were delivered, and which screens were not. An
// interrupted batch says how far it got.
QString summaryText(const QList<TargetReport>& reports, strings::Language language,
                    qsizetype wanted = -1, bool interrupted = false);
QByteArray summaryJson(const QList<TargetReport>& reports, bool interrupted = false);

// The screen finder's result line and summary.
QString foundLine(const TargetReport& report, strings::Language language);
QString finderSummaryText(const QList<TargetReport>& found, strings::Language language,
                          bool interrupted = false);

// Process exit statuses.
enum ExitStatus : int {
    ExitDelivered = 0,    // every target delivered
    ExitNotDelivered = 1, // a target did not answer or refused (or nothing was found)
    ExitUsage = 2,        // nothing was sent
    ExitOpenFailed = 3,   // the port could not be opened
};

// The status of a batch: 1 when any target failed (or there were none), 0
// when all were delivered.
ExitStatus exitStatusFor(const QList<TargetReport>& reports);
// 128 + the signal that stopped the run (130 for SIGINT, 143 for SIGTERM).
int interruptedStatus(int signal);

} // namespace krn::cli
