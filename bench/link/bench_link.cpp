// Prints what the acknowledgement wait costs: processor time during an
// unanswered 3000 ms wait (ours against a literal busy-poll loop) and the
// acknowledgement latency against the virtual screen. Figures only; it never
// fails on speed.

#include "support/linkrig.h"
#include "support/vscreenprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QSerialPort>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace krn;

namespace {

double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Rig : test::LinkRig {
    explicit Rig(const QString& device) { mapPort1(device); }
};

bool startScreen(test::VScreenProcess& vs, const QStringList& args)
{
    if (vs.start(args))
        return true;
    std::fprintf(stderr, "cannot start the virtual screen: %s\n", qPrintable(vs.errorText()));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const int frames = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;

    // 1. An unanswered wait: our SendFrame.
    test::VScreenProcess silent;
    if (!startScreen(silent, {QStringLiteral("--mode"), QStringLiteral("silent")}))
        return 1;
    double oursCpu = 0, oursWall = 0;
    {
        Rig rig(silent.device());
        rig.link.OpenPort(LinkTarget{1, {}, 9600, 1});
        QElapsedTimer wall;
        const double c0 = cpuMs();
        wall.start();
        rig.link.SendFrame(1, 10, QByteArray(1, '\0'));
        oursWall = double(wall.elapsed());
        oursCpu = cpuMs() - c0;
        rig.link.ClosePort();
    }

    // 2. The reference: the same wait as a literal busy poll (clock, events, port).
    double busyCpu = 0, busyWall = 0;
    {
        QSerialPort port(silent.device());
        port.setBaudRate(9600);
        port.setParity(QSerialPort::OddParity);
        if (!port.open(QIODevice::ReadWrite)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(silent.device()));
            return 1;
        }
        port.write(QByteArray::fromHex("5AA507010A0A00F9"));
        QElapsedTimer wall;
        const double c0 = cpuMs();
        wall.start();
        while (wall.elapsed() < 3000) {
            QCoreApplication::processEvents();
            if (port.bytesAvailable() > 0)
                break;
        }
        busyWall = double(wall.elapsed());
        busyCpu = cpuMs() - c0;
    }
    silent.stop();

    // 3. Acknowledgement latency: SendFrame from the call to its return.
    test::VScreenProcess acking;
    if (!startScreen(acking, {}))
        return 1;
    std::vector<double> us;
    us.reserve(size_t(frames));
    int failures = 0;
    {
        Rig rig(acking.device());
        rig.link.OpenPort(LinkTarget{1, {}, 57600, 1});
        for (int i = 0; i < frames; ++i) {
            QElapsedTimer t;
            t.start();
            const Delivery d = rig.link.SendFrame(1, 10, QByteArray(1, '\0'));
            us.push_back(double(t.nsecsElapsed()) / 1e3);
            failures += d.delivered() ? 0 : 1;
        }
        rig.link.ClosePort();
    }
    acking.stop();
    std::sort(us.begin(), us.end());
    const auto pct = [&](double p) { return us[size_t(p * double(us.size() - 1))]; };

    std::printf(
        "unanswered wait, SendFrame      : %7.1f ms CPU over %6.0f ms wall (%.2f%% of a core)\n",
        oursCpu, oursWall, 100.0 * oursCpu / oursWall);
    std::printf(
        "unanswered wait, busy-poll loop : %7.1f ms CPU over %6.0f ms wall (%.2f%% of a core)\n",
        busyCpu, busyWall, 100.0 * busyCpu / busyWall);
    std::printf("acknowledgement latency, %d frames (%d unacknowledged): median %.0f us, "
                "p99 %.0f us, max %.0f us\n",
                frames, failures, pct(0.5), pct(0.99), us.back());
    return 0;
}
