#include "glyphfit.h"

#include "commands/glyphs.h"

#include <QFontMetrics>
#include <QImage>

namespace krn::glyphs {

namespace {
// Rightmost lit column + 1 in a drawn glyph; 0 for a blank one.
int inkRight(const QImage& image)
{
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = 0; y < image.height(); ++y)
            if (qRed(image.pixel(x, y)) >= LitRed)
                return x + 1;
    return 0;
}
} // namespace

bool Fit::tooTall() const
{
    return height > TallestLine;
}

Fit measureFit(const QFont& font, qint32 clockLanguage)
{
    Fit fit;
    // Measured on the drawing surface itself: its resolution, not the
    // screen's, turns points into pixels.
    const QImage canvas = renderGlyph(font, u' ');
    QFont face(font);
    face.setStyleStrategy(QFont::NoAntialias);
    fit.height = QFontMetrics(face, &canvas).height();
    if (fit.tooTall())
        return fit;

    for (const QChar c : glyphText(clockLanguage)) {
        const int cell = isWide(c) ? 2 * HalfColumns : HalfColumns;
        const int right = inkRight(renderGlyph(font, c));
        if (right > cell) {
            fit.overflowing = c;
            fit.inkWidth = right;
            fit.cellWidth = cell;
            break;
        }
    }
    return fit;
}

} // namespace krn::glyphs
