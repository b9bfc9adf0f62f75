// Prints how long krntools-cli takes to find a screen of unknown speed and
// number against a paced virtual screen (answers come when a real line would
// bring them), next to what the same search costs at the window's 3000 ms per
// unanswered try. Figures only; it never fails on speed.

#include "support/vscreenprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int Speeds[] = {9600, 19200, 38400, 57600};
constexpr int NumbersPerSpeed = 255; // 0..254
constexpr double WindowTryMs = 3000;

// The window tries one (speed, number) at a time in list order, 3000 ms per
// unanswered try, so finding screen `number` at `speed` costs every try before.
double windowSearchMs(int speed, int number)
{
    int tries = 0;
    for (const int s : Speeds) {
        if (s == speed)
            return (tries + number) * WindowTryMs;
        tries += NumbersPerSpeed;
    }
    return -1;
}

struct Found {
    double ms = -1;
    int probes = 0;
};

// Runs `find --first` and takes the time until the screen is reported.
Found findOnce(const QString& cli, const QString& device)
{
    QProcess p;
    QElapsedTimer clock;
    Found found;
    QObject::connect(&p, &QProcess::readyReadStandardOutput, &p, [&] {
        if (found.ms < 0 && p.readAllStandardOutput().contains("\"found\""))
            found.ms = double(clock.nsecsElapsed()) / 1e6;
    });
    clock.start();
    p.start(cli, {"--json", "--ini", "/dev/null/none.ini", "--port", device, "find", "--first"});
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(300000, &loop, &QEventLoop::quit);
    if (p.state() != QProcess::NotRunning)
        loop.exec();
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
    }
    return found;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QString cli = qEnvironmentVariable("KRN_CLI");
    if (cli.isEmpty())
        cli = QCoreApplication::applicationDirPath() + "/../krntools-cli";

    std::printf("%-46s %12s %16s %9s\n", "screen (paced line)", "krntools-cli", "window 3000 ms",
                "speed-up");
    for (const int speed : {57600, 9600}) {
        for (const bool broadcast : {true, false}) {
            krn::test::VScreenProcess screen;
            QStringList args{"--pace", "--speed", QString::number(speed), "--screen", "254"};
            if (broadcast)
                args << "--broadcast-ack";
            if (!screen.start(args)) {
                std::fprintf(stderr, "cannot start the virtual screen: %s\n",
                             qPrintable(screen.errorText()));
                return 1;
            }
            const Found f = findOnce(cli, screen.device());
            screen.stop();
            const double window = windowSearchMs(speed, 254);
            const QString name = QStringLiteral("%1 bit/s, number 254, %2")
                                     .arg(speed)
                                     .arg(broadcast ? "answers broadcast" : "silent to broadcast");
            if (f.ms < 0)
                std::printf("%-46s %12s %14.0f s %9s\n", qPrintable(name), "not found",
                            window / 1000, "-");
            else
                std::printf("%-46s %10.1f s %14.0f s %8.0fx\n", qPrintable(name), f.ms / 1000,
                            window / 1000, window / f.ms);
            std::fflush(stdout);
        }
    }
    return 0;
}
