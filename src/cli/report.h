#pragma once

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
    Found, // the screen finder: something answered here
};

// The word scripts read in the JSON "outcome" field.
QString outcomeKey(TargetOutcome outcome);

// One screen's result (a command sent to it, or a screen found).
struct TargetReport {
    qint32 screen = 0;
    qint32 speed = 0;
    QString command; // "reset", "find"...
    TargetOutcome outcome = TargetOutcome::Delivered;
    quint32 ms = 0;
    QByteArray reply; // what came back
    QString detail;   // the engine's words for it, in the chosen language

    bool delivered() const
    {
        return outcome == TargetOutcome::Delivered || outcome == TargetOutcome::Found;
    }
};

// "AA BB CC".
QString hexBytes(const QByteArray& bytes);

// One line per target in `language`.
QString textLine(const TargetReport& report, strings::Language language);
// One JSON object: screen, speed, command, outcome, ms, message, and the
// reply bytes when refused or found.
QByteArray jsonLine(const TargetReport& report);

// After a batch: how many were delivered, and which screens were not.
QString summaryText(const QList<TargetReport>& reports, strings::Language language);
QByteArray summaryJson(const QList<TargetReport>& reports);

// The screen finder's result line and summary.
QString foundLine(const TargetReport& report, strings::Language language);
QString finderSummaryText(const QList<TargetReport>& found, strings::Language language);

// Process exit statuses.
enum ExitStatus : int {
    ExitDelivered = 0,    // every target delivered
    ExitNotDelivered = 1, // a target did not answer or refused (or nothing was found)
    ExitUsage = 2,        // nothing was sent
    ExitOpenFailed = 3,   // the port could not be opened
};

// The status of a batch: 3 when the line could not be opened, 1 when any
// target failed otherwise (or there were none), 0 when all were delivered.
ExitStatus exitStatusFor(const QList<TargetReport>& reports);

} // namespace krn::cli
