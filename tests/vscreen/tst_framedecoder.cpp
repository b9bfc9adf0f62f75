#include "testframes.h"
#include "vscreen/frame.h"
#include "vscreen/framedecoder.h"

#include <QtTest>

using krn::vscreen::Frame;
using krn::vscreen::FrameDecoder;

class TestFrameDecoder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodes_data();
    void decodes();
    void readsTheFieldsOfAFrame();
};

namespace {
QString describe(const FrameDecoder::Item& item)
{
    QString kind = QStringLiteral("noise ");
    if (item.kind == FrameDecoder::Item::Kind::Frame)
        kind = Frame(item.bytes).checksumOk() ? QStringLiteral("frame ") : QStringLiteral("bad ");
    return kind + Frame::hex(item.bytes);
}

QString framed(const QByteArray& bytes)
{
    return QStringLiteral("frame ") + Frame::hex(bytes);
}
} // namespace

// Each row feeds its chunks in order, then says the line went quiet ("flush");
// the expected list names every item in the order it came out.
void TestFrameDecoder::decodes_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("expected");
    const QByteArray f = kLineSpeedFrame;
    const QString flush = QStringLiteral("flush");

    QTest::newRow("line-speed example") << QList<QByteArray>{f} << QStringList{framed(f), flush};
    QTest::newRow("broadcast example")
        << QList<QByteArray>{kBroadcastFrame} << QStringList{framed(kBroadcastFrame), flush};
    QList<QByteArray> bytes;
    for (char c : f)
        bytes << QByteArray(1, c);
    QTest::newRow("one byte at a time") << bytes << QStringList{framed(f), flush};
    QTest::newRow("split after the first header byte")
        << QList<QByteArray>{f.left(1), f.mid(1, 3), f.mid(4)} << QStringList{framed(f), flush};
    const QByteArray empty = hex("5AA50601030AF1");
    QTest::newRow("empty payload") << QList<QByteArray>{empty} << QStringList{framed(empty), flush};
    const QByteArray longest = frameBytes(1, 9, 0x14, QByteArray(249, '\x55'));
    QTest::newRow("longest frame in pieces")
        << QList<QByteArray>{longest.left(100), longest.mid(100)}
        << QStringList{framed(longest), flush};
    QTest::newRow("two frames in one chunk")
        << QList<QByteArray>{f + kBroadcastFrame}
        << QStringList{framed(f), framed(kBroadcastFrame), flush};
    QTest::newRow("garbage before, with a 5A that starts nothing")
        << QList<QByteArray>{hex("00FF5A00") + f}
        << QStringList{"noise 00 FF 5A 00", framed(f), flush};
    QTest::newRow("garbage between frames")
        << QList<QByteArray>{f + hex("0606") + f}
        << QStringList{framed(f), "noise 06 06", framed(f), flush};
    QTest::newRow("5A 5A A5: the second 5A starts the frame")
        << QList<QByteArray>{hex("5A") + f} << QStringList{"noise 5A", framed(f), flush};
    QTest::newRow("length below six is no header")
        << QList<QByteArray>{hex("5AA503") + f} << QStringList{"noise 5A A5 03", framed(f), flush};
    QTest::newRow("bad checksum, then a good frame")
        << QList<QByteArray>{hex("5AA50701000D0200") + f}
        << QStringList{"bad 5A A5 07 01 00 0D 02 00", "noise A5 07 01 00 0D 02 00", framed(f),
                       flush};
    QTest::newRow("false header swallowing a real frame")
        << QList<QByteArray>{hex("5AA50A") + f}
        << QStringList{"bad 5A A5 0A 5A A5 07 01 00 0D 02 F6", "noise A5 0A", framed(f), flush};
    QTest::newRow("a trailing 5A waits for the next byte")
        << QList<QByteArray>{f + hex("5A"), hex("A5") + f.mid(2)}
        << QStringList{framed(f), framed(f), flush};
    QTest::newRow("half frame ends as noise when the line goes quiet")
        << QList<QByteArray>{f + hex("5AA507")} << QStringList{framed(f), flush, "noise 5A A5 07"};
    QTest::newRow("quiet line frees a frame stuck behind a long false header")
        << QList<QByteArray>{hex("5AA540") + f} << QStringList{flush, "noise 5A A5 40", framed(f)};
}

void TestFrameDecoder::decodes()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, expected);

    FrameDecoder decoder;
    QStringList actual;
    for (const QByteArray& chunk : chunks)
        for (const auto& item : decoder.feed(chunk))
            actual << describe(item);
    actual << QStringLiteral("flush");
    for (const auto& item : decoder.flush())
        actual << describe(item);
    QCOMPARE(actual, expected);
    QVERIFY(!decoder.hasPending());
}

void TestFrameDecoder::readsTheFieldsOfAFrame()
{
    QCOMPARE(frameBytes(1, 0, 0x0D, hex("02")), kLineSpeedFrame);
    const Frame f(kBroadcastFrame);
    QCOMPARE(f.length(), quint8(7));
    QCOMPARE(f.screen(), quint8(255));
    QCOMPARE(f.sequence(), quint8(255));
    QCOMPARE(f.command(), quint8(0x16));
    QCOMPARE(f.payload(), hex("00"));
    QCOMPARE(f.expectedChecksum(), quint8(0xEE));
    QVERIFY(f.checksumOk());
    QVERIFY(Frame(hex("5AA50601030AF1")).payload().isEmpty());
}

QTEST_GUILESS_MAIN(TestFrameDecoder)
#include "tst_framedecoder.moc"
