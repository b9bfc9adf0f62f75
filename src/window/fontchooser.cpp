#include "fontchooser.h"

#include "clockfontdialog.h"

namespace krn {

std::optional<QFont> DialogFontChooser::choose(const QFont& initial)
{
    ClockFontDialog dialog(m_parent);
    dialog.setClockLanguage(m_clockLanguage);
    dialog.setHeldFont(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenFont();
}

} // namespace krn
