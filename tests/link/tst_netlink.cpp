// The real link over network lines: port 3 mapped in [Ports] to an
// rfc2217:// or tcp:// address of ser2net, the serial device server, in front
// of the virtual screen's pty. The link behaves as over a serial port.

#include "commands/linkfinderline.h"
#include "commands/screenfinder.h"
#include "core/failure.h"
#include "core/textids.h"
#include "link/rfc2217line.h"
#include "support/cputime.h"
#include "support/enginerig.h"
#include "support/ser2net.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace krn;
using krn::test::Ser2net;

namespace {
// The settings the pty is at now (zero if unreadable). The Linux pty keeps
// the speed and the parity sense (PARODD) it is given, though not PARENB.
termios ptySettings(const QString& device)
{
    termios t{};
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0 && ::tcgetattr(fd, &t) != 0)
        t = termios{};
    if (fd >= 0)
        ::close(fd);
    return t;
}

// The engine with ser2net in front of the virtual screen.
struct Rig : krn::test::EngineRig {
    Ser2net server;

    // ser2net on the virtual screen, and port 3 mapped to it.
    bool start(bool rfc2217, const QStringList& screenOptions = {},
               const QString& serverSettings = QStringLiteral("9600n81"))
    {
        if (!screen.start(screenOptions))
            return qWarning("%s", qPrintable(screen.errorText())), false;
        return server.start(rfc2217 ? QStringLiteral("telnet(rfc2217),tcp") : QStringLiteral("tcp"),
                            screen.device(), serverSettings) &&
               settings.setPortMapping(3, server.url(rfc2217));
    }
    std::optional<Message> open(qint32 baud = 9600)
    {
        return link.OpenPort(LinkTarget{3, QString(), baud, 1});
    }
    // The reset frame to screen 1.
    Delivery send() { return link.SendFrame(1, 0x0A, QByteArray(1, '\0')); }
};
} // namespace

class TestNetLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framesDelivered_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<bool>("screenHangsUp"); // else ser2net itself stops
        QTest::newRow("rfc2217://, the screen hangs up") << true << true;
        QTest::newRow("tcp://, ser2net stops") << false << false;
    }
    // A reset and, on the line opened again as for every command, a panel
    // frame 65535 wide (FF FF in its data) reach the screen byte for byte and
    // are acknowledged. Then the server goes away: like an adapter pulled out,
    // a fault of the line, told at once and once, the line closed, nothing
    // spinning. With ser2net gone, the port does not open, told why.
    void framesDelivered()
    {
        QFETCH(bool, rfc2217);
        QFETCH(bool, screenHangsUp);
        Rig rig;
        QVERIFY(
            rig.start(rfc2217, screenHangsUp ? QStringList{"--hangup-after", "3"} : QStringList{}));
        for (const QByteArray& data :
             {QByteArray(1, '\0'), QByteArray::fromHex("0000ffff00100000")}) {
            rig.link.ClosePort();
            QVERIFY(!rig.open());
            QCOMPARE(int(rig.values.link.BusyFlag), 0);
            const Delivery d = rig.link.SendFrame(1, data.size() == 1 ? 0x0A : 0x0B, data);
            QCOMPARE(int(d.kind), int(DeliveryKind::Acknowledged));
            QCOMPARE(d.reply.toHex(), QByteArray("06"));
        }
        QVERIFY(rig.screen.waitForLines(2));
        const QStringList log = rig.screen.logLines();
        QVERIFY2(log[0].contains(QLatin1String("5A A5 07 01 00 0A 00 F3")) &&
                     log[0].contains(QLatin1String("checksum good")),
                 qPrintable(log[0]));
        QVERIFY2(log[1].contains(QLatin1String("panel width 65535")), qPrintable(log[1]));

        if (!screenHangsUp)
            rig.server.stop();
        QElapsedTimer t;
        t.start();
        const Delivery d = rig.send();
        QCOMPARE(int(d.kind), int(DeliveryKind::LineFault));
        QCOMPARE(int(d.message.id), int(strings::NetClosedByServer));
        QCOMPARE(d.message.args.value(0).literal,
                 QStringLiteral("127.0.0.1:%1").arg(rig.server.port));
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(!rig.link.isOpen());
        QVERIFY(!rig.engine.line.takeFault()); // told once
        QVERIFY_THROWS_EXCEPTION(Failure, rig.engine.line.write(QByteArray(1, '\0')));
        const double before = krn::test::cpuMs();
        QTest::qWait(300);
        const double cpu = krn::test::cpuMs() - before;
        QVERIFY2(cpu < 100, qPrintable(QStringLiteral("%1 ms of CPU in 300 ms").arg(cpu)));

        rig.server.stop();
        const std::optional<Message> failure = rig.open();
        QVERIFY(failure);
        QCOMPARE(int(failure->id), int(strings::NetRefused));
        QCOMPARE(int(rig.values.link.BusyFlag), 1);
    }

    // Over RFC 2217 the command's speed and odd parity are what the server's
    // serial port is set to (ser2net's own are 9600n81). ser2net serves one
    // user at a time: a second is told why it cannot, and the first goes on.
    void rfc2217Session()
    {
        Rig rig;
        QVERIFY(rig.start(true));
        QVERIFY(!rig.open(115200));
        const termios t = ptySettings(rig.screen.device());
        QCOMPARE(cfgetospeed(&t), speed_t(B115200));
        QVERIFY(t.c_cflag & PARODD);
        QCOMPARE(t.c_cflag & (CSIZE | CSTOPB), tcflag_t(CS8));

        Rfc2217Line second;
        try {
            second.open(rig.engine.ports.route(3).device, LineSettings{});
            QFAIL("a second user opened the port");
        } catch (const Failure& f) {
            QCOMPARE(int(f.message().id), int(strings::NetClosedWhileOpening));
        }
        QCOMPARE(int(rig.send().kind), int(DeliveryKind::Acknowledged));
    }

    void finder_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<QString>("found");
        QTest::newRow("rfc2217:// starting at 9600") << true << "19200:1 19200:2 19200:3";
        QTest::newRow("tcp://, the server at 19200") << false << "0:1 0:2 0:3";
    }
    // Three paced screens at 19200 behind the device server: over RFC 2217
    // the speed changes on the open connection and exactly the three are
    // named, three runs of three; over the raw port, at the server's own speed.
    void finder()
    {
        QFETCH(bool, rfc2217);
        QFETCH(QString, found);
        Rig rig;
        QVERIFY(rig.start(rfc2217, {"--screen", "1,2,3", "--speed", "19200", "--pace"},
                          rfc2217 ? QStringLiteral("9600n81") : QStringLiteral("19200o81")));
        for (int run = 0; run < (rfc2217 ? 3 : 1); ++run) {
            LinkFinderLine line(rig.link, LinkTarget{3, {}, 9600, 0});
            ScreenFinder finder(line);
            FinderPlan plan;
            plan.speeds = {9600, 19200};
            plan.screens = {0, 1, 2, 3, 4, 5};
            const FinderResult r = finder.run(plan);
            QStringList names;
            for (const FoundScreen& f : r.found)
                names << QStringLiteral("%1:%2").arg(f.speed).arg(f.screen);
            QCOMPARE(names.join(u' '), found);
            QCOMPARE(r.end, FinderEnd::Finished);
        }
    }
};

QTEST_GUILESS_MAIN(TestNetLink)
#include "tst_netlink.moc"
