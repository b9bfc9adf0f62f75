#include "vscreen/glyphpicture.h"

#include <QtTest>

using krn::vscreen::GlyphPicture;

class TestGlyphPicture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cutsCells_data();
    void cutsCells();
    void drawsNarrowCellsAsText();
    void drawsWideCellsAsText();
    void wideCellOfTwoNarrowGlyphsLooksTheSame();
    void drawsPicture();
};

namespace {
// Rows of a block in the text, without its heading.
QStringList block(const QString& text, int cell)
{
    const QStringList blocks = text.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
    QStringList lines = blocks.value(cell).split(QLatin1Char('\n'));
    lines.removeFirst();
    return lines;
}

// A table whose every byte differs from its neighbours, so misplaced rows show.
QByteArray numbered(int size)
{
    QByteArray table(size, 0);
    for (int i = 0; i < size; ++i)
        table[i] = char(i * 37 + 11);
    return table;
}
} // namespace

void TestGlyphPicture::cutsCells_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("narrow");
    QTest::addColumn<int>("wide");

    QTest::newRow("clock table") << 912 << 13 << 22;
    QTest::newRow("Chinese clock with the English table") << 240 << 15 << 0;
    QTest::newRow("a download under way") << 224 << 14 << 0;
    QTest::newRow("one byte more than a clock table") << 913 << 58 << 0;
    QTest::newRow("ragged end") << 20 << 2 << 0;
    QTest::newRow("empty") << 0 << 0 << 0;
}

void TestGlyphPicture::cutsCells()
{
    QFETCH(int, size);
    QFETCH(int, narrow);
    QFETCH(int, wide);

    const auto cells = GlyphPicture::cells(numbered(size));
    QCOMPARE(int(cells.size()), narrow + wide);
    int offset = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        QCOMPARE(cells[i].offset, offset);
        QCOMPARE(cells[i].width, int(i) < narrow ? 8 : 16);
        offset += cells[i].width * 2;
    }
}

void TestGlyphPicture::drawsNarrowCellsAsText()
{
    QByteArray table(32, 0);
    table[0] = char(0x80);
    table[1] = char(0x01);
    table[15] = char(0xA5);
    table[16] = char(0xFF);
    table[19] = char(0x3C);
    const QString text = GlyphPicture::text(table.left(20)); // second cell padded

    QVERIFY(text.startsWith(QStringLiteral("cell 0 offset 0 8x16\n")));
    QStringList first = block(text, 0);
    QCOMPARE(first.size(), 16);
    QCOMPARE(first[0], QStringLiteral("#......."));
    QCOMPARE(first[1], QStringLiteral(".......#"));
    QCOMPARE(first[2], QStringLiteral("........"));
    QCOMPARE(first[15], QStringLiteral("#.#..#.#"));
    const QStringList second = block(text, 1);
    QCOMPARE(second[0], QStringLiteral("########"));
    QCOMPARE(second[3], QStringLiteral("..####.."));
    QCOMPARE(second[15], QStringLiteral("........"));
}

void TestGlyphPicture::drawsWideCellsAsText()
{
    QByteArray table(912, 0);
    table[208] = char(0x80);      // left half, top row
    table[208 + 16] = char(0x01); // right half, top row
    table[208 + 15] = char(0x01); // left half, bottom row
    table[208 + 31] = char(0x80); // right half, bottom row
    table[911] = char(0xFF);      // last row of the last right half
    const QString text = GlyphPicture::text(table);

    QVERIFY(text.contains(QStringLiteral("cell 13 offset 208 16x16\n")));
    const QStringList cell = block(text, 13);
    QCOMPARE(cell[0], QStringLiteral("#..............#"));
    QCOMPARE(cell[1], QStringLiteral("................"));
    QCOMPARE(cell[15], QStringLiteral(".......##......."));
    QCOMPARE(block(text, 34)[15], QStringLiteral("........########"));
}

void TestGlyphPicture::wideCellOfTwoNarrowGlyphsLooksTheSame()
{
    // The English clock sends its weekdays as narrow glyphs; read as wide
    // cells they must still show the two glyphs side by side.
    const QByteArray table = numbered(912);
    const QString wideText = GlyphPicture::text(table);
    for (int cell = 13; cell < 35; ++cell) {
        const int offset = 208 + (cell - 13) * 32;
        const QString pair = GlyphPicture::text(table.mid(offset, 32));
        const QStringList left = block(pair, 0);
        const QStringList right = block(pair, 1);
        const QStringList wide = block(wideText, cell);
        for (int y = 0; y < 16; ++y)
            QCOMPARE(wide[y], left[y] + right[y]);
    }
}

void TestGlyphPicture::drawsPicture()
{
    QByteArray table(912, 0);
    table[0] = char(0x80);       // cell 0: top-left pixel
    table[208 + 16 + 15] = 0x01; // cell 13: bottom-right pixel
    const QImage picture = GlyphPicture::image(table);
    const int s = GlyphPicture::kScale;

    // 13 narrow and 22 wide cells with 34 one-pixel gaps between them.
    QCOMPARE(picture.size(), QSize((13 * 8 + 22 * 16 + 34) * s, 16 * s));
    const QRgb red = qRgb(255, 0, 0);
    const QRgb black = qRgb(0, 0, 0);
    QCOMPARE(picture.pixel(0, 0), red);
    QCOMPARE(picture.pixel(s - 1, s - 1), red);
    QCOMPARE(picture.pixel(s, 0), black);
    const int gapX = 8 * s;
    QVERIFY(picture.pixel(gapX, 0) != red && picture.pixel(gapX, 0) != black);
    const int cell13 = (13 * 8 + 13) * s;
    QCOMPARE(picture.pixel(cell13 + 15 * s, 15 * s), red);
    QCOMPARE(picture.pixel(cell13 + 16 * s - 1, 16 * s - 1), red);
    QCOMPARE(picture.pixel(cell13 + 14 * s, 15 * s), black);
}

QTEST_GUILESS_MAIN(TestGlyphPicture)
#include "tst_glyphpicture.moc"
