#pragma once

#include <QString>
#include <QtGlobal>

class QLineEdit;
class QWidget;

namespace krn {

// The password in front of the hardware options. The advanced button
// toggles Closed <-> Asking/Unlocked; a correct entry turns Asking into
// Unlocked, a wrong one empties the box and keeps asking.
class AccessGate {
public:
    enum class State {
        Closed,   // password frame and hardware frame hidden (panel flag 0)
        Asking,   // password frame shown, focus in the password box (flag 1)
        Unlocked, // hardware frame shown, password frame hidden (flag 1)
    };

    AccessGate(QWidget& passwordFrame, QWidget& hardwareFrame, QLineEdit& passwordBox)
        : m_passwordFrame(passwordFrame), m_hardwareFrame(hardwareFrame), m_passwordBox(passwordBox)
    {
    }

    // The advanced button.
    void toggle();
    // The confirm button, or Enter in the password box. Only the exact text
    // counts; a wrong one is not reported, there is no limit on attempts.
    void confirm();

    State state() const { return m_state; }
    // The panel flag as the window has always kept it: 0 closed, 1 open.
    qint16 AdvancedPanelShown() const { return m_state == State::Closed ? 0 : 1; }

private:
    QWidget& m_passwordFrame;
    QWidget& m_hardwareFrame;
    QLineEdit& m_passwordBox;
    State m_state = State::Closed;
};

} // namespace krn
