#pragma once

#include <QStringView>
#include <QtGlobal>

namespace krn {

// The number a text starts with: leading blanks skipped, optional sign, digits
// with '.' as the only decimal point and an optional exponent; reading stops at
// the first character that cannot continue the number. No number gives 0.
double leadingNumber(QStringView text);

// Round half to even (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// Checked conversions: round half to even, then throw krn::Failure with a
// readable description when the result does not fit.
qint16 toInt16(double value);

// The number a text typed by the operator starts with, rounded half to even
// and checked to lie within low..high; outside, the failure names the field
// (a text id) and the text as typed.
qint64 fieldNumber(quint16 field, QStringView text, qint64 low, qint64 high);

// Whole-number narrowing (list positions, header fields).
qint16 wholeToInt16(qint64 value);
quint8 wholeToByte(qint64 value);

} // namespace krn
