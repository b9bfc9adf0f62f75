#include "fontchooser.h"

#include <QFontDialog>

namespace krn {

std::optional<QFont> DialogFontChooser::choose(const QFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, m_parent);
    if (!ok)
        return std::nullopt;
    return font;
}

} // namespace krn
