#include "support/vscreenprocess.h"
#include "vscreen/framedecoder.h"
#include "vscreen/glyphpicture.h"
#include "vscreen/screenstate.h"

#include <QFile>
#include <QSerialPort>
#include <QtTest>
#include <numeric>

using namespace krn::vscreen;
using S = QStringList;

namespace {
const auto hex = [](const QString& text) { return QByteArray::fromHex(text.toLatin1()); };

// To screen 1, sequence 0; not the link's encoder, so its faults cannot hide here.
QByteArray frame(const QByteArray& body)
{
    const QByteArray bytes = hex("5AA5") + char(body.size() + 5) + '\1' + '\0' + body;
    return bytes + std::accumulate(bytes.begin(), bytes.end(), char(0), std::bit_xor<char>());
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
        row("trailing 5A", "x 5A; A5 070100 0D02F6", "x; x; flush");
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
        row("speed beyond the list", "0D 07", "line-speed position 7");
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
        QFETCH(QByteArray, glyphs);
        ScreenState state;
        for (const QString& step : steps) {
            const Frame f(frame(hex(step.section('@', 0, 0))));
            QVERIFY(!state.apply(f, step.section('@', 1).toLongLong()).isEmpty());
        }
        for (const QString& line : expected)
            QVERIFY2(state.summary().contains(line), qPrintable(state.summary().join('/')));
        QCOMPARE(state.glyphTable(), glyphs);
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
        row("end of a clock table", 912, "911=FF", 35,
            "cell 34 offset 880 16x16|; |........########||");
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
        const S blocks = text.split("\n\n", Qt::SkipEmptyParts);
        QCOMPARE(blocks.size(), cells);
        // The picture: each pixel a kScale square, red if lit, cells a pixel apart.
        const QImage image = GlyphPicture::image(table);
        const int s = GlyphPicture::kScale;
        int left = 0;
        for (const QString& block : blocks) {
            const S rows = block.split('\n').mid(1);
            for (int y = 0; y < 16 * s; ++y)
                for (int x = 0; x < rows[0].size() * s; ++x)
                    QCOMPARE(image.pixel(left + x, y),
                             rows[y / s][x / s] == '#' ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
            left += int(rows[0].size() + 1) * s;
        }
        QCOMPARE(image.size(), QSize(std::max(left - s, s), 16 * s));
    }

    // Frames go one at a time through a port set up as the tool's (odd parity);
    // the pieces must show in the log or in the summary that SIGTERM brings.
    void answers_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("frames");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, QString options, QString frames, QString answers,
                            QString expected) {
            QTest::newRow(name) << options << frames << answers << expected;
        };
        const QString f = QStringLiteral("5AA50701000D02F6"),
                      r = QStringLiteral(" 5AA50701000A00F3");
        row("ack, after noise", "", "0102" + f, "06",
            "| 01 02 | no frame, 2 bytes skipped\n; | 5A A5 07 01 00 0D 02 F6 | screen 1 seq 0 cmd "
            "0x0D line-speed payload 02 | checksum good | line-speed position 2 (38400 bit/s) | "
            "answer 06\n; frames 1 good, 0 bad checksum, 2 bytes skipped, 1 answered");
        row("silent", "--mode silent", f, "", "| no answer (silent); 0 answered");
        row("nak", "--mode nak", f, "15", "| answer 15\n");
        row("garbage", "--mode garbage", f, "1506", "| answer 15 06");
        row("delay", "--delay 100", f, "06", "| answer 06 after 100 ms");
        row("bad checksum", "", "5AA50701000D0200", "", "| checksum bad (F6 expected) | ignored");
        row("broadcast", "", "5AA507FFFF1600EE", "", "| no answer (broadcast)");
        row("stop after 2", "--stop-after 2", r + r + r, "0606", "| no answer (stopped after 2)");
        row("hang up after 2", "--hangup-after 2", r + r, "06", "| reset 2 | hang-up; 1 answered");
        row("new screen number after command 22", "", "5AA50701001605EA" + r + " 5AA50705000A00F7",
            "0606", "| no answer (not this screen); screen number 5");
    }
    void answers()
    {
        QFETCH(QString, options);
        QFETCH(QString, frames);
        QFETCH(QString, answers);
        QFETCH(QString, expected);
        krn::test::VScreenProcess screen;
        QVERIFY2(screen.start(options.split(' ', Qt::SkipEmptyParts)),
                 qPrintable(screen.errorText()));
        QSerialPort port(screen.device());
        port.setParity(QSerialPort::OddParity);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QByteArray got;
        for (const QString& frame : frames.split(' ', Qt::SkipEmptyParts)) {
            QVERIFY(port.write(hex(frame)) > 0);
            while (port.waitForReadyRead(500)) // until the line is quiet
                got += port.readAll();
        }
        QCOMPARE(got, hex(answers));
        // With its client gone the screen sleeps; it must not spin on the pty.
        port.close();
        const qint64 before = cpuTicks(screen.processId());
        QTest::qWait(300);
        QVERIFY(cpuTicks(screen.processId()) - before <= 3); // 100 ticks a second
        const QString text = screen.logLines().join('\n') + '\n' + screen.stop();
        for (const QString& piece : expected.split(QStringLiteral("; ")))
            QVERIFY2(text.contains(piece), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestVScreen)
#include "tst_vscreen.moc"
