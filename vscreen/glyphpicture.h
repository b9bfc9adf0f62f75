#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <array>
#include <vector>

namespace krn::vscreen {

// One character cell of the clock glyph table: 8 x 16 (one byte per row) or
// 16 x 16 (16 bytes of the left half, then 16 of the right half). Bit 7 of a
// byte is the leftmost pixel.
struct GlyphCell {
    int offset = 0; // where the cell starts in the table
    int width = 8;  // 8 or 16
    std::array<quint16, 16> rows{};

    bool lit(int x, int y) const { return (rows[y] >> (width - 1 - x)) & 1; }
};

// Pictures of the clock glyph table, so a person sees what the screen would draw.
class GlyphPicture {
public:
    // A full clock table: 13 narrow cells, then 16 x 16 cells from this offset on.
    static constexpr int kClockTableSize = 912;
    static constexpr int kWideStart = 208;
    static constexpr int kScale = 4;

    // Cuts a table into cells. A full clock table has its wide cells from
    // kWideStart on; any other table is read as narrow cells only, the last
    // one padded with dark rows. Two narrow glyphs read as one wide cell give
    // the same picture, so an English table looks right either way.
    static std::vector<GlyphCell> cells(const QByteArray& table);

    // One block per cell: a heading, then 16 rows of '#' (lit) and '.' (dark).
    static QString text(const QByteArray& table);

    // The cells side by side, each pixel kScale x kScale, lit pixels red on
    // black, a grey gap one glyph pixel wide between cells.
    static QImage image(const QByteArray& table);
};

} // namespace krn::vscreen
