#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace krn {

// The family the clock displays (the preview and the glyph canvas) draw with
// for a chosen face: the face itself when the system has it, otherwise Unifont,
// whose glyphs are exactly the controller's 8x16 and 16x16 cells. The default
// faces ("宋体", "新細明體", "Arial") are Windows fonts that most other systems
// lack, and a look-alike substitute would give the screen different glyphs.
QString clockFamilyFor(const QString& face);

// `font` with its family resolved as above; every other attribute kept.
QFont resolvedClockFont(const QFont& font);

// A usable point size for the clock displays; throws krn::Failure otherwise.
double checkedClockSize(double points);

// Whether `font` asks for a bold that the face it resolves to does not have.
bool lacksBold(const QFont& font);

// Draws `text` in `font` with the painter's pen, placed in `rect` by `flags`
// as QPainter::drawText places it. Every clock display draws this way (the
// glyph canvas, and through it the chooser's sample, and the preview), so
// they agree with what the screen receives. A bold the face lacks is drawn as
// the controller's own tool drew it: the regular face, then again one pixel to
// the right. Italic and underline need nothing here: Qt slants a face that
// has no italic, and the painter draws the underline.
void drawClockText(QPainter& painter, const QFont& font, const QRect& rect, int flags,
                   const QString& text);

} // namespace krn
