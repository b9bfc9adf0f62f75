#include "testframes.h"
#include "vscreen/screenstate.h"

#include <QtTest>

using krn::vscreen::Frame;
using krn::vscreen::ScreenState;

class TestScreenState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void followsCommands_data();
    void followsCommands();
    void glyphFramesAppendInOrder();
    void answersToItsNewNumber();
};

namespace {
// "CMD PAYLOAD... [@MS]", all hex but the time, e.g. "0D 02" or "14 11 22 @2500".
struct Step {
    Frame frame;
    qint64 atMs;
};

Step step(const QString& text)
{
    QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    qint64 at = 0;
    if (words.last().startsWith(QLatin1Char('@')))
        at = words.takeLast().mid(1).toLongLong();
    const quint8 command = static_cast<quint8>(words.takeFirst().toUInt(nullptr, 16));
    return {Frame(frameBytes(1, 0, command, QByteArray::fromHex(words.join(QString()).toLatin1()))),
            at};
}

QString glyphs(int bytes, const char* time = "")
{
    return QStringLiteral("14 ") + QStringLiteral("AA ").repeated(bytes) + QLatin1String(time);
}

QString panel(const char* first8)
{
    return QStringLiteral("0B ") + QLatin1String(first8) + QStringLiteral(" 00").repeated(11);
}
} // namespace

void TestScreenState::followsCommands_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected"); // lines the summary must hold

    QTest::newRow("nothing yet") << QStringList{}
                                 << QStringList{"screen number 1", "line-speed position not set",
                                                "panel not set", "hardware options not set",
                                                "glyph table 0 bytes in 0 frames"};
    QTest::newRow("line speed") << QStringList{"0D 02"}
                                << QStringList{"line-speed position 2 (38400 bit/s)"};
    QTest::newRow("line speed beyond the list")
        << QStringList{"0D 07"} << QStringList{"line-speed position 7"};
    QTest::newRow("screen number") << QStringList{"16 05"} << QStringList{"screen number 5"};
    QTest::newRow("panel") << QStringList{panel("00 00 01 2C 00 20 01 03")}
                           << QStringList{"panel width 300 height 32 colour 1 scan 3"};
    QTest::newRow("widest panel") << QStringList{panel("00 00 FF FF 01 00 00 00")}
                                  << QStringList{"panel width 65535 height 256 colour 0 scan 0"};
    QTest::newRow("panel too short changes nothing")
        << QStringList{"0B 00 00 01 2C 00 20 01"} << QStringList{"panel not set"};
    QTest::newRow("hardware options, last three bytes unused")
        << QStringList{"13 01 00 01 03 02 07 07 07"}
        << QStringList{"hardware options 01 00 01 03 02"};
    QTest::newRow("resets and finds") << QStringList{"0A 00", "17 00 00 00 00 00 00", "0A 00"}
                                      << QStringList{"resets 2, finds 1"};
    QTest::newRow("later settings win")
        << QStringList{"0D 01", panel("00 00 00 40 00 10 00 00"), "0D 03"}
        << QStringList{"line-speed position 3 (57600 bit/s)",
                       "panel width 64 height 16 colour 0 scan 0"};
    QTest::newRow("unknown command changes nothing")
        << QStringList{"0D 01", "55 02"} << QStringList{"line-speed position 1 (19200 bit/s)"};
    QTest::newRow("glyph download") << QStringList{glyphs(32), glyphs(32), glyphs(16)}
                                    << QStringList{"glyph table 80 bytes in 3 frames"};
    QTest::newRow("another command starts a new download")
        << QStringList{glyphs(32), "0A 00", glyphs(16)}
        << QStringList{"glyph table 16 bytes in 1 frames"};
    QTest::newRow("a pause over two seconds starts a new download")
        << QStringList{glyphs(32, " @1000"), glyphs(16, " @3001")}
        << QStringList{"glyph table 16 bytes in 1 frames"};
    QTest::newRow("a pause of two seconds continues it")
        << QStringList{glyphs(32, " @1000"), glyphs(16, " @3000")}
        << QStringList{"glyph table 48 bytes in 2 frames"};
}

void TestScreenState::followsCommands()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);

    ScreenState state;
    for (const QString& text : steps) {
        const Step s = step(text);
        QVERIFY(!state.apply(s.frame, s.atMs).isEmpty());
    }
    const QStringList summary = state.summary();
    for (const QString& line : expected)
        QVERIFY2(summary.contains(line), qPrintable(summary.join(QLatin1String(" / "))));
}

void TestScreenState::glyphFramesAppendInOrder()
{
    ScreenState state;
    state.apply(Frame(frameBytes(1, 0, 0x14, hex("0102"))), 0);
    state.apply(Frame(frameBytes(1, 1, 0x14, hex("0304"))), 10);
    QCOMPARE(state.glyphTable(), hex("01020304"));
    state.apply(Frame(frameBytes(1, 2, 0x14, hex("05"))), 3000);
    QCOMPARE(state.glyphTable(), hex("05"));
}

void TestScreenState::answersToItsNewNumber()
{
    ScreenState state(1);
    QVERIFY(state.takes(1) && state.takes(255) && !state.takes(5));
    state.apply(Frame(frameBytes(1, 0, 0x16, hex("05"))), 0);
    QCOMPARE(state.screenNumber(), quint8(5));
    QVERIFY(!state.takes(1) && state.takes(5) && state.takes(255));
}

QTEST_GUILESS_MAIN(TestScreenState)
#include "tst_screenstate.moc"
