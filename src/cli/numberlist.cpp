#include "numberlist.h"

#include <QSet>
#include <QString>

namespace krn::cli {

std::optional<qint64> wholeNumber(QStringView text)
{
    // Nine digits is far beyond any value the tool takes and cannot overflow.
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::optional<QList<qint32>> numberList(QStringView text, qint32 low, qint32 high)
{
    QList<qint32> numbers;
    QSet<qint32> seen;
    for (const QStringView item : text.split(u',')) {
        const QStringView trimmed = item.trimmed();
        const qsizetype dash = trimmed.indexOf(u'-', 1);
        const QStringView first = dash < 0 ? trimmed : trimmed.left(dash).trimmed();
        const QStringView last = dash < 0 ? trimmed : trimmed.mid(dash + 1).trimmed();
        const std::optional<qint64> a = wholeNumber(first);
        const std::optional<qint64> b = wholeNumber(last);
        if (!a || !b || *a < low || *b > high || *a > *b)
            return std::nullopt;
        for (qint64 n = *a; n <= *b; ++n) {
            if (!seen.contains(qint32(n))) {
                seen.insert(qint32(n));
                numbers << qint32(n);
            }
        }
    }
    return numbers;
}

QString compactList(const QList<qint32>& numbers)
{
    QStringList parts;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        parts << (j - i >= 2 ? QStringLiteral("%1-%2").arg(numbers[i]).arg(numbers[j])
                             : QString::number(numbers[i]));
        if (j - i == 1)
            parts << QString::number(numbers[j]);
        i = j + 1;
    }
    return parts.join(u',');
}

} // namespace krn::cli
