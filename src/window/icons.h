#pragma once

#include <QIcon>

namespace krn::icons {

// A small LED panel: the window's and the program's icon.
QIcon windowIcon();

// A letter with a pen stroke: the clock-font button.
QIcon fontIcon();

} // namespace krn::icons
