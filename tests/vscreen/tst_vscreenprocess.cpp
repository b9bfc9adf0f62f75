#include "support/vscreenprocess.h"
#include "testframes.h"
#include "vscreen/frame.h"

#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using krn::test::VScreenProcess;

namespace {
// The client end as plainly as possible: a raw, non-blocking descriptor.
class Client {
public:
    explicit Client(const QString& device)
    {
        m_fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios tio{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~Client()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray& bytes)
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Reads until `enough` bytes came or the time is up.
    QByteArray read(int timeoutMs, int enough = INT_MAX)
    {
        QByteArray got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < enough && !deadline.hasExpired()) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0 || !(p.revents & POLLIN))
                break;
            char buffer[256];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }
    // The other end went away: poll reports a hang-up.
    bool hungUp(int timeoutMs)
    {
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & (POLLHUP | POLLERR));
    }

private:
    int m_fd = -1;
};

const QByteArray kAck("\x06");

QByteArray toScreen(quint8 screen, quint8 command = 0x0A, const QByteArray& payload = hex("00"))
{
    return frameBytes(screen, 0, command, payload);
}

// CPU time the process has used, in clock ticks.
long cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
    return fields.value(12).toLong() + fields.value(13).toLong(); // utime + stime
}
} // namespace

class TestVScreenProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();
    void reassemblesPiecesAndSkipsNoise();
    void stopsAnsweringAfterK();
    void hangsUpAfterK();
    void answersToTheNewScreenNumber();
    void answersAfterTheDelay();
    void linksAndEndsCleanly();
    void refusesToReplaceAFile();
    void writesGlyphFilesWhileRunning();
    void idlesBetweenClients();
    void servesASerialPortClient();
    void rejectsBadOptions_data();
    void rejectsBadOptions();
};

void TestVScreenProcess::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("logged");

    QTest::newRow("ack") << QStringList{} << kLineSpeedFrame << kAck
                         << "screen 1 seq 0 cmd 0x0D line-speed payload 02 | checksum good | "
                            "line-speed position 2 (38400 bit/s) | answer 06";
    QTest::newRow("nak") << QStringList{"--mode", "nak"} << kLineSpeedFrame << hex("15")
                         << "answer 15";
    QTest::newRow("garbage") << QStringList{"--mode", "garbage"} << kLineSpeedFrame << hex("1506")
                             << "answer 15 06";
    QTest::newRow("silent") << QStringList{"--mode", "silent"} << kLineSpeedFrame << QByteArray()
                            << "no answer (silent)";
    QTest::newRow("another screen") << QStringList{} << toScreen(2) << QByteArray()
                                    << "not this screen, ignored | no answer (not this screen)";
    QTest::newRow("own screen number")
        << QStringList{"--screen", "7"} << toScreen(7) << kAck << "cmd 0x0A reset payload 00";
    QTest::newRow("broadcast") << QStringList{} << kBroadcastFrame << QByteArray()
                               << "screen number 1 -> 0 | no answer (broadcast)";
    QTest::newRow("broadcast answered on request")
        << QStringList{"--broadcast-ack"} << kBroadcastFrame << kAck << "answer 06";
    QTest::newRow("bad checksum") << QStringList{} << hex("5AA50701000D0200") << QByteArray()
                                  << "checksum bad (F6 expected) | ignored";
    QTest::newRow("empty payload") << QStringList{} << hex("5AA50601030AF1") << kAck
                                   << "seq 3 cmd 0x0A reset payload - | checksum good | reset 1";
}

void TestVScreenProcess::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, answer);
    QFETCH(QString, logged);

    VScreenProcess screen;
    QVERIFY2(screen.start(arguments), qPrintable(screen.errorText()));
    Client client(screen.device());
    QVERIFY(client.isOpen());
    QVERIFY(client.write(frame));
    QVERIFY(screen.waitForLines(1));
    QByteArray got = answer.isEmpty() ? QByteArray() : client.read(3000, int(answer.size()));
    got += client.read(300); // nothing more may follow
    QCOMPARE(got, answer);
    const QString line = screen.logLines().first();
    QVERIFY2(line.contains(krn::vscreen::Frame::hex(frame)), qPrintable(line));
    QVERIFY2(line.contains(logged), qPrintable(line));
}

void TestVScreenProcess::reassemblesPiecesAndSkipsNoise()
{
    VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    Client client(screen.device());
    const QByteArray f = kLineSpeedFrame;
    for (const QByteArray& piece : {f.left(1), f.mid(1, 3), f.mid(4)}) {
        QVERIFY(client.write(piece));
        QTest::qWait(40);
    }
    QCOMPARE(client.read(3000, 1), kAck);
    QVERIFY(client.write(hex("0102") + f + hex("FF") + f));
    QCOMPARE(client.read(3000, 2), kAck + kAck);
    QVERIFY(screen.waitForLines(5));
    const QStringList lines = screen.logLines();
    QCOMPARE(lines.size(), 5);
    QVERIFY2(lines[1].endsWith(QStringLiteral("| 01 02 | no frame, 2 bytes skipped")),
             qPrintable(lines[1]));
    QVERIFY(lines[2].endsWith(QStringLiteral("answer 06")));
    QVERIFY(lines[3].endsWith(QStringLiteral("| FF | no frame, 1 byte skipped")));
    QVERIFY(lines[4].endsWith(QStringLiteral("answer 06")));
}

void TestVScreenProcess::stopsAnsweringAfterK()
{
    VScreenProcess screen;
    QVERIFY2(screen.start({"--stop-after", "2"}), qPrintable(screen.errorText()));
    Client client(screen.device());
    for (int i = 0; i < 2; ++i) {
        QVERIFY(client.write(toScreen(1)));
        QCOMPARE(client.read(3000, 1), kAck);
    }
    QVERIFY(client.write(toScreen(1)));
    QCOMPARE(client.read(300), QByteArray());
    QVERIFY(screen.waitForLineContaining(QStringLiteral("no answer (stopped after 2)")));
    QVERIFY(screen.stop().contains(QStringLiteral("resets 3")));
}

void TestVScreenProcess::hangsUpAfterK()
{
    VScreenProcess screen;
    QVERIFY2(screen.start({"--hangup-after", "2"}), qPrintable(screen.errorText()));
    Client client(screen.device());
    QVERIFY(client.write(toScreen(1)));
    QCOMPARE(client.read(3000, 1), kAck);
    QVERIFY(!client.hungUp(100));
    QVERIFY(client.write(toScreen(1)));
    QVERIFY(client.hungUp(3000));
    QVERIFY(screen.waitForExit());
    QCOMPARE(screen.exitCode(), 0);
    QVERIFY(screen.logLines().last().endsWith(QStringLiteral("| hang-up")));
    QVERIFY2(screen.summary().contains(QStringLiteral("frames 2 good, 0 bad checksum, 0 bytes "
                                                      "skipped, 1 answered")),
             qPrintable(screen.summary()));
}

void TestVScreenProcess::answersToTheNewScreenNumber()
{
    VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    Client client(screen.device());
    QVERIFY(client.write(toScreen(1, 0x16, hex("05"))));
    QCOMPARE(client.read(3000, 1), kAck);
    QVERIFY(client.write(toScreen(1)));
    QCOMPARE(client.read(300), QByteArray());
    QVERIFY(client.write(toScreen(5)));
    QCOMPARE(client.read(3000, 1), kAck);
    QVERIFY(screen.stop().contains(QStringLiteral("screen number 5")));
}

void TestVScreenProcess::answersAfterTheDelay()
{
    VScreenProcess screen;
    QVERIFY2(screen.start({"--delay", "500"}), qPrintable(screen.errorText()));
    Client client(screen.device());
    QVERIFY(client.write(kLineSpeedFrame));
    QCOMPARE(client.read(150), QByteArray());
    QCOMPARE(client.read(3000, 1), kAck);
    QVERIFY(screen.waitForLines(1));
    QVERIFY(screen.logLines().first().endsWith(QStringLiteral("answer 06 after 500 ms")));
}

void TestVScreenProcess::linksAndEndsCleanly()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("port1"));
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/old-device"), link)); // a stale link
    VScreenProcess screen;
    QVERIFY2(screen.start({"--link", link}), qPrintable(screen.errorText()));
    QCOMPARE(QFileInfo(link).symLinkTarget(), screen.device());

    Client client(link);
    QVERIFY(client.write(frameBytes(1, 1, 0x0B, hex("00000100002001020000000000000000000000"))));
    QVERIFY(client.write(frameBytes(1, 2, 0x13, hex("0100010302000000"))));
    QCOMPARE(client.read(3000, 2), kAck + kAck);
    const QString summary = screen.stop(); // SIGTERM
    QCOMPARE(screen.exitCode(), 0);
    QVERIFY2(summary.contains(QStringLiteral("panel width 256 height 32 colour 1 scan 2")),
             qPrintable(summary));
    QVERIFY(summary.contains(QStringLiteral("hardware options 01 00 01 03 02")));
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(client.hungUp(1000));
}

void TestVScreenProcess::refusesToReplaceAFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
    file.close();
    VScreenProcess screen;
    QVERIFY(!screen.start({"--link", path}));
    QVERIFY(screen.errorText().contains(QStringLiteral("not a symbolic link")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void TestVScreenProcess::writesGlyphFilesWhileRunning()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("glyphs.txt"));
    const QString png = dir.filePath(QStringLiteral("glyphs.png"));
    VScreenProcess screen;
    QVERIFY2(screen.start({"--glyphs-text", text, "--glyphs-png", png}),
             qPrintable(screen.errorText()));
    Client client(screen.device());
    QVERIFY(client.write(frameBytes(1, 0, 0x14, QByteArray(32, char(0x81)))));
    QVERIFY(client.write(frameBytes(1, 1, 0x14, QByteArray(16, char(0xF0)))));
    QCOMPARE(client.read(3000, 2), kAck + kAck);
    QVERIFY(screen.waitForLines(2));

    QFile file(text);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromLatin1(file.readAll());
    QCOMPARE(written.count(QStringLiteral("8x16")), 3);
    QVERIFY(written.contains(QStringLiteral("cell 2 offset 32 8x16\n####....\n")));
    QVERIFY(written.contains(QStringLiteral("#......#")));

    QVERIFY(screen.stop().contains(QStringLiteral("glyph table 48 bytes in 2 frames")));
    const QImage picture(png);
    QCOMPARE(picture.size(), QSize((3 * 8 + 2) * 4, 16 * 4));
    QCOMPARE(picture.pixel(0, 0), qRgb(255, 0, 0));
}

void TestVScreenProcess::idlesBetweenClients()
{
    VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    for (int i = 0; i < 2; ++i) {
        Client client(screen.device());
        QVERIFY(client.write(toScreen(1)));
        QCOMPARE(client.read(3000, 1), kAck);
    }
    // With no client left, a notifier on a hung-up master would spin.
    const long before = cpuTicks(screen.processId());
    QTest::qWait(1000);
    const long used = cpuTicks(screen.processId()) - before;
    QVERIFY(before >= 0);
    QVERIFY2(used < sysconf(_SC_CLK_TCK) / 5, qPrintable(QString::number(used)));
    QVERIFY(screen.isRunning());
}

void TestVScreenProcess::servesASerialPortClient()
{
    // The tool's own port settings (odd parity, its own termios) on the device.
    VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    for (int session = 0; session < 2; ++session) {
        QSerialPort port(screen.device());
        port.setBaudRate(57600);
        port.setParity(QSerialPort::OddParity);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QCOMPARE(port.write(kLineSpeedFrame.left(6)), qint64(6));
        QCOMPARE(port.write(kLineSpeedFrame.mid(6)), qint64(2));
        QByteArray got;
        QTRY_VERIFY((got += port.readAll()).size() >= 1);
        QCOMPARE(got, kAck);
        port.close();
    }
    QVERIFY(screen.waitForLines(2));
    QVERIFY(screen.logLines().last().endsWith(QStringLiteral("answer 06")));
}

void TestVScreenProcess::rejectsBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown mode") << QStringList{"--mode", "loud"};
    QTest::newRow("screen above 255") << QStringList{"--screen", "256"};
    QTest::newRow("hang up before any frame") << QStringList{"--hangup-after", "0"};
    QTest::newRow("negative delay") << QStringList{"--delay", "-5"};
    QTest::newRow("stray argument") << QStringList{"now"};
}

void TestVScreenProcess::rejectsBadOptions()
{
    QFETCH(QStringList, arguments);
    VScreenProcess screen;
    QVERIFY(!screen.start(arguments));
    QVERIFY(screen.waitForExit());
    QCOMPARE(screen.exitCode(), 2);
    QVERIFY(!screen.errorText().isEmpty());
}

QTEST_GUILESS_MAIN(TestVScreenProcess)
#include "tst_vscreenprocess.moc"
