#pragma once

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QWidget>

namespace krn {

// The clock's glyph table drawn from the very bytes the download sends: each
// cell magnified, lit bits red on black, so a glyph cut off at its cell's edge
// shows cut off here too.
class GlyphSample : public QWidget {
    Q_OBJECT

public:
    explicit GlyphSample(QWidget* parent = nullptr);

    // Rasterises the clock `clockLanguage` in `font` (the font the glyphs are
    // drawn with, i.e. after substitution). Throws krn::Failure when nothing
    // can be drawn.
    void setGlyphs(const QFont& font, qint32 clockLanguage);

    struct Cell {
        bool wide = false;
        QByteArray bytes; // as sent: left half's 16 rows, then the right half's
    };
    const QList<Cell>& cells() const { return m_cells; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Top-left corner of every cell when laid out in rows `width` wide.
    QList<QPoint> layout(int width) const;

    QList<Cell> m_cells;
};

} // namespace krn
