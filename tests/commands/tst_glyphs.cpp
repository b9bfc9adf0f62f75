// The clock glyph rasteriser: which characters the clock table holds, how a
// drawn character becomes bytes, and what Unifont's cells come out as.

#include "commands/glyphs.h"
#include "core/failure.h"

#include <QFontInfo>
#include <QLocale>
#include <QTest>

using namespace krn::glyphs;

namespace {

// Unifont's glyphs are exactly the controller's 8x16 and 16x16 cells at its
// native 16 pixels (12 pt at 96 dpi), so the bits are known in advance.
QFont unifont()
{
    QFont f(QStringLiteral("Unifont"));
    f.setPixelSize(16);
    return f;
}

QImage blackCanvas()
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

} // namespace

class TestGlyphs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFontInfo(unifont()).family() == QLatin1String("Unifont"),
                 "the Unifont font (Debian package fonts-unifont) is needed");
    }
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void theRedThresholdDecidesABit_data()
    {
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<bool>("lit");
        QTest::newRow("red 204") << qRgb(204, 0, 0) << true;
        QTest::newRow("red 203") << qRgb(203, 0, 0) << false;
        QTest::newRow("red 255") << qRgb(255, 0, 0) << true;
        QTest::newRow("red 203, green and blue full") << qRgb(203, 255, 255) << false;
        QTest::newRow("white") << qRgb(255, 255, 255) << true;
        QTest::newRow("green and blue only") << qRgb(0, 255, 255) << false;
    }

    void theRedThresholdDecidesABit()
    {
        QFETCH(QRgb, colour);
        QFETCH(bool, lit);
        QImage image = blackCanvas();
        image.setPixel(2, 5, colour);
        QByteArray expected(NarrowBytes, '\0');
        if (lit)
            expected[5] = char(0x20);
        QCOMPARE(sampleGlyph(image, false).toHex(' '), expected.toHex(' '));
    }

    void whereAPixelLands_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("byteIndex"); // -1: the pixel is outside the cell
        QTest::addColumn<int>("value");

        QTest::newRow("top left is bit 7") << 0 << 0 << false << 0 << 0x80;
        QTest::newRow("column 7 is bit 0") << 7 << 0 << false << 0 << 0x01;
        QTest::newRow("one byte per row") << 3 << 15 << false << 15 << 0x10;
        QTest::newRow("narrow: column 8 is not sent") << 8 << 0 << false << -1 << 0;
        QTest::newRow("row 16 is not sent") << 0 << 16 << false << -1 << 0;
        QTest::newRow("wide: left half first") << 7 << 9 << true << 9 << 0x01;
        QTest::newRow("wide: right half follows") << 8 << 0 << true << 16 << 0x80;
        QTest::newRow("wide: bottom right") << 15 << 15 << true << 31 << 0x01;
        QTest::newRow("wide: column 16 is not sent") << 16 << 3 << true << -1 << 0;
    }

    void whereAPixelLands()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, wide);
        QFETCH(int, byteIndex);
        QFETCH(int, value);

        QImage image = blackCanvas();
        image.setPixel(x, y, qRgb(255, 0, 0));
        QByteArray expected(wide ? WideBytes : NarrowBytes, '\0');
        if (byteIndex >= 0)
            expected[byteIndex] = char(value);
        QCOMPARE(sampleGlyph(image, wide).toHex(' '), expected.toHex(' '));
    }

    void glyphKinds_data()
    {
        QTest::addColumn<QChar>("c");
        QTest::addColumn<bool>("wide");
        QTest::newRow("digit") << QChar(u'7') << false;
        QTest::newRow("degree sign") << QChar(0x00B0) << false;
        QTest::newRow("last Latin-1") << QChar(0x00FF) << false;
        QTest::newRow("first beyond Latin-1") << QChar(0x0100) << true;
        QTest::newRow("degree Celsius") << QChar(0x2103) << true;
    }

    void glyphKinds()
    {
        QFETCH(QChar, c);
        QFETCH(bool, wide);
        QCOMPARE(isWide(c), wide);
        QCOMPARE(rasterise(unifont(), c).size(), wide ? WideBytes : NarrowBytes);
    }

    // Rows as in Unifont's own hex listing: the left half's 16 bytes, then
    // for a wide glyph the right half's.
    void unifontCells_data()
    {
        QTest::addColumn<QChar>("c");
        QTest::addColumn<QByteArray>("rows");
        QTest::newRow("0") << QChar(u'0') << QByteArray("00000000182442464a52624224180000");
        QTest::newRow(":") << QChar(u':') << QByteArray("00000000000018180000001818000000");
        QTest::newRow("C") << QChar(u'C') << QByteArray("000000003c42424040404042423c0000");
        QTest::newRow("degree sign")
            << QChar(0x00B0) << QByteArray("00000000182424180000000000000000");
        QTest::newRow("blank") << QChar(u' ') << QByteArray(32, '0');
        QTest::newRow("星") << QChar(0x661F)
                            << QByteArray("001f101f101f01111f21411f01017f00"
                                          "00f010f010f00000f80000f00000fc00");
    }

    void unifontCells()
    {
        QFETCH(QChar, c);
        QFETCH(QByteArray, rows);
        QCOMPARE(rasterise(unifont(), c).toHex(), rows);
    }

    void theWholeFontIsUsed()
    {
        // Bold, italic and underline come from the font chooser; a rasteriser
        // that rebuilt the font from its family and size would lose them.
        const QByteArray plain = rasterise(unifont(), u'1');
        QFont italic = unifont();
        italic.setItalic(true);
        QVERIFY(rasterise(italic, u'1') != plain);
        QFont underlined = unifont();
        underlined.setUnderline(true);
        QVERIFY(rasterise(underlined, u' ') != QByteArray(NarrowBytes, '\0'));
    }

    void clockTexts_data()
    {
        QTest::addColumn<int>("clockLanguage");
        QTest::addColumn<QLocale>("interface");
        QTest::addColumn<QString>("tail"); // after "0123456789-: "
        QTest::addColumn<int>("narrow");
        QTest::addColumn<int>("wide");
        QTest::addColumn<int>("bytes");

        const QLocale en(QLocale::English, QLocale::UnitedStates);
        const QLocale zh(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
        const QLocale tw(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan);
        const QString english = QStringLiteral("\u00B0C Sun   Mon   Tue   Wed   Thu   Fri   Sat  ");
        const QString chinese = QStringLiteral("℃星期日星期一星期二星期三星期四星期五星期六");

        QTest::newRow("English clock") << 1 << en << english << 57 << 0 << 912;
        QTest::newRow("English clock, Chinese interface") << 1 << zh << english << 57 << 0 << 912;
        QTest::newRow("any non-zero is English") << -1 << en << english << 57 << 0 << 912;
        QTest::newRow("Chinese clock, Simplified") << 0 << zh << chinese << 13 << 22 << 912;
        QTest::newRow("Chinese clock, Traditional") << 0 << tw << chinese << 13 << 22 << 912;
        QTest::newRow("Chinese clock, English interface")
            << 0 << en << QStringLiteral("()") << 15 << 0 << 240;
    }

    void clockTexts()
    {
        QFETCH(int, clockLanguage);
        QFETCH(QLocale, interface);
        QFETCH(QString, tail);
        QFETCH(int, narrow);
        QFETCH(int, wide);
        QFETCH(int, bytes);

        QLocale::setDefault(interface);
        const QString text = glyphText(clockLanguage);
        QCOMPARE(text, QStringLiteral("0123456789-: ") + tail);
        int n = 0, w = 0, total = 0;
        for (QChar c : text) {
            (isWide(c) ? w : n) += 1;
            total += rasterise(unifont(), c).size();
        }
        QCOMPARE(n, narrow);
        QCOMPARE(w, wide);
        QCOMPARE(total, bytes);
    }
};

QTEST_MAIN(TestGlyphs)
#include "tst_glyphs.moc"
