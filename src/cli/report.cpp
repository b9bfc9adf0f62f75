#include "report.h"

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
    case TargetOutcome::Found:
        return QStringLiteral("found");
    }
    return {};
}

QString hexBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString textLine(const TargetReport& r, strings::Language language)
{
    QString detail = r.detail;
    if (r.outcome == TargetOutcome::Refused)
        detail = strings::load(strings::RefusedReply, language).arg(hexBytes(r.reply));
    // One multi-argument call, so a '%' in the detail is never taken as a place.
    return strings::load(strings::TargetLine, language)
        .arg(QString::number(r.screen), QString::number(r.speed), r.command, detail,
             QString::number(r.ms));
}

QByteArray jsonLine(const TargetReport& r)
{
    QJsonObject o{
        {QStringLiteral("screen"), r.screen},   {QStringLiteral("speed"), r.speed},
        {QStringLiteral("command"), r.command}, {QStringLiteral("outcome"), outcomeKey(r.outcome)},
        {QStringLiteral("ms"), qint64(r.ms)},
    };
    if (r.outcome == TargetOutcome::Refused || r.outcome == TargetOutcome::Found)
        o.insert(QStringLiteral("reply"), hexBytes(r.reply));
    if (!r.detail.isEmpty())
        o.insert(QStringLiteral("message"), r.detail);
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

QString summaryText(const QList<TargetReport>& reports, strings::Language language)
{
    const QList<qint32> failed = failedScreens(reports);
    if (failed.isEmpty())
        return strings::load(strings::SummaryAllDelivered, language).arg(reports.size());
    return strings::load(strings::SummaryNotDelivered, language)
        .arg(QString::number(reports.size()), QString::number(reports.size() - failed.size()),
             compactList(failed));
}

QByteArray summaryJson(const QList<TargetReport>& reports)
{
    const QList<qint32> failed = failedScreens(reports);
    QJsonArray list;
    for (qint32 s : failed)
        list.append(s);
    const QJsonObject o{
        {QStringLiteral("summary"), true},
        {QStringLiteral("targets"), reports.size()},
        {QStringLiteral("delivered"), reports.size() - failed.size()},
        {QStringLiteral("failed"), list},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString foundLine(const TargetReport& r, strings::Language language)
{
    return strings::load(strings::FinderFound, language)
        .arg(QString::number(r.screen), QString::number(r.speed), QString::number(r.ms),
             hexBytes(r.reply));
}

QString finderSummaryText(const QList<TargetReport>& found, strings::Language language)
{
    if (found.isEmpty())
        return strings::load(strings::FinderNothingFound, language);
    return strings::load(strings::FinderSummary, language).arg(found.size());
}

ExitStatus exitStatusFor(const QList<TargetReport>& reports)
{
    if (reports.isEmpty())
        return ExitNotDelivered;
    bool allDelivered = true;
    for (const TargetReport& r : reports) {
        if (r.outcome == TargetOutcome::OpenFailed)
            return ExitOpenFailed;
        allDelivered = allDelivered && r.delivered();
    }
    return allDelivered ? ExitDelivered : ExitNotDelivered;
}

} // namespace krn::cli
