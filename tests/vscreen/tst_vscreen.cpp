#include "support/vscreenprocess.h"
#include "vscreen/framedecoder.h"
#include "vscreen/glyphpicture.h"
#include "vscreen/lineclock.h"
#include "vscreen/screenstate.h"
#include "vscreen/vscreenoptions.h"

#include <QFile>
#include <QSerialPort>
#include <QTcpSocket>
#include <QtTest>
#include <numeric>

using namespace krn::vscreen;
using S = QStringList;

namespace {
const auto hex = [](const QString& text) { return QByteArray::fromHex(text.toLatin1()); };

// Sequence 0; not the link's encoder, so its faults cannot hide here.
QByteArray frame(const QByteArray& body, int screen = 1)
{
    const QByteArray bytes = hex("5AA5") + char(body.size() + 5) + char(screen) + '\0' + body;
    return bytes + std::accumulate(bytes.begin(), bytes.end(), char(0), std::bit_xor<char>());
}

// Everything that arrived, and arrives until the line has been quiet for quietMs.
QByteArray readUntilQuiet(QIODevice& device, int quietMs = 300)
{
    QByteArray got = device.readAll();
    while (device.waitForReadyRead(quietMs))
        got += device.readAll();
    return got;
}

// "a; b; c" as a list, with `c` read as `to`.
S items(QString text, QChar c = '\n', const QString& to = QStringLiteral("\n"))
{
    return text.replace(c, to).split(QStringLiteral("; "), Qt::SkipEmptyParts);
}
// User + system CPU time of a process in clock ticks; 0 once it has ended.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
    return fields.size() > 13 ? fields[12].toLongLong() + fields[13].toLongLong() : 0;
}

} // namespace

class TestVScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Chunks in order, then the line goes quiet ("flush"); x: the line-speed example.
    void decodes_data()
    {
        QTest::addColumn<S>("chunks");
        QTest::addColumn<S>("expected");
        const auto row = [](const char* name, const char* chunks, const char* expected) {
            QTest::newRow(name) << items(chunks, 'x', "5AA50701000D02F6")
                                << items(expected, 'x', "frame 5A A5 07 01 00 0D 02 F6");
        };
        row("worked examples", "x 5AA507FFFF1600EE", "x; frame 5A A5 07 FF FF 16 00 EE; flush");
        row("byte by byte", "5A; A5; 07; 01; 00; 0D; 02; F6", "x; flush");
        row("no payload", "5AA50601030AF1", "frame 5A A5 06 01 03 0A F1; flush");
        row("5A starting nothing", "00FF5A00 x", "noise 00 FF 5A 00; x; flush");
        row("5A 5A A5", "5A x", "noise 5A; x; flush");
        row("length 5", "5AA505 x", "noise 5A A5 05; x; flush");
        row("bad checksum", "5AA50701000D0200 x",
            "bad 5A A5 07 01 00 0D 02 00; noise A5 07 01 00 0D 02 00; x; flush");
        row("false header over a frame", "5AA50A x",
            "bad 5A A5 0A 5A A5 07 01 00 0D 02 F6; noise A5 0A; x; flush");
        row("half frame", "x 5AA507", "x; flush; noise 5A A5 07");
        row("long false header", "5AA540 x", "flush; noise 5A A5 40; x");
        const QString longest = Frame::hex(frame(hex("14") + QByteArray(249, 'U')));
        QTest::newRow("longest, in two")
            << S{longest.left(300), longest.mid(300)} << S{"frame " + longest, "flush"};
    }
    void decodes()
    {
        QFETCH(S, chunks);
        QFETCH(S, expected);
        FrameDecoder decoder;
        S actual;
        for (const QString& chunk : chunks + S{"flush"}) {
            if (chunk == "flush")
                actual << chunk;
            for (const auto& item : chunk == "flush" ? decoder.flush() : decoder.feed(hex(chunk)))
                actual << (item.kind == FrameDecoder::Item::Kind::Noise ? "noise "
                           : Frame(item.bytes).checksumOk()             ? "frame "
                                                                        : "bad ") +
                              Frame::hex(item.bytes);
        }
        QCOMPARE(actual, expected);
        QVERIFY(!decoder.hasPending());
    }

    // Steps are "CMD PAYLOAD... [@MS]"; the summary must hold every expected line.
    void followsCommands_data()
    {
        QTest::addColumn<S>("steps");
        QTest::addColumn<S>("expected");
        QTest::addColumn<QByteArray>("glyphs");
        const auto row = [](const char* name, const char* steps, const char* expected,
                            const char* glyphs = "") {
            QTest::newRow(name) << items(steps) << items(expected) << hex(glyphs);
        };
        row("unknown command", "55 02",
            "screen number 1; line-speed position not set; panel not set; "
            "hardware options not set; glyph table 0 bytes in 0 frames");
        row("later settings win",
            "0D 01; 0B 00 00 00 40 00 10 00 00; 0D 02; 16 05; 0B 00 00 01 2C 00 20 01 03; "
            "13 01 00 01 03 02 07 07 07",
            "line-speed position 2 (38400 bit/s); screen number 5; "
            "panel width 300 height 32 colour 1 scan 3; hardware options 01 00 01 03 02");
        row("widest panel", "0B 00 00 FF FF 01 00 00 00",
            "panel width 65535 height 256 colour 0 scan 0");
        row("panel too short", "0B 00 00 01 2C 00 20 01", "panel not set");
        row("resets and finds", "0A 00; 17 00 00 00 00 00 00; 0A 00", "resets 2, finds 1");
        row("glyphs append; a 2 s pause continues", "14 01 02; 14 03 04 @10; 14 05 @2010",
            "glyph table 5 bytes in 3 frames", "0102030405");
        row("another command restarts glyphs", "14 01 02; 0A 00; 14 03",
            "glyph table 1 bytes in 1 frames", "03");
        row("longer pause restarts glyphs", "14 01 @1000; 14 02 @3001",
            "glyph table 1 bytes in 1 frames", "02");
    }
    void followsCommands()
    {
        QFETCH(S, steps);
        QFETCH(S, expected);
        ScreenState state;
        for (const QString& step : steps) {
            const Frame f(frame(hex(step.section('@', 0, 0))));
            state.apply(f, step.section('@', 1).toLongLong());
        }
        for (const QString& line : expected)
            QVERIFY2(state.summary().contains(line), qPrintable(state.summary().join('/')));
        QTEST(state.glyphTable(), "glyphs");
    }

    // A zero table with bytes set: the cells of its text, and pieces of it.
    void draws_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<S>("pokes");
        QTest::addColumn<int>("cells");
        QTest::addColumn<S>("pieces");
        const auto row = [](const char* name, int size, const char* pokes, int cells,
                            const char* pieces) {
            QTest::newRow(name) << size << items(pokes) << cells << items(pieces, '|');
        };
        row("bit 7 leftmost", 32, "0=80; 1=01; 15=A5", 2,
            "cell 0 offset 0 8x16|#.......|.......#|........|; |#.#..#.#||cell 1 offset 16 8x16|");
        row("ragged end padded", 20, "16=FF; 19=3C", 2,
            "cell 1 offset 16 8x16|########|........|........|..####..|........|");
        row("clock table: wide is left half, then right", 912, "208=80; 224=01; 223=01; 239=80", 35,
            "cell 13 offset 208 16x16|#..............#|................|; |.......##.......||");
        row("one byte more is all narrow", 913, "208=80", 58, "cell 13 offset 208 8x16|#.......|");
        row("empty", 0, "", 0, "");
    }
    void draws()
    {
        QFETCH(int, size);
        QFETCH(S, pokes);
        QFETCH(int, cells);
        QFETCH(S, pieces);
        QByteArray table(size, 0);
        for (const QString& poke : pokes)
            table[poke.section('=', 0, 0).toInt()] = hex(poke.section('=', 1))[0];
        const QString text = GlyphPicture::text(table);
        for (const QString& piece : pieces)
            QVERIFY2(text.contains(piece), qPrintable(piece));
        QCOMPARE(text.split("\n\n", Qt::SkipEmptyParts).size(), cells);
        // The picture: each pixel a kScale square, red if lit, cells a pixel apart.
        const QImage image = GlyphPicture::image(table);
        const int s = GlyphPicture::kScale, wide = int(text.count("16x16"));
        qsizetype red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                red += image.pixel(x, y) == qRgb(255, 0, 0);
        QCOMPARE(red, text.count('#') * s * s);
        QCOMPARE(image.pixel(0, 0) == qRgb(255, 0, 0), text.startsWith("cell 0 offset 0 8x16\n#"));
        QCOMPARE(image.size(), QSize(std::max((cells * 9 + wide * 8 - 1) * s, s), 16 * s));
    }

    // Steps "BAUD SCREEN BODY" send a frame ("BAUD - BYTES" the bytes as
    // they are) through a port set up as the tool's (odd parity), each read
    // until the line is quiet. (The modes, --stop-after and --hangup-after
    // answer as the tests of the link, the commands and the command-line tool
    // expect of them.) Every expected piece must show in the log or in
    // the summary that SIGTERM brings. `files`: with --glyphs-text, the glyph
    // files "NAME=PIECE" ("NAME=": empty, "!NAME": none) at the end.
    void talks_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<S>("steps");
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<S>("expected");
        QTest::addColumn<S>("files");
        const auto row = [](const char* name, const char* options, const char* steps,
                            const char* answers, const char* expected, const char* files = "") {
            QTest::newRow(name) << options << items(steps) << hex(answers) << items(expected)
                                << items(files);
        };
        row("ack, after noise", "", "9600 - 01025AA50701000D02F6", "06",
            "| 01 02 | no frame, 2 bytes skipped\n; | 5A A5 07 01 00 0D 02 F6 | screen 1 seq 0 cmd "
            "0x0D line-speed payload 02 | checksum good | line-speed position 2 (38400 bit/s) | "
            "answer 06\n; frames 1 good, 0 bad checksum, 2 bytes skipped, 1 answered");
        row("garbage", "--mode garbage", "9600 1 0A00", "1506", "| answer 15 06");
        row("delay", "--delay 100", "9600 1 0A00", "06", "| answer 06 after 100 ms");
        row("bad checksum", "", "9600 - 5AA50701000D0200", "",
            "| checksum bad (F6 expected) | ignored");
        row("its own speed", "--speed 9600", "9600 1 0A00", "06",
            "| reset 1 | answer 06; 0 garbled; listening at 9600 bit/s");
        row("client slower", "--speed 19200", "9600 1 0A00", "",
            "| garbled: sent at 9600 bit/s, this screen listens at 19200 bit/s | no answer "
            "(garbled); 0 answered, 1 garbled; resets 0");
        row("no speed of its own", "", "57600 1 0A00; 9600 1 0A00", "0606",
            "listening at the speed the client sets; resets 2");
        row("a speed it does not know keeps it", "--speed 9600", "9600 1 0D07; 9600 1 0A00", "0606",
            "line-speed position 7 | answer 06; resets 1; listening at 9600 bit/s");
        row("broadcast reaches all", "--screen 1,2", "9600 255 0A00", "",
            "| [1] reset 1 | no answer (broadcast) | [2] reset 1 | no answer (broadcast)");
        row("each its own state", "--screen 1,2", "9600 1 1605; 9600 5 0A00; 9600 1 0A00", "0606",
            "[1] screen number 5; [2] screen number 2; [1] resets 1; [2] resets 0");
        row("each its own speed", "--screen 1,2 --speed 9600",
            "9600 1 0D01; 19200 1 0A00; 19200 2 0A00; 9600 2 0A00", "060606",
            "[1] listening at 19200 bit/s; [2] listening at 9600 bit/s; [2] garbled: sent at "
            "19200 bit/s");
        row("glyphs of one screen", "", "9600 1 1480", "06", "glyph table 1 bytes",
            "glyphs.txt=cell 0 offset 0 8x16\n#.......");
        row("glyphs of each of several", "--screen 1,2,3", "9600 2 1401; 9600 255 1480", "06", "",
            "glyphs-2.txt=.......#; glyphs-1.txt=#.......; glyphs-3.txt=#.......; !glyphs.txt");
        row("glyphs, one screen not addressed", "--screen 1,2", "9600 2 1401", "06", "",
            "glyphs-2.txt=.......#; glyphs-1.txt=");
    }
    void talks()
    {
        QFETCH(QString, options);
        QFETCH(S, steps);
        QFETCH(S, expected);
        QFETCH(S, files);
        QTemporaryDir dir;
        S arguments = options.split(' ', Qt::SkipEmptyParts);
        if (!files.isEmpty())
            arguments << "--glyphs-text" << dir.filePath("glyphs.txt");
        krn::test::VScreenProcess screen;
        QVERIFY2(screen.start(arguments), qPrintable(screen.errorText()));
        QSerialPort port(screen.device());
        port.setParity(QSerialPort::OddParity);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QByteArray got;
        for (const QString& step : steps) {
            const S f = step.split(' ');
            QVERIFY(port.setBaudRate(f[0].toInt()));
            QVERIFY(port.write(f[1] == "-" ? hex(f[2]) : frame(hex(f[2]), f[1].toInt())) > 0);
            got += readUntilQuiet(port);
        }
        QTEST(got, "answers");
        // With its client gone the screen sleeps; it must not spin on the pty.
        port.close();
        const qint64 before = cpuTicks(screen.processId());
        QTest::qWait(300);
        QVERIFY(cpuTicks(screen.processId()) - before <= 3); // 100 ticks a second
        const QString text = screen.logLines().join('\n') + '\n' + screen.stop();
        for (const QString& piece : expected)
            QVERIFY2(text.contains(piece), qPrintable(piece + "\n" + text));
        for (const QString& f : files) { // written once more at the end
            QFile file(dir.filePath(f.section('=', 0, 0).remove('!')));
            QCOMPARE(file.exists(), !f.startsWith('!'));
            if (file.open(QIODevice::ReadOnly)) {
                const QString written = QString::fromLatin1(file.readAll());
                const QString piece = f.section('=', 1);
                QVERIFY2(piece.isEmpty() ? written.isEmpty() : written.contains(piece),
                         qPrintable(written));
            }
        }
    }

    // A paced answer comes no earlier than the frame's and its own time on the
    // wire at 11 bits a byte, and not much later either.
    void paces_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("payload");
        QTest::addColumn<double>("extraMs");
        QTest::newRow("9600, longest frame") << "--pace" << 9600 << 249 << 0.0;
        QTest::newRow("57600, the client's speed") << "--pace" << 57600 << 249 << 0.0;
        QTest::newRow("a delay comes on top") << "--pace --delay 100" << 9600 << 100 << 100.0;
        QTest::newRow("tcp at --speed")
            << "--pace --speed 19200 --listen 127.0.0.1:0 --no-pty" << 19200 << 249 << 0.0;
        QTest::newRow("tcp at 9600 without --speed")
            << "--pace --listen 127.0.0.1:0 --no-pty" << 9600 << 249 << 0.0;
    }
    void paces()
    {
        QFETCH(QString, options);
        QFETCH(int, baud);
        QFETCH(int, payload);
        QFETCH(double, extraMs);
        constexpr double kSlackMs = 250; // a loaded machine answers late, never early
        krn::test::VScreenProcess screen;
        QVERIFY2(screen.start(options.split(' ')), qPrintable(screen.errorText()));
        QSerialPort port(screen.device());
        QTcpSocket socket;
        QIODevice* line = &port;
        if (screen.listenPort() != 0) { // --no-pty: the device is the TCP address
            QCOMPARE(screen.device(), screen.listenUrl());
            socket.connectToHost(QStringLiteral("127.0.0.1"), screen.listenPort());
            QVERIFY(socket.waitForConnected(3000));
            line = &socket;
        } else {
            port.setParity(QSerialPort::OddParity);
            QVERIFY(port.setBaudRate(baud));
            QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        }
        const QByteArray bytes = frame(hex("0A") + QByteArray(payload, 'U'));
        const double expectedMs = (bytes.size() + 1) * 11 * 1000.0 / baud + extraMs;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(line->write(bytes) == bytes.size());
        QVERIFY(line->waitForReadyRead(3000));
        const double ms = clock.nsecsElapsed() / 1e6;
        QCOMPARE(line->readAll(), hex("06"));
        QVERIFY2(ms >= expectedMs && ms <= expectedMs + kSlackMs,
                 qPrintable(QString("%1 ms, line time %2 ms").arg(ms).arg(expectedMs)));
        QVERIFY(screen.stop().contains("1 answered"));
    }

    // A raw TCP client beside the pty, its frame in two pieces 50 ms apart;
    // `before`: what an earlier client sent before it went away.
    void listens_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("alone") << QByteArray();
        QTest::newRow("a half frame of an earlier client is dropped") << hex("5AA50701");
    }
    void listens()
    {
        QFETCH(QByteArray, before);
        krn::test::VScreenProcess screen;
        QVERIFY2(screen.start({"--listen", "127.0.0.1:0"}), qPrintable(screen.errorText()));
        QVERIFY(screen.listenUrl().startsWith("tcp://127.0.0.1:"));
        const auto connectClient = [&](QTcpSocket& socket) {
            socket.connectToHost(QStringLiteral("127.0.0.1"), screen.listenPort());
            return socket.waitForConnected(3000);
        };
        if (!before.isEmpty()) {
            QTcpSocket earlier;
            QVERIFY(connectClient(earlier));
            earlier.write(before);
            QVERIFY(earlier.waitForBytesWritten(1000));
            earlier.disconnectFromHost();
            QVERIFY(screen.waitForLines(2)); // connected, disconnected
        }
        QTcpSocket client;
        QVERIFY(connectClient(client));
        // One client at a time: a second is turned away, the first keeps its line.
        QTcpSocket second;
        QVERIFY(connectClient(second));
        QVERIFY(second.state() == QAbstractSocket::UnconnectedState ||
                second.waitForDisconnected(3000));
        const QByteArray r = frame(hex("0A00"));
        for (const QByteArray& chunk : {r.left(3), r.mid(3)}) {
            client.write(chunk);
            QVERIFY(client.waitForBytesWritten(1000));
            QTest::qWait(50);
        }
        QCOMPARE(readUntilQuiet(client), hex("06"));
        QSerialPort port(screen.device()); // the pty answers beside it
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QVERIFY(port.write(r) > 0);
        QCOMPARE(readUntilQuiet(port), hex("06"));
        const QString text = screen.logLines().join('\n') + '\n' + screen.stop();
        for (const char* piece : {"tcp | 5A A5 07 01 00 0A 00 F3 | screen 1", "turned away",
                                  "frames 2 good, 0 bad checksum, 0 bytes skipped, 2 answered"})
            QVERIFY2(text.contains(piece), qPrintable(text));
    }

    // Chunks "AT_MS COUNT BAUD" in order; then when the byte before `end` was
    // through, and the speed of the bytes [begin, end).
    void clocksTheLine_data()
    {
        QTest::addColumn<S>("chunks");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<qint64>("throughNs");
        QTest::addColumn<qint64>("begin");
        QTest::addColumn<int>("speed");
        const auto row = [](const char* name, const char* chunks, qint64 end, qint64 ns,
                            qint64 begin, int speed) {
            QTest::newRow(name) << items(chunks) << end << ns << begin << speed;
        };
        // 11 bits at 9600 bit/s: 1145833.3 ns a byte.
        row("within a chunk", "0 16 9600", 8, 9166667, 4, 9600);
        row("queued behind the one before", "0 8 9600; 1 8 9600", 16, 18333334, 8, 9600);
        row("after a pause", "0 8 9600; 100 8 9600", 16, 109166667, 0, 9600);
        row("speed changed on the way", "0 4 9600; 20 4 19200", 8, 22291667, 3, 0);
        row("a chunk at one speed", "0 4 9600; 20 4 19200", 6, 21145834, 4, 19200);
    }
    void clocksTheLine()
    {
        QFETCH(S, chunks);
        QFETCH(qint64, end);
        QFETCH(qint64, begin);
        LineClock clock;
        for (const QString& chunk : chunks) {
            const S f = chunk.split(' ');
            clock.received(f[0].toLongLong() * 1'000'000, f[1].toLongLong(), f[2].toInt());
        }
        QTEST(clock.throughAt(end), "throughNs");
        QTEST(clock.speedOf(begin, end), "speed");
    }

    // Command lines: what is refused and why, or what a good one means.
    void readsItsOptions_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* arguments, const char* expected) {
            QTest::newRow(arguments) << arguments << expected;
        };
        row("--screen 0,254:nak,7 --mode silent --speed 57600 --pace --listen [::1]:0",
            "0:1 254:2 7:1 57600 pace pty ::1:0");
        row("--listen localhost:7001 --no-pty", "1:0 0 127.0.0.1:7001");
        row("--screen 3-5:nak,9", "3:2 4:2 5:2 9:0");
        row("--screen 1,2,1", "--screen names 1 twice");
        row("--screen 1-4,3", "--screen names 3 twice");
        row("--screen 5-3", "--screen needs numbers");
        row("--screen 3:loud", "--screen needs numbers");
        row("--screen 256", "--screen needs numbers");
        row("--screen 1,,2", "--screen needs numbers");
        row("--speed 10", "--speed needs a whole number from 50");
        row("--listen 127.0.0.1", "--listen needs an address");
        row("--listen example.org:80", "--listen needs an address");
        row("--no-pty", "--no-pty needs --listen");
    }
    void readsItsOptions()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, expected);
        QString error;
        bool help = false;
        const auto o =
            VScreenOptions::parse(S{"krntools-vscreen"} + arguments.split(' '), &error, &help);
        S parts{error};
        if (o) {
            for (const ScreenSetup& s : o->screens)
                parts << QString("%1:%2").arg(s.number).arg(int(s.mode));
            parts << QString::number(o->speed) << (o->pace ? "pace" : "") << (o->pty ? "pty" : "")
                  << (o->listenHost
                          ? o->listenHost->toString() + ':' + QString::number(o->listenPort)
                          : "");
        }
        parts.removeAll("");
        const QString actual = parts.join(' ');
        QVERIFY2(actual.startsWith(expected), qPrintable(actual));
    }
};

QTEST_GUILESS_MAIN(TestVScreen)
#include "tst_vscreen.moc"
