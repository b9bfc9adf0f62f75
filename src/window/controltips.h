#pragma once

#include "controltable.h"
#include "link/portpinning.h"

#include <QString>
#include <optional>
#include <string_view>

namespace krn {

// The text id of the tooltip that says what a control does and what it
// sends, by the control's name ("CmdOk(8)"). None for the two controls whose
// tooltips the window has always had (the clock language list and the font
// button) and for the hidden glyph canvas. A label shares its list's tooltip.
std::optional<quint16> controlTipId(std::string_view control);

// Gives every control its tooltip in the operator's language.
void applyControlTips(QWidget& form);

// The serial-port list's tooltip: what the list is for, which device the item
// `item` (port `number`) opens with the system's description of it, and
// whether the number is pinned to that adapter.
QString serialPortTip(const QString& item, const PortRoute& route);

} // namespace krn
