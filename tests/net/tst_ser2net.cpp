// The network lines against ser2net, the serial device server, in front of the
// virtual screen's pty: once through a raw TCP port, once through Telnet with
// RFC 2217.

#include "core/failure.h"
#include "link/rfc2217line.h"
#include "link/tcpline.h"
#include "ser2netprocess.h"
#include "strings/stringtable.h"
#include "support/vscreenprocess.h"

#include <QTest>
#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

using namespace krn;
using namespace std::chrono_literals;
using krn::test::Ser2netProcess;
using krn::test::VScreenProcess;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

// 5A A5 len screen seq cmd data xor.
QByteArray frame(quint8 screen, quint8 sequence, quint8 command, const QByteArray& data)
{
    QByteArray f = hex("5aa5");
    f.append(char(data.size() + 6))
        .append(char(screen))
        .append(char(sequence))
        .append(char(command));
    f += data;
    char sum = 0;
    for (char c : f)
        sum ^= c;
    return f.append(sum);
}

double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// The settings the pty is at now. The Linux pty keeps the speed and the
// parity sense (PARODD) it is given, though it drops PARENB itself.
struct PtySettings {
    speed_t speed = 0;
    bool odd = false;
    bool eightBits = false;
    bool twoStopBits = false;
};
std::optional<PtySettings> ptySettings(const QString& device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    termios t{};
    const bool ok = ::tcgetattr(fd, &t) == 0;
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return PtySettings{cfgetospeed(&t), (t.c_cflag & PARODD) != 0, (t.c_cflag & CSIZE) == CS8,
                       (t.c_cflag & CSTOPB) != 0};
}

// The reply to what was just written: every byte that comes within `ms`
// after the first one arrives (or nothing, after `ms`).
QByteArray reply(Line& line, int ms = 3000)
{
    const bool something =
        QTest::qWaitFor([&] { return !line.isOpen() || line.bytesWaiting() > 0; }, ms);
    if (!something || !line.isOpen())
        return {};
    QTest::qWait(50);
    return line.readAll();
}
} // namespace

class TestSer2net : public QObject {
    Q_OBJECT

    // The virtual screen behind ser2net, and a line of the kind asked for.
    struct Rig {
        VScreenProcess screen;
        Ser2netProcess server;
        std::unique_ptr<TcpLine> line;
        QString address;

        bool start(bool rfc2217, const QStringList& screenOptions = {})
        {
            if (!screen.start(screenOptions)) {
                qWarning("%s", qPrintable(screen.errorText()));
                return false;
            }
            // The device's own settings differ from those every command asks for,
            // so the test sees who set them.
            if (!server.start(rfc2217 ? QStringLiteral("telnet(rfc2217),tcp")
                                      : QStringLiteral("tcp"),
                              screen.device(), QStringLiteral("9600n81"))) {
                qWarning("%s", qPrintable(server.errorText()));
                return false;
            }
            line = rfc2217 ? std::make_unique<Rfc2217Line>(3s) : std::make_unique<TcpLine>(3s);
            address = QStringLiteral("%1://127.0.0.1:%2")
                          .arg(rfc2217 ? QLatin1String("rfc2217") : QLatin1String("tcp"))
                          .arg(server.port());
            return true;
        }
        ~Rig()
        {
            line.reset();
            server.stop();
            screen.stop();
        }
    };

private Q_SLOTS:
    void kinds_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::newRow("raw TCP") << false;
        QTest::newRow("RFC 2217") << true;
    }

    void framesDelivered_data() { kinds_data(); }
    // A reset is acknowledged, and a panel frame 65535 wide (FF FF in its
    // data) reaches the screen byte for byte.
    void framesDelivered()
    {
        QFETCH(bool, rfc2217);
        Rig rig;
        QVERIFY(rig.start(rfc2217));
        // Opened and closed for every frame, as the link does for every command.
        const QByteArray panel = frame(1, 1, 0x0B, hex("0000ffff00100000"));
        for (const QByteArray& f : {hex("5aa50701000a00f3"), panel}) {
            rig.line->open(rig.address, LineSettings{9600});
            rig.line->discardInput();
            rig.line->write(f);
            QCOMPARE(reply(*rig.line).toHex(' '), QByteArray("06"));
            rig.line->close();
        }

        QVERIFY(rig.screen.waitForLines(2));
        const QStringList log = rig.screen.logLines();
        QVERIFY2(log[0].contains(QLatin1String("5A A5 07 01 00 0A 00 F3")) &&
                     log[0].contains(QLatin1String("checksum good")),
                 qPrintable(log[0]));
        QVERIFY2(log[1].contains(QString::fromLatin1(panel.toHex(' ').toUpper())) &&
                     log[1].contains(QLatin1String("panel width 65535")),
                 qPrintable(log[1]));
        QCOMPARE(log.size(), 2);
    }

    void lineSettings_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<qint32>("baud");
        QTest::addColumn<int>("expected"); // speed_t the pty must end at
        QTest::newRow("RFC 2217 at 2400") << true << 2400 << int(B2400);
        QTest::newRow("RFC 2217 at 19200") << true << 19200 << int(B19200);
        QTest::newRow("RFC 2217 at 115200") << true << 115200 << int(B115200);
        QTest::newRow("raw TCP keeps the server's 9600") << false << 19200 << int(B9600);
    }
    // Over RFC 2217 the speed and parity asked for are what the server's
    // serial port is set to; over raw TCP the server's own settings stay.
    void lineSettings()
    {
        QFETCH(bool, rfc2217);
        QFETCH(qint32, baud);
        QFETCH(int, expected);
        Rig rig;
        QVERIFY(rig.start(rfc2217));
        rig.line->open(rig.address, LineSettings{baud});
        if (!rfc2217) { // ser2net opens the device once data or time has come
            rig.line->write(hex("5aa50701000a00f3"));
            QCOMPARE(reply(*rig.line).toHex(' '), QByteArray("06"));
        }
        const std::optional<PtySettings> pty = ptySettings(rig.screen.device());
        QVERIFY(pty);
        QCOMPARE(int(pty->speed), expected);
        QCOMPARE(pty->odd, rfc2217);
        QVERIFY(pty->eightBits);
        QVERIFY(!pty->twoStopBits);
        rig.line->close();
    }

    void serverGoesAway_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<bool>("screenHangsUp"); // else ser2net itself stops
        QTest::newRow("raw TCP, screen hangs up") << false << true;
        QTest::newRow("RFC 2217, screen hangs up") << true << true;
        QTest::newRow("raw TCP, server stops") << false << false;
        QTest::newRow("RFC 2217, server stops") << true << false;
    }
    // The server closing the connection in the middle of a series of frames
    // is a fault of the line: told once, the line closed, nothing spinning.
    void serverGoesAway()
    {
        QFETCH(bool, rfc2217);
        QFETCH(bool, screenHangsUp);
        Rig rig;
        QVERIFY(rig.start(rfc2217, screenHangsUp ? QStringList{QStringLiteral("--hangup-after"),
                                                               QStringLiteral("3")}
                                                 : QStringList{}));
        rig.line->open(rig.address, LineSettings{9600});
        for (quint8 seq = 0; seq < 2; ++seq) {
            rig.line->write(frame(1, seq, 0x0A, hex("00")));
            QCOMPARE(reply(*rig.line).toHex(' '), QByteArray("06"));
        }
        if (screenHangsUp)
            rig.line->write(frame(1, 2, 0x0A, hex("00")));
        else
            rig.server.stop();
        QVERIFY(QTest::qWaitFor([&] { return !rig.line->isOpen(); }, 3000));

        const double before = cpuMs();
        QTest::qWait(300);
        const double cpu = cpuMs() - before;
        QVERIFY2(cpu < 100, qPrintable(QStringLiteral("%1 ms of CPU in 300 ms").arg(cpu)));

        const std::optional<Message> fault = rig.line->takeFault();
        QVERIFY(fault);
        QCOMPARE(int(fault->id), int(strings::NetClosedByServer));
        QVERIFY(!rig.line->takeFault());
    }

    void silentScreen_data() { kinds_data(); }
    // A server that takes the frame and never answers: nothing comes back,
    // and the server's own Telnet notices never pass for a reply.
    void silentScreen()
    {
        QFETCH(bool, rfc2217);
        Rig rig;
        QVERIFY(rig.start(rfc2217, {QStringLiteral("--mode"), QStringLiteral("silent")}));
        rig.line->open(rig.address, LineSettings{9600});
        rig.line->discardInput();
        rig.line->write(hex("5aa50701000a00f3"));
        QVERIFY(rig.screen.waitForLines(1));
        QCOMPARE(reply(*rig.line, 700), QByteArray());
        QVERIFY(rig.line->isOpen());
    }

    // ser2net serves one user at a time; the second is told why it cannot.
    void portInUse()
    {
        Rig rig;
        QVERIFY(rig.start(true));
        rig.line->open(rig.address, LineSettings{9600});
        Rfc2217Line second(3s);
        try {
            second.open(rig.address, LineSettings{9600});
            QFAIL("a second user opened the port");
        } catch (const Failure& f) {
            QCOMPARE(int(f.message().id), int(strings::NetClosedWhileOpening));
        }
        rig.line->write(hex("5aa50701000a00f3"));
        QCOMPARE(reply(*rig.line).toHex(' '), QByteArray("06"));
    }

    void nothingListens()
    {
        Rig rig;
        QVERIFY(rig.start(true));
        const quint16 port = rig.server.port();
        rig.server.stop();
        Rfc2217Line line(3s);
        try {
            line.open(QStringLiteral("rfc2217://127.0.0.1:%1").arg(port), LineSettings{9600});
            QFAIL("opened a port nothing listens on");
        } catch (const Failure& f) {
            QCOMPARE(int(f.message().id), int(strings::NetRefused));
        }
    }
};

QTEST_GUILESS_MAIN(TestSer2net)
#include "tst_ser2net.moc"
