#include "clockfont.h"

#include "command.h"

#include "core/failure.h"
#include "core/textids.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <algorithm>

namespace krn {

namespace {
const QString Fallback = QStringLiteral("Unifont");
// Larger than any font dialog offers; a remembered size beyond it is a typo.
} // namespace

QString clockFamilyFor(const QString& face)
{
    if (QFontDatabase::families().contains(face, Qt::CaseInsensitive))
        return face;
    return Fallback;
}

QFont resolvedClockFont(const QFont& font)
{
    QFont resolved(font);
    resolved.setFamily(clockFamilyFor(font.family()));
    return resolved;
}

double checkedClockSize(double points)
{
    if (!(points > 0 && points <= LargestClockPoints))
        throw Failure(Message{strings::ClockSizeInvalid,
                              {QString::number(points), QString::number(LargestClockPoints)}});
    return points;
}

bool lacksBold(const QFont& font)
{
    if (!font.bold())
        return false;
    // The face that is drawn, not the one named: a missing family has been
    // substituted by now. A family the database cannot list is left to Qt.
    const QString family = QFontInfo(font).family();
    const QStringList styles = QFontDatabase::styles(family);
    return !styles.isEmpty() && std::none_of(styles.begin(), styles.end(), [&](const QString& s) {
        return QFontDatabase::weight(family, s) > QFont::Medium;
    });
}

void drawClockText(QPainter& painter, const QFont& font, const QRect& rect, int flags,
                   const QString& text)
{
    const bool overdraw = lacksBold(font);
    QFont face(font);
    // Qt emboldens some such faces its own way; the overdraw replaces that.
    if (overdraw)
        face.setBold(false);
    painter.setFont(face);
    painter.drawText(rect, flags, text);
    if (overdraw)
        painter.drawText(rect.translated(1, 0), flags, text);
}

} // namespace krn
