// Prints what the acknowledgement wait costs: processor time during an
// unanswered 3000 ms wait (ours against a literal busy-poll loop), the
// acknowledgement latency against the virtual screen, and a batch of 255
// paced screens at 9600 bit/s on the pty itself against the same batch
// through ser2net over RFC 2217, with the latency on each kind of line.
// Figures only; it never fails on speed.

#include "commands/engine.h"
#include "support/ser2net.h"
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

// The engine on one device or address.
struct Rig {
    explicit Rig(const QString& address) : address(address) {}
    std::optional<Message> open(qint32 speed)
    {
        return engine.link.OpenPort(LinkTarget{0, address, speed, 1});
    }
    QString address;
    LinkState state;
    Engine engine{state, nullptr};
    Link& link = engine.link;
};

struct Batch {
    double totalMs = 0;
    std::vector<double> us; // each frame from the call to its return, sorted
    int failures = 0;
    double pct(double p) const { return us.empty() ? 0 : us[size_t(p * double(us.size() - 1))]; }
};

// A reset to each of the screens 0..254, one connection.
Batch batch(const QString& address)
{
    Batch b;
    Rig rig(address);
    if (rig.open(9600))
        return b;
    QElapsedTimer all;
    all.start();
    for (qint32 screen = 0; screen <= 254; ++screen) {
        QElapsedTimer t;
        t.start();
        b.failures += rig.link.SendFrame(screen, 10, QByteArray(1, '\0')).delivered() ? 0 : 1;
        b.us.push_back(double(t.nsecsElapsed()) / 1e3);
    }
    b.totalMs = double(all.nsecsElapsed()) / 1e6;
    rig.link.ClosePort();
    std::sort(b.us.begin(), b.us.end());
    return b;
}

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
        rig.open(9600);
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
        rig.open(57600);
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

    // 4. 255 paced screens at 9600: the pty itself, then ser2net over RFC 2217.
    test::VScreenProcess paced;
    const QStringList pacedArgs{"--screen", "0-254", "--pace", "--speed", "9600"};
    if (!startScreen(paced, pacedArgs))
        return 1;
    const Batch onPty = batch(paced.device());
    test::Ser2net server;
    Batch overRfc2217;
    if (server.start(QStringLiteral("telnet(rfc2217),tcp"), paced.device()))
        overRfc2217 = batch(server.url(true));
    server.stop();
    paced.stop();
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
    for (const auto& [name, b] : {std::pair{"pty", &onPty}, {"rfc2217 via ser2net", &overRfc2217}})
        std::printf("255 paced screens at 9600, %-19s: %7.0f ms (%d unacknowledged); "
                    "acknowledgement p50 %.0f us, p99 %.0f us\n",
                    name, b->totalMs, b->failures, b->pct(0.5), b->pct(0.99));
    if (onPty.totalMs > 0)
        std::printf("ser2net batch / pty batch: %.2f\n", overRfc2217.totalMs / onPty.totalMs);
    return 0;
}
