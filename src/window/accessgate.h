#pragma once

#include <QString>
#include <QtGlobal>

class QLineEdit;
class QWidget;

namespace krn {

// The password in front of the hardware options. Three states:
//   Closed   (panel flag 0): password frame and hardware frame hidden;
//   Asking   (flag 1): password frame shown, focus in the password box;
//   Unlocked (flag 1): hardware frame shown, password frame hidden.
// The advanced button toggles Closed <-> Asking/Unlocked; a correct entry
// turns Asking into Unlocked, a wrong one empties the box and keeps asking.
class AccessGate {
public:
    AccessGate(QWidget& passwordFrame, QWidget& hardwareFrame, QLineEdit& passwordBox)
        : m_passwordFrame(passwordFrame), m_hardwareFrame(hardwareFrame), m_passwordBox(passwordBox)
    {
    }

    // The advanced button.
    void toggle();
    // The confirm button, or Enter in the password box. Only the exact text
    // counts; a wrong one is not reported, there is no limit on attempts.
    void confirm();

    qint16 AdvancedPanelShown() const { return m_panelShown; }

private:
    QWidget& m_passwordFrame;
    QWidget& m_hardwareFrame;
    QLineEdit& m_passwordBox;
    qint16 m_panelShown = 0;
};

} // namespace krn
