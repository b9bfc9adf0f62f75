#include "clirunner.h"

#include "commands/clockfont.h"
#include "commands/command.h"
#include "commands/engine.h"
#include "commands/glyphs.h"
#include "commands/linkfinderline.h"
#include "commands/screenfinder.h"
#include "commands/trafficlog.h"
#include "core/failure.h"
#include "dryrun.h"
#include "link/link.h"
#include "link/portmap.h"
#include "numberlist.h"
#include "portlisting.h"
#include "progressbar.h"
#include "report.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "strings/stringtable.h"
#include "strings/toolids.h"

#include <QFile>

namespace krn::cli {

namespace {

// A remembered value that the command cannot use is a usage error too,
// named by its key.
struct IniValueError {
    UsageError error;
    std::optional<Message> message; // told instead of `error` when set
};

// The long command's progress on a terminal.
class ProgressEvents : public EngineEvents {
public:
    std::function<void(int, int)> onProgress;
    void progress(int done, int total) override
    {
        if (onProgress)
            onProgress(done, total);
    }
};

// The clock glyph stream cut into frames as the download cuts it, for a dry
// run: the commander draws and sends them one by one instead.
QList<QByteArray> clockFrames(const ClockRequest& clock)
{
    const qsizetype frameBytes = commandInfo(Command::ClockDownload).length;
    QByteArray stream;
    for (const QChar c : glyphs::glyphText(clock.language))
        stream += glyphs::rasterise(clock.font, c);
    QList<QByteArray> frames;
    for (qsizetype at = 0; at < stream.size(); at += frameBytes)
        frames << stream.mid(at, frameBytes);
    return frames;
}

qint32 checkedIni(const QString& key, qint32 value, qint32 low, qint32 high)
{
    if (value < low || value > high)
        throw IniValueError{
            {strings::UsageOutOfRange,
             {key, QString::number(value), QString::number(low), QString::number(high)}},
            std::nullopt};
    return value;
}

Command engineCommand(CliCommand c)
{
    switch (c) {
    case CliCommand::Speed:
        return Command::NewLineSpeed;
    case CliCommand::Number:
        return Command::NewScreenNumber;
    case CliCommand::Panel:
        return Command::Panel;
    case CliCommand::Hardware:
        return Command::HardwareOptions;
    case CliCommand::Clock:
        return Command::ClockDownload;
    case CliCommand::Find:
        return Command::Find;
    case CliCommand::Reset:
    case CliCommand::Ports:
        break;
    }
    return Command::Reset;
}

TargetOutcome targetOutcome(OutcomeKind kind)
{
    switch (kind) {
    case OutcomeKind::Delivered:
        return TargetOutcome::Delivered;
    case OutcomeKind::NoAnswer:
        return TargetOutcome::NoAnswer;
    case OutcomeKind::Refused:
        return TargetOutcome::Refused;
    case OutcomeKind::OpenFailed:
        return TargetOutcome::OpenFailed;
    case OutcomeKind::InvalidValue:
        return TargetOutcome::InvalidValue;
    case OutcomeKind::LineFault:
    case OutcomeKind::Busy:
        break;
    }
    return TargetOutcome::LineFault;
}

class Runner {
public:
    Runner(const CliOptions& o, strings::Language language, const QString& settingsPath, CliIo io)
        : m_o(o), m_language(language), m_file(settingsPath), m_settings(m_file), m_io(io)
    {
    }

    int run();

private:
    void resolveTarget();
    CommandValues commandValues();
    int dryRun(const CommandValues& values);
    int send(const CommandValues& values);
    int find();
    void print(const TargetReport& report);
    void followUp(const QList<TargetReport>& reports, const CommandValues& values);
    // The engine's words may hold line breaks meant for a box; a report is one line.
    QString render(const Message& m) const { return strings::render(m, m_language).simplified(); }
    void clearProgress();
    std::unique_ptr<TrafficLogFile> openLog();

    const CliOptions& m_o;
    strings::Language m_language;
    ProfileFile m_file;
    Settings m_settings;
    CliIo m_io;
    LinkTarget m_target;
    QList<qint32> m_screens;
    bool m_progressShown = false;
};

int Runner::run()
{
    if (m_o.command == CliCommand::Ports) {
        const QList<PortRow> rows =
            portRows(systemPorts(), [this](qint32 n) { return m_settings.portMapping(n); });
        m_io.out << (m_o.json ? portsJson(rows) : portsText(rows, m_language));
        return ExitDelivered;
    }
    try {
        resolveTarget();
        const CommandValues values = commandValues();
        if (m_o.dryRun)
            return dryRun(values);
        return m_o.command == CliCommand::Find ? find() : send(values);
    } catch (const IniValueError& e) {
        m_io.err << "krntools-cli: " << (e.message ? render(*e.message) : e.error.text(m_language))
                 << '\n';
        return ExitUsage;
    } catch (const Failure& f) {
        // The glyphs of a dry run could not be drawn.
        m_io.err << "krntools-cli: " << render(f.message()) << '\n';
        return ExitUsage;
    }
}

void Runner::resolveTarget()
{
    if (!m_o.device.isEmpty())
        m_target.address = m_o.device;
    else
        m_target.portNumber = m_o.portNumber.value_or(
            checkedIni(QStringLiteral("Send_Com"), m_settings.portPosition(), 0, 65534) + 1);
    // No speed remembered yet: the window shows 9600 then.
    qint32 speed = m_o.speed.value_or(m_settings.lineSpeed());
    if (speed == 0)
        speed = LineSpeeds.front();
    if (std::find(LineSpeeds.begin(), LineSpeeds.end(), speed) == LineSpeeds.end())
        throw IniValueError{
            {strings::UsageNotASpeed, {QStringLiteral("Send_Port"), QString::number(speed)}},
            std::nullopt};
    m_target.baudRate = speed;
    m_screens = m_o.screens.value_or(
        QList<qint32>{checkedIni(QStringLiteral("Send_Screen"), m_settings.screen(), 0, 255)});
}

CommandValues Runner::commandValues()
{
    CommandValues v;
    switch (m_o.command) {
    case CliCommand::Speed:
        v.newSpeedPosition =
            int(std::find(LineSpeeds.begin(), LineSpeeds.end(), m_o.newSpeed) - LineSpeeds.begin());
        break;
    case CliCommand::Number:
        v.newScreen = m_o.newScreen;
        break;
    case CliCommand::Panel:
        v.panel.width = m_o.width.value_or(
            checkedIni(QStringLiteral("Send_Width"), m_settings.width(), 0, 65535));
        v.panel.height = m_o.height.value_or(
            checkedIni(QStringLiteral("Send_Height"), m_settings.height(), 0, 65535));
        v.panel.colourPosition = m_o.colourPosition.value_or(
            checkedIni(QStringLiteral("Send_Color"), m_settings.colourPosition(), 0, 1));
        v.panel.scanPosition = m_o.scanPosition.value_or(
            checkedIni(QStringLiteral("Send_Scan"), m_settings.scanPosition(), 0, 3));
        break;
    case CliCommand::Hardware:
        v.hardware.oePosition = m_o.hardware[0];
        v.hardware.byteOrderPosition = m_o.hardware[1];
        v.hardware.invertPosition = m_o.hardware[2];
        v.hardware.wraps = m_o.hardware[3];
        v.hardware.wrapModePosition = m_o.hardware[4];
        break;
    case CliCommand::Clock: {
        const qint32 language = m_o.clockLanguage.value_or(
            checkedIni(QStringLiteral("Send_Time"), m_settings.clockLanguage(), 0, 1));
        const QString face =
            !m_o.clockFont.isEmpty()
                ? m_o.clockFont
                : m_settings.clockFontName(strings::load(strings::DefaultClockFont, m_language));
        const qint32 size = m_o.clockSize.value_or(m_settings.clockFontSize());
        try {
            checkedClockSize(size);
        } catch (const Failure& f) {
            throw IniValueError{{}, f.message()};
        }
        v.clock.language = language;
        v.clock.languagePosition = language;
        v.clock.fontName = face;
        v.clock.fontSize = qint16(size);
        v.clock.font = resolvedClockFont(QFont(face, size));
        break;
    }
    case CliCommand::Reset:
    case CliCommand::Find:
    case CliCommand::Ports:
        break;
    }
    return v;
}

int Runner::dryRun(const CommandValues& values)
{
    DryRun dry(m_language, m_o.json);
    const QString word = commandWord(m_o.command);
    const CommandInfo& info = commandInfo(engineCommand(m_o.command));
    if (m_o.command == CliCommand::Find) {
        const QByteArray probe = buildPayload(Command::Find, values);
        for (const qint32 speed : m_o.findSpeeds) {
            m_io.out << dry.line(255, speed, word, info.code, probe) << '\n';
            for (const qint32 screen : m_o.findScreens)
                m_io.out << dry.line(screen, speed, word, info.code, probe) << '\n';
        }
        return ExitDelivered;
    }
    const QList<QByteArray> frames = m_o.command == CliCommand::Clock
                                         ? clockFrames(values.clock)
                                         : QList<QByteArray>{buildPayload(info.command, values)};
    for (const qint32 screen : std::as_const(m_screens))
        for (const QByteArray& data : frames)
            m_io.out << dry.line(screen, m_target.baudRate, word, info.code, data) << '\n';
    return ExitDelivered;
}

std::unique_ptr<TrafficLogFile> Runner::openLog()
{
    if (m_o.logFile.isEmpty())
        return nullptr;
    // The log never stops a command; the operator hears once that it is lost.
    QFile probe(m_o.logFile);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
        m_io.err << "krntools-cli: "
                 << strings::load(strings::LogNotWritten, m_language)
                        .arg(m_o.logFile, probe.errorString())
                 << '\n';
    return std::make_unique<TrafficLogFile>(m_o.logFile);
}

void Runner::print(const TargetReport& r)
{
    clearProgress();
    m_io.out << (m_o.json ? QString::fromUtf8(jsonLine(r)) : textLine(r, m_language)) << '\n';
    m_io.out.flush();
}

void Runner::clearProgress()
{
    if (m_progressShown) {
        m_io.err << "\r\x1b[K";
        m_io.err.flush();
        m_progressShown = false;
    }
}

int Runner::send(const CommandValues& values)
{
    EventFanout events;
    std::unique_ptr<TrafficLogFile> log = openLog();
    if (log)
        events.add(log.get());
    ProgressEvents progress;
    events.add(&progress);
    if (m_io.terminal)
        progress.onProgress = [this](int done, int total) {
            const int width = 24;
            const int filled = total > 0 ? done * width / total : 0;
            m_io.err << "\r[" << QString(filled, u'#') << QString(width - filled, u'.') << "] "
                     << done << '/' << total;
            m_io.err.flush();
            m_progressShown = true;
        };

    LinkState state;
    Engine engine(state, m_settings, &events);
    Link& link = engine.link;
    Commander& commander = engine.commander;

    const QString word = commandWord(m_o.command);
    QList<TargetReport> reports;
    if (const std::optional<Message> failure = link.OpenPort(m_target)) {
        for (const qint32 screen : std::as_const(m_screens))
            reports << TargetReport{screen, m_target.baudRate, word, TargetOutcome::OpenFailed, 0,
                                    {},     render(*failure)};
        for (const TargetReport& r : std::as_const(reports))
            print(r);
        return ExitOpenFailed;
    }
    const Command command = engineCommand(m_o.command);
    for (const qint32 screen : std::as_const(m_screens)) {
        const Outcome outcome = commander.execute(command, screen, values);
        const TargetReport r{
            screen,        m_target.baudRate,      word, targetOutcome(outcome.kind), outcome.ms,
            outcome.reply, render(outcome.message)};
        reports << r;
        print(r);
    }
    link.ClosePort();
    if (reports.size() > 1)
        m_io.out << (m_o.json ? QString::fromUtf8(summaryJson(reports))
                              : summaryText(reports, m_language))
                 << '\n';
    followUp(reports, values);
    return exitStatusFor(reports);
}

// As in the window: after a single screen took a new speed or number, the
// remembered one follows, so the window addresses it next time. Only when
// that screen is the one the settings remember. A clock every screen took is
// remembered as the window's download remembers it.
void Runner::followUp(const QList<TargetReport>& reports, const CommandValues& values)
{
    if (m_o.command == CliCommand::Clock && exitStatusFor(reports) == ExitDelivered) {
        m_settings.setClock(values.clock.languagePosition, values.clock.fontName,
                            values.clock.fontSize);
        return;
    }
    if (reports.size() != 1 || !reports.first().delivered() ||
        reports.first().screen != m_settings.screen() || reports.first().screen == BroadcastScreen)
        return;
    if (m_o.command == CliCommand::Speed)
        m_settings.setLineSpeed(QString::number(m_o.newSpeed));
    else if (m_o.command == CliCommand::Number)
        m_settings.setScreen(QString::number(m_o.newScreen));
}

int Runner::find()
{
    EventFanout events;
    std::unique_ptr<TrafficLogFile> log = openLog();
    if (log)
        events.add(log.get());
    LinkState state;
    Engine engine(state, m_settings, &events);
    Link& link = engine.link;
    LinkFinderLine finderLine(link, m_target);
    ScreenFinder finder(finderLine);

    const QString word = commandWord(m_o.command);
    QList<TargetReport> found;
    finder.onFound = [&](const FoundScreen& f) {
        const TargetReport r{f.screen, f.speed, word, TargetOutcome::Found, f.ms, f.reply, {}};
        found << r;
        clearProgress();
        m_io.out << (m_o.json ? QString::fromUtf8(jsonLine(r)) : foundLine(r, m_language)) << '\n';
        m_io.out.flush();
    };
    if (m_io.terminal)
        finder.onProgress = [this](const FinderProgress& p) {
            m_io.err << '\r' << progressLine(p, m_language) << "\x1b[K";
            m_io.err.flush();
            m_progressShown = true;
        };
    FinderPlan plan;
    plan.speeds = m_o.findSpeeds;
    plan.screens = m_o.findScreens;
    if (m_o.probeWaitMs)
        plan.probeWait = std::chrono::milliseconds(*m_o.probeWaitMs);
    plan.first = m_o.first;
    const FinderResult result = finder.run(plan);
    clearProgress();

    const std::optional<Message> fault = finderLine.fault();
    const QString why = fault ? render(*fault) : QString();
    if (result.end == FinderEnd::OpenFailed) {
        const QString device = m_target.address.isEmpty()
                                   ? engine.ports.deviceFor(m_target.portNumber)
                                   : m_target.address;
        m_io.err << "krntools-cli: "
                 << strings::load(strings::LineNotOpened, m_language)
                        .arg(device, QString::number(result.speed), why)
                 << '\n';
        return ExitOpenFailed;
    }
    if (result.end == FinderEnd::LineFault)
        m_io.err << "krntools-cli: " << why << '\n';
    m_io.out << (m_o.json ? QString::fromUtf8(summaryJson(found))
                          : finderSummaryText(found, m_language))
             << '\n';
    return found.isEmpty() ? ExitNotDelivered : ExitDelivered;
}

} // namespace

int runCommandLine(const CliOptions& options, strings::Language language,
                   const QString& settingsPath, CliIo io)
{
    return Runner(options, language, settingsPath, io).run();
}

} // namespace krn::cli
