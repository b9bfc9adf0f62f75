#include "report.h"

#include "commands/screenfinder.h"
#include "numberlist.h"
#include "strings/toolids.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace krn::cli {

QString outcomeKey(TargetOutcome outcome)
{
    switch (outcome) {
    case TargetOutcome::Delivered:
        return QStringLiteral("delivered");
    case TargetOutcome::NoAnswer:
        return QStringLiteral("no-answer");
    case TargetOutcome::Refused:
        return QStringLiteral("refused");
    case TargetOutcome::LineFault:
        return QStringLiteral("line-fault");
    case TargetOutcome::OpenFailed:
        return QStringLiteral("open-failed");
    case TargetOutcome::InvalidValue:
        return QStringLiteral("invalid-value");
    case TargetOutcome::Interrupted:
        return QStringLiteral("interrupted");
    case TargetOutcome::Found:
        return QStringLiteral("found");
    }
    return {};
}

QString hexBytes(const QByteArray& bytes, qint64 total)
{
    QString hex = QString::fromLatin1(bytes.toHex(' ').toUpper());
    if (total > bytes.size())
        hex += QStringLiteral(" (+%1 bytes)").arg(total - bytes.size());
    return hex;
}

TargetReport targetReport(qint32 screen, qint32 speed, const QString& command,
                          const Outcome& outcome, strings::Language language)
{
    TargetReport r{screen,
                   speed,
                   command,
                   TargetOutcome::LineFault,
                   outcome.ms,
                   outcome.reply,
                   outcome.replyBytes,
                   {}};
    switch (outcome.kind) {
    case OutcomeKind::Delivered:
        r.outcome = TargetOutcome::Delivered;
        break;
    case OutcomeKind::NoAnswer:
        r.outcome = TargetOutcome::NoAnswer;
        break;
    case OutcomeKind::Refused:
        r.outcome = TargetOutcome::Refused;
        break;
    case OutcomeKind::OpenFailed:
        r.outcome = TargetOutcome::OpenFailed;
        break;
    case OutcomeKind::InvalidValue:
        r.outcome = TargetOutcome::InvalidValue;
        break;
    case OutcomeKind::Interrupted:
        r.outcome = TargetOutcome::Interrupted;
        break;
    case OutcomeKind::LineFault:
    case OutcomeKind::Busy:
        break;
    }
    // The engine's words may hold line breaks meant for a box; a report is one line.
    r.detail = strings::render(reportMessage(outcome), language).simplified();
    return r;
}

QString textLine(const TargetReport& r, strings::Language language)
{
    // One multi-argument call, so a '%' in the detail is never taken as a place.
    return strings::load(strings::TargetLine, language)
        .arg(QString::number(r.screen), strings::speedText(r.speed, language), r.command, r.detail,
             QString::number(r.ms));
}

QByteArray jsonLine(const TargetReport& r)
{
    QJsonObject o{
        {QStringLiteral("screen"), r.screen},
        {QStringLiteral("speed"), r.speed > 0 ? QJsonValue(r.speed) : QJsonValue()},
        {QStringLiteral("command"), r.command},
        {QStringLiteral("outcome"), outcomeKey(r.outcome)},
        {QStringLiteral("ms"), qint64(r.ms)},
    };
    if (!r.reply.isEmpty() && r.outcome != TargetOutcome::Delivered) {
        o.insert(QStringLiteral("reply"), hexBytes(r.reply));
        o.insert(QStringLiteral("reply_bytes"), std::max(r.replyBytes, qint64(r.reply.size())));
    }
    if (!r.detail.isEmpty())
        o.insert(QStringLiteral("message"), r.detail);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString openFailedText(const QString& address, const QString& why, strings::Language language)
{
    return strings::load(strings::LineNotOpened, language).arg(address, why);
}

QByteArray openFailedJson(const QString& address, const QString& why)
{
    const QJsonObject o{{QStringLiteral("port"), address},
                        {QStringLiteral("outcome"), outcomeKey(TargetOutcome::OpenFailed)},
                        {QStringLiteral("message"), why}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

namespace {
QList<qint32> failedScreens(const QList<TargetReport>& reports)
{
    QList<qint32> failed;
    for (const TargetReport& r : reports)
        if (!r.delivered())
            failed << r.screen;
    return failed;
}
} // namespace

QString summaryText(const QList<TargetReport>& reports, strings::Language language,
                    qsizetype wanted, bool interrupted)
{
    const QList<qint32> failed = failedScreens(reports);
    const qsizetype done = reports.size() - failed.size();
    if (interrupted)
        return strings::load(strings::InterruptedSummary, language)
            .arg(QString::number(done), QString::number(std::max(wanted, reports.size())));
    if (failed.isEmpty())
        return strings::load(strings::SummaryAllDelivered, language).arg(reports.size());
    return strings::load(strings::SummaryNotDelivered, language)
        .arg(QString::number(reports.size()), QString::number(done), compactList(failed));
}

QByteArray summaryJson(const QList<TargetReport>& reports, bool interrupted)
{
    const QList<qint32> failed = failedScreens(reports);
    QJsonArray list;
    for (qint32 s : failed)
        list.append(s);
    QJsonObject o{
        {QStringLiteral("summary"), true},
        {QStringLiteral("targets"), reports.size()},
        {QStringLiteral("delivered"), reports.size() - failed.size()},
        {QStringLiteral("failed"), list},
    };
    if (interrupted)
        o.insert(QStringLiteral("interrupted"), true);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString foundLine(const TargetReport& r, strings::Language language)
{
    return strings::render(foundMessage(FoundScreen{r.speed, r.screen, r.reply, r.ms}), language);
}

QString finderSummaryText(const QList<TargetReport>& found, strings::Language language,
                          bool interrupted)
{
    if (interrupted)
        return strings::load(strings::FinderInterrupted, language).arg(found.size());
    if (found.isEmpty())
        return strings::load(strings::FinderNothingFound, language);
    return strings::load(strings::FinderSummary, language).arg(found.size());
}

ExitStatus exitStatusFor(const QList<TargetReport>& reports)
{
    if (reports.isEmpty())
        return ExitNotDelivered;
    for (const TargetReport& r : reports)
        if (!r.delivered())
            return ExitNotDelivered;
    return ExitDelivered;
}

int interruptedStatus(int signal)
{
    return 128 + signal;
}

} // namespace krn::cli
