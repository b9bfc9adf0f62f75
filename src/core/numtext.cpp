#include "numtext.h"

#include "failure.h"
#include "textids.h"

#include <cmath>
#include <limits>

namespace krn {

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;

    QString literal;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        literal += text[i++];

    bool digits = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        literal += text[i++];
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        qsizetype j = i + 1;
        QString fraction;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128)
            fraction += text[j++];
        if (digits || !fraction.isEmpty()) {
            literal += u'.';
            literal += fraction;
            digits = digits || !fraction.isEmpty();
            i = j;
        }
    }
    if (!digits)
        return 0.0;

    // The exponent counts only when at least one digit follows it.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            exponent += text[j++];
        bool expDigits = false;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) {
            exponent += text[j++];
            expDigits = true;
        }
        if (expDigits)
            literal += exponent;
    }

    bool ok = false;
    const double value = literal.toDouble(&ok);
    // toDouble refuses values beyond double range: one too small to represent
    // ("1e-400") comes back as 0 and is a zero of its own sign, as the nearest
    // double is; one too large keeps its sign so the conversion that follows
    // reports an overflow rather than reading 0.
    if (ok)
        return value;
    const bool negative = literal.startsWith(u'-');
    if (value == 0.0)
        return negative ? -0.0 : 0.0;
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    return std::nearbyint(value); // default rounding mode is to-nearest-even
}

namespace {

[[noreturn]] void overflow(const QString& shown, qint64 low, qint64 high)
{
    throw Failure(
        Message{strings::ValueOutside, {shown, QString::number(low), QString::number(high)}});
}

template <typename T> T narrowRounded(double value)
{
    const double r = roundHalfEven(value);
    constexpr auto lo = std::numeric_limits<T>::min();
    constexpr auto hi = std::numeric_limits<T>::max();
    if (!(r >= static_cast<double>(lo) && r <= static_cast<double>(hi)))
        overflow(QString::number(value, 'g', 12), lo, hi);
    return static_cast<T>(r);
}

template <typename T> T narrowWhole(qint64 value)
{
    constexpr auto lo = std::numeric_limits<T>::min();
    constexpr auto hi = std::numeric_limits<T>::max();
    if (value < lo || value > hi)
        overflow(QString::number(value), lo, hi);
    return static_cast<T>(value);
}

} // namespace

qint64 fieldNumber(quint16 field, QStringView text, qint64 low, qint64 high)
{
    const double r = roundHalfEven(leadingNumber(text));
    if (!(r >= double(low) && r <= double(high)))
        throw Failure(Message{strings::FieldOutside,
                              {TextRef{field}, text.trimmed().toString(), QString::number(low),
                               QString::number(high)}});
    return qint64(r);
}

qint16 toInt16(double value)
{
    return narrowRounded<qint16>(value);
}
qint16 wholeToInt16(qint64 value)
{
    return narrowWhole<qint16>(value);
}
quint8 wholeToByte(qint64 value)
{
    return narrowWhole<quint8>(value);
}

} // namespace krn
