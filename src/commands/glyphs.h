#pragma once

#include <QByteArray>
#include <QChar>
#include <QFont>
#include <QImage>
#include <QString>
#include <QtGlobal>

namespace krn::glyphs {

// Cell sizes of the controller's clock table.
inline constexpr int CellRows = 16;
inline constexpr int HalfColumns = 8;
inline constexpr int NarrowBytes = 16;
inline constexpr int WideBytes = 32;
// A pixel is lit when its red component reaches this.
inline constexpr int LitRed = 204;

// The characters of the clock table, in the order the controller expects:
// digits, '-', ':', blank, the temperature unit, then Sunday to Saturday.
// Clock language 0 is the Chinese clock, whose unit and weekday names come
// from the string table in the interface language; any other value is the
// English clock.
QString glyphText(qint32 clockLanguage);

// A wide glyph is two cells side by side: the characters that take two bytes
// in the Chinese code pages, i.e. everything above Latin-1.
bool isWide(QChar c);

// One character drawn in pure red on black, top-left aligned, 32x32 pixels,
// as every clock display draws (drawClockText: a missing bold synthesised).
// Throws krn::Failure when nothing can be drawn (no GUI application).
QImage renderGlyph(const QFont& font, QChar c);

// The glyph bytes of a drawn character: one byte per row of the left 8
// columns, top row first, leftmost column in bit 7; a wide glyph follows with
// the 16 rows of columns 8 to 15. Throws krn::Failure when the image is
// smaller than the cell.
QByteArray sampleGlyph(const QImage& image, bool wide);

// renderGlyph and sampleGlyph in one: 16 bytes for a narrow character, 32 for
// a wide one.
QByteArray rasterise(const QFont& font, QChar c);

} // namespace krn::glyphs
