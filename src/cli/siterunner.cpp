#include "siterunner.h"

#include "commands/glyphs.h"
#include "commands/trafficlog.h"
#include "dryrun.h"
#include "interrupts.h"
#include "krn_version.h"
#include "link/portmap.h"
#include "numberlist.h"
#include "portlisting.h"
#include "report.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "site/handover.h"
#include "site/journal.h"
#include "site/sitework.h"
#include "strings/siteids.h"
#include "strings/stringtable.h"
#include "strings/toolids.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <map>

namespace krn::cli {

namespace {

using site::RowResult;
using site::SiteFile;
using site::SiteRow;

class SiteRunner {
public:
    SiteRunner(const CliOptions& o, strings::Language language, const QString& settingsPath,
               CliIo io)
        : m_o(o), m_language(language), m_ini(settingsPath), m_settings(m_ini),
          m_ports(&m_settings), m_io(io)
    {
    }

    int run();

private:
    int plan(const QList<int>& rows);
    int apply(const QList<int>& rows);
    int commission();
    void print(const RowResult& r);
    bool writeReport(const QList<RowResult>& rows);
    int statusFor(const QList<RowResult>& rows) const;
    QString render(const Message& m) const { return strings::render(m, m_language).simplified(); }
    void tell(const Message& m)
    {
        m_io.err << render(m) << '\n';
        m_io.err.flush();
    }
    QString defaultFace() const { return strings::load(strings::DefaultClockFont, m_language); }
    std::unique_ptr<TrafficLogFile> openLog() const
    {
        return m_o.logFile.isEmpty() ? nullptr : std::make_unique<TrafficLogFile>(m_o.logFile);
    }

    const CliOptions& m_o;
    strings::Language m_language;
    ProfileFile m_ini;
    Settings m_settings;
    PortMap m_ports;
    CliIo m_io;
    SiteFile m_file;
};

int SiteRunner::run()
{
    std::variant<SiteFile, Message> read = site::readSiteFile(m_o.siteFile);
    if (const Message* why = std::get_if<Message>(&read)) {
        m_io.err << "krntools-cli: " << render(*why) << '\n';
        return ExitUsage;
    }
    m_file = std::get<SiteFile>(std::move(read));
    if (m_file.hardware && !m_o.password) {
        m_io.err << "krntools-cli: " << render(Message{strings::SiteNeedsPassword, {m_o.siteFile}})
                 << '\n';
        return ExitUsage;
    }
    QList<int> rows;
    for (const qint32 wanted : m_o.rows.value_or(QList<qint32>{})) {
        const auto at = std::find_if(m_file.rows.begin(), m_file.rows.end(),
                                     [&](const SiteRow& r) { return r.row == wanted; });
        if (at == m_file.rows.end()) {
            m_io.err << "krntools-cli: "
                     << render(Message{strings::SiteNoSuchRow,
                                       {QString::number(wanted), m_o.siteFile}})
                     << '\n';
            return ExitUsage;
        }
        rows << int(at - m_file.rows.begin());
    }
    if (!m_o.rows)
        for (int i = 0; i < m_file.rows.size(); ++i)
            rows << i;
    switch (m_o.command) {
    case CliCommand::Plan:
        return plan(rows);
    case CliCommand::Apply:
        return apply(rows);
    default:
        return commission();
    }
}

// The frames each row would send, as a dry run shows them; nothing is opened.
int SiteRunner::plan(const QList<int>& rows)
{
    // Numbered as each line would number its frames.
    std::map<QString, DryRun> lines;
    for (const int i : rows) {
        const SiteRow& row = m_file.rows.at(i);
        DryRun& dry = lines.try_emplace(row.port, m_language, m_o.json).first->second;
        if (!m_o.json)
            m_io.out << strings::load(strings::SitePlanRow, m_language)
                            .arg(QString::number(row.row), row.label, row.port,
                                 QString::number(row.screen),
                                 strings::speedText(row.speed, m_language))
                     << '\n';
        for (const Step& step : site::rowSteps(row, defaultFace())) {
            const CommandInfo& info = commandInfo(step.command);
            const QString word = QString::fromLatin1(commandName(step.command));
            QList<QByteArray> frames;
            if (step.command == Command::ClockDownload) {
                glyphs::ClockFrames clock(step.values.clock.font, step.values.clock.language,
                                          info.length);
                for (QByteArray f = clock.next(); !f.isEmpty(); f = clock.next())
                    frames << f;
            } else {
                frames << buildPayload(step.command, step.values);
            }
            for (const QByteArray& data : std::as_const(frames)) {
                QString line = dry.line(row.screen, row.speed, word, info.code, data);
                if (m_o.json) {
                    QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
                    o.insert(QStringLiteral("row"), row.row);
                    o.insert(QStringLiteral("label"), row.label);
                    o.insert(QStringLiteral("port"), row.port);
                    line = QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
                }
                m_io.out << (m_o.json ? QString() : QStringLiteral("  ")) << line << '\n';
            }
        }
    }
    return ExitDelivered;
}

QString outcomeWord(const RowResult& r)
{
    if (r.openFailure)
        return outcomeKey(TargetOutcome::OpenFailed);
    if (!r.ran || r.done.interrupted)
        return outcomeKey(TargetOutcome::Interrupted);
    if (r.stepsWanted == 0)
        return QStringLiteral("nothing");
    return r.delivered() ? outcomeKey(TargetOutcome::Delivered) : QStringLiteral("not-delivered");
}

void SiteRunner::print(const RowResult& r)
{
    const SiteRow& row = m_file.rows.at(r.index);
    const qint32 speed = r.done.serverSpeed ? 0 : row.speed;
    if (m_o.json) {
        QJsonArray commands;
        for (const StepDone& s : r.done.steps) {
            const TargetReport t =
                targetReport(row.screen, speed, QString::fromLatin1(commandName(s.command)),
                             s.outcome, m_language);
            commands.append(QJsonDocument::fromJson(jsonLine(t)).object());
        }
        QJsonObject o{{QStringLiteral("row"), row.row},
                      {QStringLiteral("label"), row.label},
                      {QStringLiteral("port"), row.port},
                      {QStringLiteral("screen"), row.screen},
                      {QStringLiteral("speed"), speed > 0 ? QJsonValue(speed) : QJsonValue()},
                      {QStringLiteral("outcome"), outcomeWord(r)},
                      {QStringLiteral("commands"), commands}};
        if (r.openFailure)
            o.insert(QStringLiteral("message"), render(*r.openFailure));
        if (r.foundAs)
            o.insert(
                QStringLiteral("found"),
                QJsonObject{{QStringLiteral("screen"), r.foundAs->screen},
                            {QStringLiteral("speed"),
                             r.foundAs->speed > 0 ? QJsonValue(r.foundAs->speed) : QJsonValue()}});
        m_io.out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
        m_io.out.flush();
        return;
    }
    QStringList what;
    if (r.openFailure)
        what << render(Message{strings::SiteLineNotOpened, {r.address, render(*r.openFailure)}});
    for (const StepDone& s : r.done.steps)
        what << QStringLiteral("%1: %2 (%3 ms)")
                    .arg(QString::fromLatin1(commandName(s.command)),
                         render(reportMessage(s.outcome)), QString::number(s.outcome.ms));
    if (!r.openFailure && r.ran && r.done.steps.size() < r.stepsWanted && !r.done.interrupted)
        what << strings::load(strings::SiteNotSent, m_language);
    if (what.isEmpty())
        what << strings::load(
            r.ran || r.stepsWanted == 0 ? strings::SiteNothing : strings::SiteNotSent, m_language);
    m_io.out << strings::load(strings::SiteRowLine, m_language)
                    .arg(QString::number(row.row), row.label, row.port, QString::number(row.screen),
                         strings::speedText(speed, m_language), what.join(QStringLiteral("; ")))
             << '\n';
    m_io.out.flush();
}

int SiteRunner::statusFor(const QList<RowResult>& rows) const
{
    if (Interrupts::signal() != 0)
        return interruptedStatus(Interrupts::signal());
    bool opened = true, delivered = true;
    for (const RowResult& r : rows) {
        delivered = delivered && r.delivered();
        opened = opened && !r.openFailure;
    }
    if (delivered)
        return ExitDelivered;
    // Nothing but lines that did not open: as a command whose port would not.
    const bool onlyOpen = std::all_of(rows.begin(), rows.end(), [](const RowResult& r) {
        return r.delivered() || r.openFailure;
    });
    return !opened && onlyOpen ? ExitOpenFailed : ExitNotDelivered;
}

bool SiteRunner::writeReport(const QList<RowResult>& rows)
{
    if (m_o.reportFile.isEmpty())
        return true;
    site::Handover h;
    h.siteFile = m_o.siteFile;
    h.when = QDateTime::currentDateTime();
    h.tool = QStringLiteral("krntools-cli ") + QLatin1String(kVersion);
    for (const PortRoute& p : m_ports.routes(16))
        h.ports << QStringLiteral("%1  %2  %3")
                       .arg(QString::number(p.number), p.device,
                            p.info ? p.info->description : QString())
                       .trimmed();
    h.file = &m_file;
    h.rows = rows;
    QSaveFile file(m_o.reportFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(site::handoverHtml(h, m_language)) < 0 ||
        !file.commit()) {
        tell(Message{strings::ReportNotWritten, {m_o.reportFile, file.errorString()}});
        return false;
    }
    tell(Message{strings::ReportWritten, {m_o.reportFile}});
    return true;
}

void printSummary(const QList<RowResult>& rows, const SiteFile& file, bool json, bool interrupted,
                  strings::Language language, QTextStream& out)
{
    QList<qint32> failed;
    for (const RowResult& r : rows)
        if (!r.delivered() && r.stepsWanted > 0)
            failed << file.rows.at(r.index).row;
    if (json) {
        QJsonArray list;
        for (const qint32 n : failed)
            list.append(n);
        QJsonObject o{{QStringLiteral("summary"), true},
                      {QStringLiteral("rows"), rows.size()},
                      {QStringLiteral("delivered"), rows.size() - failed.size()},
                      {QStringLiteral("failed"), list}};
        if (interrupted)
            o.insert(QStringLiteral("interrupted"), true);
        out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
        return;
    }
    if (interrupted)
        out << strings::load(strings::InterruptedSummary, language)
                   .arg(QString::number(rows.size() - failed.size()), QString::number(rows.size()))
            << '\n';
    else if (failed.isEmpty())
        out << strings::load(strings::SiteAllDone, language).arg(rows.size()) << '\n';
    else
        out << strings::load(strings::SiteSummary, language)
                   .arg(QString::number(rows.size() - failed.size()), QString::number(rows.size()),
                        compactList(failed))
            << '\n';
}

int SiteRunner::apply(const QList<int>& rows)
{
    const Interrupts interrupts;
    std::unique_ptr<TrafficLogFile> log = openLog();
    const QList<RowResult> results =
        site::applyRows(m_file, rows, m_ports, defaultFace(), m_o.jobs.value_or(4),
                        Interrupts::stop(), log.get(), [this](const RowResult& r) {
                            if (r.ran || r.openFailure)
                                print(r);
                        });
    const bool interrupted = Interrupts::signal() != 0;
    printSummary(results, m_file, m_o.json, interrupted, m_language, m_io.out);
    writeReport(results);
    return statusFor(results);
}

int SiteRunner::commission()
{
    const Interrupts interrupts;
    site::Journal journal(m_o.siteFile);
    std::unique_ptr<TrafficLogFile> log = openLog();
    QList<RowResult> results;
    int next = journal.next(m_file);
    if (next < 0) {
        tell(Message{strings::CommissionAllDone, {m_o.siteFile}});
        return ExitDelivered;
    }
    QTextStream in(stdin);
    int status = ExitDelivered;
    while (next >= 0 && !Interrupts::stop().load()) {
        const SiteRow& row = m_file.rows.at(next);
        if (!m_o.next) {
            tell(Message{strings::CommissionAsk, {row.label, QString::number(row.row), row.port}});
            const QString answer = in.readLine();
            if (answer.isNull() || answer.trimmed().compare(u"q", Qt::CaseInsensitive) == 0)
                break;
            if (answer.trimmed().compare(u"s", Qt::CaseInsensitive) == 0) {
                tell(Message{strings::CommissionSkipped, {QString::number(row.row), row.label}});
                next = journal.next(m_file, next + 1);
                continue;
            }
        }
        tell(Message{strings::CommissionFinding, {row.port}});
        const RowResult r = site::commissionRow(m_file, next, m_ports, defaultFace(),
                                                Interrupts::stop(), log.get());
        results << r;
        if (r.foundAs)
            tell(Message{strings::CommissionFound,
                         {QString::number(r.foundAs->screen),
                          strings::speedText(r.foundAs->speed, m_language)}});
        else if (!r.openFailure && !Interrupts::stop().load())
            tell(Message{strings::CommissionNotFound, {row.port}});
        if (r.foundAs || r.openFailure)
            print(r);
        if (r.delivered()) {
            journal.note(
                row,
                QStringLiteral("found as %1 at %2").arg(r.foundAs->screen).arg(r.foundAs->speed),
                QDateTime::currentDateTime());
            tell(Message{strings::CommissionDone,
                         {QString::number(row.row), row.label, QString::number(row.screen),
                          strings::speedText(row.speed, m_language)}});
            status = ExitDelivered;
            next = journal.next(m_file, next + 1);
        } else {
            status = r.openFailure ? ExitOpenFailed : ExitNotDelivered;
        }
        if (m_o.next)
            break;
    }
    const qsizetype left = journal.left(m_file);
    if (left == 0)
        tell(Message{strings::CommissionAllDone, {m_o.siteFile}});
    else
        tell(Message{strings::CommissionLeft, {QString::number(left)}});
    writeReport(results);
    if (Interrupts::signal() != 0)
        return interruptedStatus(Interrupts::signal());
    return status;
}

} // namespace

int runSite(const CliOptions& options, strings::Language language, const QString& settingsPath,
            CliIo io)
{
    return SiteRunner(options, language, settingsPath, io).run();
}

} // namespace krn::cli
