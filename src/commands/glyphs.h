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

// The clock table cut into the download's frames as it is drawn: each frame
// is ready as soon as its bytes are, so the first goes out while the rest is
// still being drawn. Frame boundaries ignore glyph boundaries.
class ClockFrames {
public:
    ClockFrames(QFont font, qint32 clockLanguage, qsizetype frameBytes = 32);
    // Frames the whole table makes.
    int total() const { return m_total; }
    // The next frame (the last may be shorter); empty after the last.
    // `beforeGlyph` runs before each character is drawn. Throws as
    // rasterise() does.
    template <typename BeforeGlyph> QByteArray next(BeforeGlyph beforeGlyph)
    {
        while (m_pending.size() < m_frameBytes && m_at < m_text.size()) {
            beforeGlyph();
            m_pending += rasterise(m_font, m_text.at(m_at++));
        }
        QByteArray frame = m_pending.left(m_frameBytes);
        m_pending.remove(0, frame.size());
        return frame;
    }
    QByteArray next()
    {
        return next([] {});
    }

private:
    QFont m_font;
    QString m_text;
    qsizetype m_frameBytes;
    qsizetype m_at = 0;
    QByteArray m_pending;
    int m_total = 0;
};

} // namespace krn::glyphs
