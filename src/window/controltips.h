#pragma once

#include "controltable.h"
#include "link/portmap.h"

#include <QString>
#include <optional>
#include <string_view>

namespace krn {

// Gives every control its tooltip in the operator's language.
void applyControlTips(QWidget& form);

// The serial-port list's tooltip: what the list is for, which device the item
// `item` (port `number`) opens with the system's description of it, and
// whether the number is pinned to that adapter.
QString serialPortTip(const QString& item, const PortRoute& route);

} // namespace krn
