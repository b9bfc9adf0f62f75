#include "glyphsample.h"

#include "commands/glyphs.h"

#include <QPainter>

namespace krn {

namespace {
constexpr int Scale = 2; // screen pixels per glyph pixel
constexpr int Gap = 3;   // between cells, so each cell's edge shows
constexpr int CellHeight = glyphs::CellRows * Scale;

int cellWidth(const GlyphSample::Cell& cell)
{
    return (cell.wide ? 2 : 1) * glyphs::HalfColumns * Scale;
}
} // namespace

GlyphSample::GlyphSample(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setAutoFillBackground(false);
}

void GlyphSample::setGlyphs(const QFont& font, qint32 clockLanguage)
{
    QList<Cell> cells;
    for (const QChar c : glyphs::glyphText(clockLanguage)) {
        const bool wide = glyphs::isWide(c);
        cells.append(Cell{wide, glyphs::rasterise(font, c)});
    }
    m_cells = cells;
    updateGeometry();
    update();
}

QList<QPoint> GlyphSample::layout(int width) const
{
    QList<QPoint> at;
    int x = Gap, y = Gap;
    for (const Cell& cell : m_cells) {
        const int w = cellWidth(cell);
        if (x > Gap && x + w + Gap > width) {
            x = Gap;
            y += CellHeight + Gap;
        }
        at.append(QPoint(x, y));
        x += w + Gap;
    }
    return at;
}

QSize GlyphSample::sizeHint() const
{
    constexpr int Width = 480;
    return QSize(Width, heightForWidth(Width));
}

int GlyphSample::heightForWidth(int width) const
{
    const QList<QPoint> at = layout(width);
    return (at.isEmpty() ? 0 : at.last().y()) + CellHeight + Gap;
}

void GlyphSample::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(64, 64, 64));
    const QList<QPoint> at = layout(width());
    for (qsizetype i = 0; i < m_cells.size(); ++i) {
        const Cell& cell = m_cells.at(i);
        const QPoint origin = at.at(i);
        painter.fillRect(QRect(origin, QSize(cellWidth(cell), CellHeight)), Qt::black);
        for (qsizetype b = 0; b < cell.bytes.size(); ++b) {
            const int half = int(b / glyphs::CellRows);
            const int row = int(b % glyphs::CellRows);
            const auto byte = quint8(cell.bytes.at(b));
            for (int bit = 0; bit < glyphs::HalfColumns; ++bit) {
                if (byte & (0x80 >> bit)) {
                    const int column = half * glyphs::HalfColumns + bit;
                    painter.fillRect(origin.x() + column * Scale, origin.y() + row * Scale, Scale,
                                     Scale, QColor(255, 0, 0));
                }
            }
        }
    }
}

} // namespace krn
