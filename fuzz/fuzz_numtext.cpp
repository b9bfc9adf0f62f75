// Numbers from text against a reference written from the rules alone: the
// leading number (blanks, sign, digits with '.', an exponent that counts only
// with digits), read by a state machine and converted by the C library's
// correctly rounded strtod; rounding half to even worked out by hand; the
// checked narrowings as plain range tests. Any difference aborts.

#include "core/failure.h"
#include "core/numtext.h"

#include <QString>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace {

[[noreturn]] void mismatch(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "numtext mismatch: %s: %s\n", what, detail.c_str());
    std::abort();
}

// The longest number literal after the leading blanks, or nothing.
std::optional<std::string> referenceLiteral(QStringView text)
{
    enum State { Start, Sign, Int, PointFirst, Fraction, Exp, ExpSign, ExpDigits, Stop };
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype begin = i;
    qsizetype accepted = -1;
    State state = Start;
    for (; i < text.size() && state != Stop; ++i) {
        const char16_t c = text[i].unicode();
        const bool digit = c >= u'0' && c <= u'9';
        const bool sign = c == u'+' || c == u'-';
        const bool point = c == u'.';
        const bool exp = c == u'e' || c == u'E';
        switch (state) {
        case Start:
            state = sign ? Sign : digit ? Int : point ? PointFirst : Stop;
            break;
        case Sign:
            state = digit ? Int : point ? PointFirst : Stop;
            break;
        case Int:
            state = digit ? Int : point ? Fraction : exp ? Exp : Stop;
            break;
        case PointFirst:
        case Fraction:
            state = digit ? Fraction : (exp && state == Fraction) ? Exp : Stop;
            break;
        case Exp:
            state = sign ? ExpSign : digit ? ExpDigits : Stop;
            break;
        case ExpSign:
        case ExpDigits:
            state = digit ? ExpDigits : Stop;
            break;
        case Stop:
            break;
        }
        if (state == Int || state == Fraction || state == ExpDigits)
            accepted = i + 1;
    }
    if (accepted < 0)
        return std::nullopt;
    std::string literal;
    for (qsizetype j = begin; j < accepted; ++j)
        literal += char(text[j].unicode());
    return literal;
}

double referenceNumber(QStringView text)
{
    const std::optional<std::string> literal = referenceLiteral(text);
    return literal ? std::strtod(literal->c_str(), nullptr) : 0.0;
}

// Half to even by hand: for v >= 0, v - floor(v) is exact.
double referenceRound(double v)
{
    if (!std::isfinite(v))
        return v;
    const double a = std::fabs(v);
    const double f = std::floor(a);
    const double rest = a - f;
    double r = f;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(f, 2.0) != 0.0))
        r = f + 1;
    return std::copysign(r, v);
}

bool same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

std::string shown(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

template <typename T, typename Convert>
void checkNarrowing(const char* name, Convert convert, double v)
{
    const double r = referenceRound(v);
    const bool fits =
        r >= double(std::numeric_limits<T>::min()) && r <= double(std::numeric_limits<T>::max());
    try {
        const T got = convert(v);
        if (!fits || double(got) != r)
            mismatch(name, shown(v) + " gave " + std::to_string(got));
    } catch (const krn::Failure&) {
        if (fits)
            mismatch(name, shown(v) + " failed but fits");
    }
}

template <typename T, typename Convert> void checkWhole(const char* name, Convert convert, qint64 v)
{
    const bool fits = v >= std::numeric_limits<T>::min() && v <= std::numeric_limits<T>::max();
    try {
        const T got = convert(v);
        if (!fits || got != v)
            mismatch(name, std::to_string(v) + " gave " + std::to_string(got));
    } catch (const krn::Failure&) {
        if (fits)
            mismatch(name, std::to_string(v) + " failed but fits");
    }
}

void checkConversions(double v)
{
    if (!same(krn::roundHalfEven(v), referenceRound(v)))
        mismatch("roundHalfEven", shown(v) + " gave " + shown(krn::roundHalfEven(v)));
    checkNarrowing<qint16>("toInt16", krn::toInt16, v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool cLocale = std::setlocale(LC_NUMERIC, "C") != nullptr; // strtod's point
    (void)cLocale;

    // The bytes as the text of a list item.
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double got = krn::leadingNumber(text);
    const double want = referenceNumber(text);
    if (!same(got, want))
        mismatch("leadingNumber", text.toStdString() + ": " + shown(got) + " vs " + shown(want));
    checkConversions(got);

    // The first eight bytes as a double and as a whole number, for the
    // conversions on their own (NaN, infinities and every tie included).
    if (size >= 8) {
        double d;
        qint64 w;
        std::memcpy(&d, data, 8);
        std::memcpy(&w, data, 8);
        checkConversions(d);
        checkConversions(double(w) / 2); // every x.5 in range, where ties live
        checkWhole<qint16>("wholeToInt16", krn::wholeToInt16, w);
        checkWhole<quint8>("wholeToByte", krn::wholeToByte, w);
        checkWhole<qint16>("wholeToInt16", krn::wholeToInt16, qint16(w));
        checkWhole<quint8>("wholeToByte", krn::wholeToByte, w % 512 - 128);
    }
    return 0;
}
