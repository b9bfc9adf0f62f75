// The link over real lines: a QSerialPort on a pseudo-terminal, with the
// virtual screen or the test itself at the other end, and port 1 mapped in
// [Ports] to an rfc2217:// or tcp:// address of ser2net, the serial device
// server, in front of the virtual screen's pty. Over a network line the link
// behaves as over a serial port.

#include "commands/linkfinderline.h"
#include "commands/screenfinder.h"
#include "core/failure.h"
#include "core/textids.h"
#include "link/rfc2217line.h"
#include "strings/stringtable.h"
#include "support/cputime.h"
#include "support/enginerig.h"
#include "support/ptypair.h"
#include "support/ser2net.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace krn;
using krn::test::PtyPair;
using krn::test::Ser2net;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

// Counts the socket-notifier wake-ups the process handles: a port that keeps
// reporting a dead line shows up here as thousands of them, whatever the load
// or the sanitizer does to CPU time.
class WakeUpCounter : public QObject {
public:
    WakeUpCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~WakeUpCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    int wakeUps = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::SockAct || event->type() == QEvent::SockClose)
            ++wakeUps;
        return false;
    }
};

// The real parts, port 1 mapped to a device or to ser2net.
struct Rig : krn::test::EngineRig {
    Rig() = default;
    explicit Rig(const QString& device) { mapPort1(device); }
    Ser2net server;

    // ser2net on the virtual screen, and port 1 mapped to it.
    bool startServer(bool rfc2217, const QStringList& screenOptions = {},
                     const QString& serverSettings = QStringLiteral("9600n81"))
    {
        if (!screen.start(screenOptions))
            return qWarning("%s", qPrintable(screen.errorText())), false;
        return server.start(rfc2217 ? QStringLiteral("telnet(rfc2217),tcp") : QStringLiteral("tcp"),
                            screen.device(), serverSettings) &&
               mapPort1(server.url(rfc2217));
    }
    std::optional<Message> open(qint32 baud = 9600)
    {
        return link.OpenPort(LinkTarget{1, {}, baud, 1});
    }
    // Sends `data` as command `code` to screen 1; returns the wait.
    qint64 send(quint8 code, const QByteArray& data)
    {
        QElapsedTimer t;
        t.start();
        delivery = link.SendFrame(1, code, data);
        return t.elapsed();
    }
    Delivery delivery;
};
} // namespace

class TestRealLines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void lineGoesAway_data()
    {
        QTest::addColumn<QString>("line");       // "pty", "rfc2217" or "tcp"
        QTest::addColumn<bool>("screenHangsUp"); // else ser2net itself stops
        QTest::addColumn<int>("gone");           // the fault's text
        QTest::newRow("pty, the screen hangs up") << "pty" << true << int(strings::PortWentAway);
        QTest::newRow("rfc2217://, the screen hangs up")
            << "rfc2217" << true << int(strings::NetClosedByServer);
        QTest::newRow("tcp://, ser2net stops") << "tcp" << false << int(strings::NetClosedByServer);
    }
    // A reset and, on the line opened again as for every command, a panel
    // frame 65535 wide (FF FF in its data) reach the screen byte for byte and
    // are acknowledged. Then the line goes away: like an adapter pulled out, a
    // fault of the line, told at once, once and in plain words (not the
    // system's "Inappropriate ioctl for device"), the line closed, nothing
    // waking up or spinning on it. With ser2net gone, the port does not open,
    // told why.
    void lineGoesAway()
    {
        QFETCH(QString, line);
        QFETCH(bool, screenHangsUp);
        const QStringList hangUp{"--hangup-after", "3"};
        Rig rig;
        QVERIFY(line == "pty"
                    ? rig.start(hangUp)
                    : rig.startServer(line == "rfc2217", screenHangsUp ? hangUp : QStringList{}));
        for (const QByteArray& data : {hex("00"), hex("0000ffff00100000")}) {
            rig.link.ClosePort();
            QVERIFY(!rig.open());
            QCOMPARE(int(rig.state.BusyFlag), 0);
            rig.send(data.size() == 1 ? 0x0A : 0x0B, data);
            QCOMPARE(int(rig.delivery.kind), int(DeliveryKind::Acknowledged));
            QCOMPARE(rig.delivery.reply.toHex(), QByteArray("06"));
        }
        QVERIFY(rig.screen.waitForLines(2));
        const QStringList log = rig.screen.logLines();
        QVERIFY2(log[0].contains(QLatin1String("5A A5 07 01 00 0A 00 F3")) &&
                     log[0].contains(QLatin1String("checksum good")),
                 qPrintable(log[0]));
        QVERIFY2(log[1].contains(QLatin1String("panel width 65535")), qPrintable(log[1]));

        if (!screenHangsUp)
            rig.server.stop();
        QVERIFY(rig.send(0x0A, hex("00")) < 2000);
        QCOMPARE(int(rig.delivery.kind), int(DeliveryKind::LineFault));
        QTEST(int(rig.delivery.message.id), "gone");
        QCOMPARE(rig.delivery.message.args.value(0).literal,
                 line == "pty" ? rig.screen.device()
                               : QStringLiteral("127.0.0.1:%1").arg(rig.server.port));
        QVERIFY(!rig.link.isOpen());
        QVERIFY(!rig.engine.line.takeFault()); // told once
        QVERIFY_THROWS_EXCEPTION(Failure, rig.engine.line.write(hex("00")));
        WakeUpCounter counter;
        const double before = krn::test::cpuMs();
        QTest::qWait(500);
        const double cpu = krn::test::cpuMs() - before;
        QVERIFY2(counter.wakeUps < 5, qPrintable(QString::number(counter.wakeUps)));
        QVERIFY2(cpu < 150, qPrintable(QStringLiteral("%1 ms of CPU in 500 ms").arg(cpu)));
        if (line == "pty")
            return;

        rig.server.stop();
        const std::optional<Message> failure = rig.open();
        QVERIFY(failure);
        QCOMPARE(int(failure->id), int(strings::NetRefused));
        QCOMPARE(int(rig.state.BusyFlag), 1);
    }

    void openPort_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("address"); // %1: the pty
        QTest::addColumn<bool>("held");       // by another program
        QTest::addColumn<QString>("why");     // words of the reason; empty: it opens
        // clang-format off
        QTest::newRow("sixteenth port") << 16 << "" << false << "";
        QTest::newRow("an address given directly") << 0 << "%1" << false << "";
        QTest::newRow("no port chosen") << 0 << "" << false << "No serial port is selected.";
        QTest::newRow("unmapped port") << 300 << "" << false << "Serial port 300 does not exist on this computer. Check that the adapter is plugged in and pick the port it uses.";
        QTest::newRow("in use") << 16 << "" << true << "in use by another program";
        QTest::newRow("no such device") << 0 << "/dev/krntools-no-such-port" << false << "does not exist";
        // clang-format on
    }
    // Opened with the command's speed, or told why not; once open, the port is
    // used as it is, and closing twice is harmless.
    void openPort()
    {
        QFETCH(int, port);
        QFETCH(QString, address);
        QFETCH(QString, why);
        QFETCH(bool, held);
        PtyPair pty;
        QVERIFY2(pty.open(), qPrintable(pty.errorText()));
        Rig holder(pty.slavePath());
        if (held)
            QVERIFY(!holder.open());
        Rig rig(pty.slavePath());
        rig.settings.setPortMapping(16, pty.slavePath());
        rig.state.BusyFlag = 7;
        const std::optional<Message> failure = rig.link.OpenPort(
            LinkTarget{port, address.replace(QStringLiteral("%1"), pty.slavePath()), 19200, 1});
        QCOMPARE(int(rig.state.BusyFlag), failure ? 1 : 0);
        QCOMPARE(rig.state.BaudRate, 19200);
        QCOMPARE(rig.engine.line.isOpen(), why.isEmpty());
        const QString told = failure ? strings::render(*failure, strings::Language::English) : "";
        QVERIFY2(told.contains(why), qPrintable(told));
        if (!why.isEmpty())
            return;
        QVERIFY(!failure);
        // A byte waiting before the send is no acknowledgement: the port's
        // input is discarded first. (A batch that merely contains 06: the
        // frame sender's scripted replies.)
        QVERIFY(pty.write(hex("06")));
        QVERIFY(QTest::qWaitFor([&] { return rig.engine.line.bytesWaiting() == 1; }, 2000));
        // The link's own clock counts whole milliseconds, so the wait is told
        // by the delivery, not timed here.
        rig.send(0x0A, hex("00"));
        QCOMPARE(rig.delivery.kind, DeliveryKind::NoAnswer);
        QVERIFY(rig.delivery.ms >= 3000);
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QVERIFY(!rig.link.OpenPort(LinkTarget{2, {}, 9600, 1})); // port 2 is not mapped
        QCOMPARE(rig.state.BusyFlag, qint16(0));
        rig.link.ClosePort();
        rig.link.ClosePort();
        QVERIFY(!rig.engine.line.isOpen());
    }

    // Over RFC 2217 the command's speed and odd parity are what the server's
    // serial port is set to (ser2net's own are 9600n81); the Linux pty keeps
    // the speed and the parity sense (PARODD) it is given, though not PARENB.
    // ser2net serves one user at a time: a second is told why it cannot, and
    // the first goes on.
    void rfc2217Session()
    {
        Rig rig;
        QVERIFY(rig.startServer(true));
        QVERIFY(!rig.open(115200));
        termios t{}; // zero if unreadable: the comparisons fail then
        const QByteArray device = QFile::encodeName(rig.screen.device());
        if (const int fd = ::open(device.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK); fd >= 0) {
            ::tcgetattr(fd, &t);
            ::close(fd);
        }
        QCOMPARE(cfgetospeed(&t), speed_t(B115200));
        QVERIFY(t.c_cflag & PARODD);
        QCOMPARE(t.c_cflag & (CSIZE | CSTOPB), tcflag_t(CS8));

        Rfc2217Line second;
        try {
            second.open(rig.engine.ports.route(1).device, LineSettings{});
            QFAIL("a second user opened the port");
        } catch (const Failure& f) {
            QCOMPARE(int(f.message().id), int(strings::NetClosedWhileOpening));
        }
        rig.send(0x0A, hex("00"));
        QCOMPARE(int(rig.delivery.kind), int(DeliveryKind::Acknowledged));
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
        QVERIFY(rig.startServer(rfc2217, {"--screen", "1,2,3", "--speed", "19200", "--pace"},
                                rfc2217 ? QStringLiteral("9600n81") : QStringLiteral("19200o81")));
        for (int run = 0; run < (rfc2217 ? 3 : 1); ++run) {
            LinkFinderLine line(rig.link, LinkTarget{1, {}, 9600, 0});
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

QTEST_GUILESS_MAIN(TestRealLines)
#include "tst_reallines.moc"
