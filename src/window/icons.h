#pragma once

#include <QIcon>

namespace krn::icons {

// An LED panel showing "KRN": the window's and the installed program's icon.
QIcon windowIcon();

// A letter with a pen stroke: the clock-font button.
QIcon fontIcon();

} // namespace krn::icons
