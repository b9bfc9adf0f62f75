#pragma once

#include <QChar>
#include <QFont>
#include <QtGlobal>

namespace krn::glyphs {

// Whether a clock font's glyphs fit the controller's cells, measured on the
// rasteriser's own drawing: a glyph whose ink reaches past its cell is cut off
// on the screen, and a face taller than the drawing surface cannot be drawn
// whole at all.
struct Fit {
    int height = 0;    // the face's line height in pixels
    QChar overflowing; // the first character whose ink leaves its cell; null when none
    int inkWidth = 0;  // that character's ink width from the cell's left edge
    int cellWidth = 0; // its cell: 8 or 16 pixels

    bool tooTall() const;
    bool fits() const { return !tooTall() && overflowing.isNull(); }
};

// The tallest line the drawing surface holds.
inline constexpr int TallestLine = 32;

// Measures every character of the clock `clockLanguage` (see glyphText) drawn
// in `font` exactly as the download draws it. Throws krn::Failure when nothing
// can be drawn.
Fit measureFit(const QFont& font, qint32 clockLanguage);

} // namespace krn::glyphs
