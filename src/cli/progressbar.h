#pragma once

#include "commands/screenfinder.h"
#include "strings/stringtable.h"

#include <QString>

namespace krn::cli {

// One line of the finder's progress for a terminal:
// "[#####.....] 9600 bit/s, screen 12, found 0". `width` is the bar's cells.
QString progressLine(const FinderProgress& progress, strings::Language language, int width = 24);

} // namespace krn::cli
