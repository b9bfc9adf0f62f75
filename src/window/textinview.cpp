#include "textinview.h"

#include <QFontMetrics>
#include <QLineEdit>

namespace krn {

// A face the system substitutes for a missing one may report text bounds far
// taller than its lines: under Wine, without the Windows fonts, every missing
// face becomes a math face whose digits are 51 px high on a 13 px line. A
// line edit centres its text by those bounds and so draws it above the box,
// out of sight, though it is there and can be edited. Aligned to the top, the
// line starts inside the box. Faces that tell the truth keep their centring.
void keepTextInView(QLineEdit& edit)
{
    const QFontMetrics metrics = edit.fontMetrics();
    const int bounds = metrics.boundingRect(QStringLiteral("0123456789*")).height();
    if (bounds > metrics.height() * 3 / 2)
        edit.setAlignment((edit.alignment() & ~Qt::AlignVertical_Mask) | Qt::AlignTop);
}

} // namespace krn
