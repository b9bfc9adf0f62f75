#include "clockfont.h"

#include "core/failure.h"
#include "core/textids.h"

#include <QFontDatabase>

namespace krn {

namespace {
const QString Fallback = QStringLiteral("Unifont");
// Larger than any font dialog offers; a remembered size beyond it is a typo.
constexpr double LargestPoints = 1638;
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
    if (!(points > 0 && points <= LargestPoints))
        throw Failure(Message{strings::ClockSizeInvalid,
                              {QString::number(points), QString::number(LargestPoints)}});
    return points;
}

} // namespace krn
