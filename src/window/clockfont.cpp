#include "clockfont.h"

#include "core/failure.h"

#include <QCoreApplication>
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
        throw Failure(QCoreApplication::translate("krn", "The clock font size %1 cannot be used: "
                                                         "it must lie above 0 and up to %2 points.")
                          .arg(points)
                          .arg(LargestPoints));
    return points;
}

} // namespace krn
