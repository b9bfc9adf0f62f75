// Prints how long the screen finder takes against paced virtual screens
// (answers come when a real line would bring them), as a ratio to the time
// the probes and answers need on the wire, at the worst corners of speed and
// number; each corner with the margin learned from the answers heard and with
// the fixed 30 ms margin, in the same run. Figures only; it never fails on
// speed.

#include "commands/engine.h"
#include "commands/linkfinderline.h"
#include "commands/screenfinder.h"
#include "support/ser2net.h"
#include "support/vscreenprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace krn;

namespace {

constexpr int Numbers = 255; // 0..254

// The probe's and the answer's time on the wire at `speed`, unrounded.
double lineMs(qint32 speed)
{
    return double((ScreenFinder::ProbeFrameBytes + ScreenFinder::AnswerBytes) *
                  ScreenFinder::BitsPerByte) *
           1000.0 / speed;
}

struct Corner {
    const char* name;
    QStringList screen;   // the virtual screen's options
    bool through = false; // through ser2net over RFC 2217
};

struct Run {
    double ms = -1; // until the screen was found, or the whole search
    int probes = 0;
    QString found;
};

Run search(const QString& address, bool learn)
{
    LinkState state;
    Engine engine(state, nullptr);
    LinkFinderLine line(engine.link, LinkTarget{0, address, 9600, 0});
    ScreenFinder finder(line);
    FinderPlan plan;
    plan.first = true;
    plan.learnMargin = learn;
    Run run;
    QElapsedTimer clock;
    finder.onFound = [&](const FoundScreen& f) {
        run.ms = double(clock.nsecsElapsed()) / 1e6;
        run.found = QStringLiteral("%1 at %2").arg(f.screen).arg(f.speed);
    };
    clock.start();
    const FinderResult r = finder.run(plan);
    if (run.ms < 0)
        run.ms = double(clock.nsecsElapsed()) / 1e6;
    run.probes = r.probes;
    return run;
}

// The wire time of the probes a search sends up to the screen (or all of
// them): the four broadcasts, then whole speeds until the screen's.
double lineLimitMs(qint32 speed, bool found)
{
    double ms = 0;
    for (const qint32 s : {9600, 19200, 38400, 57600})
        ms += lineMs(s); // the broadcasts
    for (const qint32 s : {9600, 19200, 38400, 57600}) {
        ms += Numbers * lineMs(s);
        if (found && s == speed)
            break;
    }
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QList<Corner> corners{
        {"9600 bit/s, 254, answers broadcasts",
         {"--screen", "254", "--speed", "9600", "--pace", "--broadcast-ack"}},
        {"9600 bit/s, 254, answers broadcasts, ser2net",
         {"--screen", "254", "--speed", "9600", "--pace", "--broadcast-ack"},
         true},
        {"9600 bit/s, 254, silent to broadcasts", {"--screen", "254", "--speed", "9600", "--pace"}},
        {"57600 bit/s, 254, silent to broadcasts",
         {"--screen", "254", "--speed", "57600", "--pace"}},
        {"an empty line", {"--screen", "1", "--mode", "silent", "--pace"}},
    };
    std::printf("%-46s %-8s %9s %9s %7s %7s  %s\n", "corner (paced line)", "margin", "time", "wire",
                "ratio", "probes", "found");
    // An argument picks the corners whose name holds it.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    for (const Corner& c : corners) {
        if (!QLatin1String(c.name).contains(only))
            continue;
        for (const bool learn : {true, false}) {
            test::VScreenProcess screen;
            if (!screen.start(c.screen)) {
                std::fprintf(stderr, "cannot start the virtual screen: %s\n",
                             qPrintable(screen.errorText()));
                return 1;
            }
            test::Ser2net server;
            QString address = screen.device();
            if (c.through) {
                if (!server.start(QStringLiteral("telnet(rfc2217),tcp"), screen.device()))
                    return 1;
                address = server.url(true);
            }
            const Run r = search(address, learn);
            const int speedAt = c.screen.indexOf("--speed");
            const qint32 speed = speedAt >= 0 ? c.screen.at(speedAt + 1).toInt() : 0;
            const double limit = lineLimitMs(speed, !r.found.isEmpty());
            std::printf("%-46s %-8s %7.2f s %7.2f s %7.2f %7d  %s\n", c.name,
                        learn ? "learned" : "30 ms", r.ms / 1000, limit / 1000, r.ms / limit,
                        r.probes, r.found.isEmpty() ? "nothing" : qPrintable(r.found));
            std::fflush(stdout);
        }
    }
    return 0;
}
