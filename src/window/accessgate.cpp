#include "accessgate.h"

#include "commands/command.h"

#include <QLineEdit>

namespace krn {

void AccessGate::toggle()
{
    if (m_panelShown == 0) {
        m_passwordFrame.show();
        m_passwordBox.setFocus();
    } else {
        m_hardwareFrame.hide();
        m_passwordFrame.hide();
    }
    m_panelShown = qint16(1 - m_panelShown);
}

void AccessGate::confirm()
{
    if (m_passwordBox.text() == HardwarePassword) {
        // The box keeps the entry, so closing and reopening the panel lets a
        // confirm unlock again at once.
        m_hardwareFrame.show();
        m_passwordFrame.hide();
    } else {
        m_passwordBox.clear();
        m_passwordBox.setFocus();
    }
}

} // namespace krn
