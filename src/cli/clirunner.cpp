#include "clirunner.h"

#include "commands/clockfont.h"
#include "commands/command.h"
#include "commands/engine.h"
#include "commands/glyphs.h"
#include "commands/linework.h"
#include "commands/linkfinderline.h"
#include "commands/screenfinder.h"
#include "commands/trafficlog.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "dryrun.h"
#include "interrupts.h"
#include "link/netaddress.h"
#include "link/portmap.h"
#include "portlisting.h"
#include "progressbar.h"
#include "report.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "siterunner.h"
#include "strings/stringtable.h"
#include "strings/toolids.h"

#include <QFile>
#include <memory>

namespace krn::cli {

namespace {

// A value the command cannot use: told, and nothing is sent.
struct UsageFailure {
    Message message;
};

// A remembered value that the command cannot use is a usage error too,
// named by its key.
qint32 checkedIni(SettingsKey key, qint32 value, qint32 low, qint32 high)
{
    if (value < low || value > high)
        throw UsageFailure{Message{strings::UsageOutOfRange,
                                   {Settings::keyName(key), QString::number(value),
                                    QString::number(low), QString::number(high)}}};
    return value;
}

// A raw device server port keeps the speed it is set to: output does not
// claim the one the command line names.
bool serverKeepsSpeed(const QString& address)
{
    if (!NetAddress::looksLikeNetwork(address))
        return false;
    try {
        return NetAddress::parse(address).kind == NetAddress::Kind::RawTcp;
    } catch (const Failure&) {
        return false;
    }
}

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
    void printOpenFailure(const Message& why);
    void followUp(const QList<TargetReport>& reports, const CommandValues& values);
    QString render(const Message& m) const { return strings::render(m, m_language).simplified(); }
    void clearProgress();
    std::unique_ptr<TrafficLogFile> openLog();

    const CliOptions& m_o;
    strings::Language m_language;
    ProfileFile m_file;
    Settings m_settings;
    CliIo m_io;
    LinkTarget m_target;
    QString m_address; // what the target opens, when it names something
    std::optional<Message> m_unresolved;
    QList<qint32> m_screens;
    bool m_progressShown = false;
};

int Runner::run()
{
    if (m_o.command == CliCommand::Ports) {
        // The numbers the window's list has, and any device beyond them.
        const QList<PortRoute> rows = PortMap(&m_settings).routes(16);
        m_io.out << (m_o.json ? portsJson(rows) : portsText(rows, m_language));
        return ExitDelivered;
    }
    try {
        resolveTarget();
        const CommandValues values = commandValues();
        if (m_o.dryRun)
            return dryRun(values);
        return m_o.command == CliCommand::Find ? find() : send(values);
    } catch (const UsageFailure& e) {
        m_io.err << "krntools-cli: " << render(e.message) << '\n';
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
            checkedIni(SettingsKey::Com, m_settings.portPosition(), 0, 65534) + 1);
    // The port's device is looked up here, once: the line's thread reads no settings.
    m_unresolved = PortMap(&m_settings).resolve(m_target.portNumber, m_target.address, &m_address);
    // No speed remembered yet: the window shows 9600 then.
    qint32 speed = m_o.speed.value_or(m_settings.lineSpeed());
    if (speed == 0)
        speed = LineSpeeds.front();
    if (std::find(LineSpeeds.begin(), LineSpeeds.end(), speed) == LineSpeeds.end())
        throw UsageFailure{Message{strings::UsageNotASpeed,
                                   {Settings::keyName(SettingsKey::Port), QString::number(speed)}}};
    m_target.baudRate = speed;
    m_screens = m_o.screens.value_or(
        QList<qint32>{checkedIni(SettingsKey::Screen, m_settings.screen(), 0, 255)});
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
            checkedIni(SettingsKey::Width, m_settings.width(), 0, LargestPanelSide));
        v.panel.height = m_o.height.value_or(
            checkedIni(SettingsKey::Height, m_settings.height(), 0, LargestPanelSide));
        v.panel.colourPosition = m_o.colourPosition.value_or(
            checkedIni(SettingsKey::Color, m_settings.colourPosition(), 0, 1));
        v.panel.scanPosition = m_o.scanPosition.value_or(
            checkedIni(SettingsKey::Scan, m_settings.scanPosition(), 0, 3));
        break;
    case CliCommand::Hardware:
        v.hardware =
            HardwareOptions{*m_o.oe, *m_o.byteOrder, *m_o.invert, *m_o.wraps, *m_o.wrapMode};
        break;
    case CliCommand::Clock: {
        const qint32 language = m_o.clockLanguage.value_or(
            checkedIni(SettingsKey::Time, m_settings.clockLanguage(), 0, 1));
        const QString face =
            !m_o.clockFont.isEmpty()
                ? m_o.clockFont
                : m_settings.clockFontName(strings::load(strings::DefaultClockFont, m_language));
        const double size = m_o.clockSize.value_or(m_settings.clockFontSize());
        try {
            checkedClockSize(size);
        } catch (const Failure& f) {
            throw UsageFailure{f.message()};
        }
        // As the window: the glyphs are drawn at the size given, and the size
        // kept is rounded half to even (10.5 gives 10).
        QFont font(face);
        font.setPointSizeF(size);
        v.clock.language = language;
        v.clock.languagePosition = language;
        v.clock.fontName = face;
        v.clock.fontSize = toInt16(size);
        v.clock.font = resolvedClockFont(font);
        break;
    }
    default:
        break;
    }
    return v;
}

int Runner::dryRun(const CommandValues& values)
{
    DryRun dry(m_language, m_o.json);
    const QString word = commandWord(m_o.command);
    const CommandInfo& info = commandInfo(engineCommand(m_o.command).value_or(Command::Reset));
    const bool serverSpeed = serverKeepsSpeed(m_address);
    if (m_o.command == CliCommand::Find) {
        const QByteArray probe = buildPayload(Command::Find, values);
        const QList<qint32> speeds = serverSpeed ? QList<qint32>{0} : m_o.findSpeeds;
        for (const qint32 speed : speeds) {
            m_io.out << dry.line(BroadcastScreen, speed, word, info.code, probe) << '\n';
            for (const qint32 screen : m_o.findScreens)
                m_io.out << dry.line(screen, speed, word, info.code, probe) << '\n';
        }
        return ExitDelivered;
    }
    QList<QByteArray> frames;
    if (m_o.command == CliCommand::Clock) {
        glyphs::ClockFrames clock(values.clock.font, values.clock.language, info.length);
        for (QByteArray frame = clock.next(); !frame.isEmpty(); frame = clock.next())
            frames << frame;
    } else {
        frames << buildPayload(info.command, values);
    }
    const qint32 speed = serverSpeed ? 0 : m_target.baudRate;
    for (const qint32 screen : std::as_const(m_screens))
        for (const QByteArray& data : std::as_const(frames))
            m_io.out << dry.line(screen, speed, word, info.code, data) << '\n';
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

void Runner::printOpenFailure(const Message& why)
{
    clearProgress();
    const QString address = m_address.isEmpty() && m_target.portNumber > 0
                                ? QString::number(m_target.portNumber)
                                : m_address;
    m_io.out << (m_o.json ? QString::fromUtf8(openFailedJson(address, render(why)))
                          : openFailedText(address, render(why), m_language))
             << '\n';
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
    if (m_unresolved) {
        printOpenFailure(*m_unresolved);
        return ExitOpenFailed;
    }
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

    const QString word = commandWord(m_o.command);
    LineWork work;
    work.target = m_target;
    work.target.address = m_address;
    for (const qint32 screen : std::as_const(m_screens))
        work.screens << ScreenWork{
            int(work.screens.size()),
            m_target.baudRate,
            screen,
            {Step{engineCommand(m_o.command).value_or(Command::Reset), values}}};

    const Interrupts interrupts;
    QList<TargetReport> reports;
    const QList<LineDone> done =
        runLines({work}, 1, Interrupts::stop(), &events, [&](int, const ScreenDone& s) {
            if (s.steps.isEmpty())
                return; // stopped before it began
            const TargetReport r = targetReport(s.screen, s.serverSpeed ? 0 : s.speed, word,
                                                s.steps.first().outcome, m_language);
            reports << r;
            print(r);
        });
    clearProgress();
    const LineDone& line = done.first();
    if (line.openFailure) {
        printOpenFailure(*line.openFailure);
        return ExitOpenFailed;
    }
    if (line.interrupted || reports.size() > 1)
        m_io.out << (m_o.json
                         ? QString::fromUtf8(summaryJson(reports, line.interrupted))
                         : summaryText(reports, m_language, m_screens.size(), line.interrupted))
                 << '\n';
    if (line.interrupted)
        return interruptedStatus(Interrupts::signal());
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
    if (m_unresolved) {
        printOpenFailure(*m_unresolved);
        return ExitOpenFailed;
    }
    EventFanout events;
    std::unique_ptr<TrafficLogFile> log = openLog();
    if (log)
        events.add(log.get());
    LinkState state;
    Engine engine(state, &m_settings, &events);
    LinkTarget target = m_target;
    target.address = m_address;
    LinkFinderLine finderLine(engine.link, target);
    ScreenFinder finder(finderLine);
    const Interrupts interrupts;
    finder.setStop(&Interrupts::stop());

    const QString word = commandWord(m_o.command);
    QList<TargetReport> found;
    finder.onFound = [&](const FoundScreen& f) {
        const TargetReport r{
            f.screen, f.speed, word, TargetOutcome::Found, f.ms, f.reply, qint64(f.reply.size()),
            {}};
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
    if (result.end == FinderEnd::OpenFailed) {
        printOpenFailure(fault.value_or(Message{}));
        return ExitOpenFailed;
    }
    if (result.end == FinderEnd::LineFault && fault)
        m_io.err << "krntools-cli: " << render(*fault) << '\n';
    const bool interrupted = result.end == FinderEnd::Cancelled;
    m_io.out << (m_o.json ? QString::fromUtf8(summaryJson(found, interrupted))
                          : finderSummaryText(found, m_language, interrupted))
             << '\n';
    if (interrupted)
        return interruptedStatus(Interrupts::signal());
    return found.isEmpty() ? ExitNotDelivered : ExitDelivered;
}

} // namespace

int runCommandLine(const CliOptions& options, strings::Language language,
                   const QString& settingsPath, CliIo io)
{
    switch (options.command) {
    case CliCommand::Plan:
    case CliCommand::Apply:
    case CliCommand::Commission:
        return runSite(options, language, settingsPath, io);
    default:
        return Runner(options, language, settingsPath, io).run();
    }
}

} // namespace krn::cli
