#include "accessgate.h"

#include "commands/command.h"

#include <QLineEdit>

namespace krn {

void AccessGate::toggle()
{
    if (m_state == State::Closed) {
        m_passwordFrame.show();
        m_passwordBox.setFocus();
        m_state = State::Asking;
    } else {
        m_hardwareFrame.hide();
        m_passwordFrame.hide();
        m_state = State::Closed;
    }
}

void AccessGate::confirm()
{
    if (m_passwordBox.text() == HardwarePassword) {
        // The box keeps the entry, so closing and reopening the panel lets a
        // confirm unlock again at once.
        m_hardwareFrame.show();
        m_passwordFrame.hide();
        if (m_state == State::Asking)
            m_state = State::Unlocked;
    } else {
        m_passwordBox.clear();
        m_passwordBox.setFocus();
    }
}

} // namespace krn
