#include "glyphs.h"

#include "clockfont.h"
#include "core/failure.h"
#include "strings/stringtable.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>

namespace krn::glyphs {

namespace {
constexpr int CanvasSize = 32;
} // namespace

QString glyphText(qint32 clockLanguage)
{
    QString text = QStringLiteral("0123456789-: ");
    if (clockLanguage == 0) {
        text += strings::load(strings::ChineseClockGlyphs);
    } else {
        // The degree sign is one narrow cell and 'C' another: the unit takes
        // the same 32 bytes as the Chinese clock's single wide glyph.
        text += QChar(0x00B0);
        text += u'C';
        for (const char* day : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"})
            text += u' ' + QLatin1String(day) + QStringLiteral("  ");
    }
    return text;
}

bool isWide(QChar c)
{
    return c.unicode() > 0x00FF;
}

QImage renderGlyph(const QFont& font, QChar c)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        throw Failure(Message{strings::GlyphsNoGui});

    QImage image(CanvasSize, CanvasSize, QImage::Format_RGB32);
    image.fill(Qt::black);

    // Hard edges only: a smoothed edge would light bits by accident of the
    // threshold.
    QFont face(font);
    face.setStyleStrategy(QFont::NoAntialias);

    QPainter painter;
    if (!painter.begin(&image))
        throw Failure(Message{strings::GlyphsSurfaceRefused});
    painter.setPen(QColor(255, 0, 0));
    drawClockText(painter, face, image.rect(), Qt::AlignLeft | Qt::AlignTop, QString(c));
    painter.end();
    return image;
}

QByteArray sampleGlyph(const QImage& image, bool wide)
{
    const int columns = wide ? 2 * HalfColumns : HalfColumns;
    if (image.width() < columns || image.height() < CellRows)
        throw Failure(Message{strings::GlyphPictureSmall,
                              {QString::number(image.width()), QString::number(image.height())}});

    QByteArray bytes;
    bytes.reserve(wide ? WideBytes : NarrowBytes);
    for (int left = 0; left < columns; left += HalfColumns) {
        for (int row = 0; row < CellRows; ++row) {
            quint8 byte = 0;
            for (int bit = 0; bit < HalfColumns; ++bit) {
                if (qRed(image.pixel(left + bit, row)) >= LitRed)
                    byte |= quint8(0x80 >> bit);
            }
            bytes.append(char(byte));
        }
    }
    return bytes;
}

QByteArray rasterise(const QFont& font, QChar c)
{
    return sampleGlyph(renderGlyph(font, c), isWide(c));
}

ClockFrames::ClockFrames(QFont font, qint32 clockLanguage, qsizetype frameBytes)
    : m_font(std::move(font)), m_text(glyphText(clockLanguage)), m_frameBytes(frameBytes)
{
    qsizetype bytes = 0;
    for (const QChar c : std::as_const(m_text))
        bytes += isWide(c) ? WideBytes : NarrowBytes;
    m_total = int((bytes + frameBytes - 1) / frameBytes);
}

} // namespace krn::glyphs
