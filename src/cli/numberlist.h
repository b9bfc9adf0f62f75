#pragma once

#include <QList>
#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace krn::cli {

// A whole decimal number as a script writes it: digits only, no sign, no
// blanks, no fraction. Nothing when the text is anything else or too long.
std::optional<qint64> wholeNumber(QStringView text);

// Numbers and ranges separated by commas ("1,3,7-12"), each within
// [low, high]; blanks around items are allowed. Order is kept, repeats are
// dropped. Nothing when an item is empty, not a number, out of range, or a
// range runs backwards.
std::optional<QList<qint32>> numberList(QStringView text, qint32 low, qint32 high);

// "1,3,7-12" back from a list: runs of consecutive numbers become ranges.
QString compactList(const QList<qint32>& numbers);

} // namespace krn::cli
