#pragma once

#include <QFont>
#include <QString>

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

} // namespace krn
