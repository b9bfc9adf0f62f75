#include "glyphpicture.h"

#include <algorithm>

namespace krn::vscreen {

namespace {
constexpr int kRows = 16;
const QRgb kLit = qRgb(255, 0, 0);
const QRgb kDark = qRgb(0, 0, 0);
const QRgb kGap = qRgb(48, 48, 48);

quint8 byteOr0(const QByteArray& table, qsizetype i)
{
    return i < table.size() ? static_cast<quint8>(table.at(i)) : 0;
}
} // namespace

std::vector<GlyphCell> GlyphPicture::cells(const QByteArray& table)
{
    std::vector<GlyphCell> result;
    const qsizetype narrowEnd = table.size() == kClockTableSize ? kWideStart : table.size();
    qsizetype offset = 0;
    for (; offset < narrowEnd; offset += kRows) {
        GlyphCell cell;
        cell.offset = static_cast<int>(offset);
        for (int y = 0; y < kRows; ++y)
            cell.rows[y] = byteOr0(table, offset + y);
        result.push_back(cell);
    }
    for (; offset < table.size(); offset += 2 * kRows) {
        GlyphCell cell;
        cell.offset = static_cast<int>(offset);
        cell.width = 16;
        for (int y = 0; y < kRows; ++y)
            cell.rows[y] = static_cast<quint16>(byteOr0(table, offset + y) << 8 |
                                                byteOr0(table, offset + kRows + y));
        result.push_back(cell);
    }
    return result;
}

QString GlyphPicture::text(const QByteArray& table)
{
    QString out;
    const std::vector<GlyphCell> all = cells(table);
    for (size_t i = 0; i < all.size(); ++i) {
        const GlyphCell& cell = all[i];
        out += QStringLiteral("cell %1 offset %2 %3x16\n").arg(i).arg(cell.offset).arg(cell.width);
        for (int y = 0; y < kRows; ++y) {
            for (int x = 0; x < cell.width; ++x)
                out += cell.lit(x, y) ? QLatin1Char('#') : QLatin1Char('.');
            out += QLatin1Char('\n');
        }
        out += QLatin1Char('\n');
    }
    return out;
}

QImage GlyphPicture::image(const QByteArray& table)
{
    const std::vector<GlyphCell> all = cells(table);
    int columns = 0;
    for (const GlyphCell& cell : all)
        columns += cell.width;
    columns += all.empty() ? 1 : static_cast<int>(all.size()) - 1; // the gaps

    QImage picture(columns * kScale, kRows * kScale, QImage::Format_RGB32);
    picture.fill(kGap);
    int left = 0;
    for (const GlyphCell& cell : all) {
        for (int y = 0; y < kRows; ++y) {
            for (int x = 0; x < cell.width; ++x) {
                const QRgb colour = cell.lit(x, y) ? kLit : kDark;
                for (int dy = 0; dy < kScale; ++dy) {
                    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y * kScale + dy));
                    std::fill_n(line + (left + x) * kScale, kScale, colour);
                }
            }
        }
        left += cell.width + 1;
    }
    return picture;
}

} // namespace krn::vscreen
