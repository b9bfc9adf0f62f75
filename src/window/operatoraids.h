#pragma once

#include "controltable.h"
#include "logviewer.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>

class QAction;
class QWidget;

namespace krn {

class PortMap;

// What the window adds beside its written behaviour, in one place: tooltips
// on every control, the serial-port list's device tooltip, the traffic log viewer (Ctrl+L and the
// context menu), and the busy state while a command runs. Nothing here moves or resizes a control.
class OperatorAids : public QObject {
    Q_OBJECT

public:
    // `ports` may be absent: the port tooltip then names no device.
    OperatorAids(QWidget& window, const Controls& ui, QString trafficLog, const PortMap* ports);
    ~OperatorAids() override;

    void applyTips();

    // The one log viewer, opened on the traffic log, raised when already open.
    void openLog();
    LogViewer* logViewer() const { return m_viewer; }
    QAction* logAction() const { return m_logAction; }
    const QString& trafficLog() const { return m_trafficLog; }

    // While a command runs: its buttons disabled, the cursor busy, and a long
    // command's progress in the title bar. Everything returns at the end, the
    // keyboard focus too: disabling the button that had it moves it on to the
    // next control, where the next key would change a list.
    void commandStarted();
    void progress(int done, int total);
    void commandEnded();
    bool busy() const { return m_busy; }

    // The serial-port list's tooltip for its current item.
    QString portTip() const;
    // The clock preview's tooltip: what it is, and the glyph cells exactly as
    // the download would send them now.
    QString clockTip() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    const Controls& m_ui;
    QString m_trafficLog;
    const PortMap* m_ports = nullptr;
    QAction* m_logAction = nullptr;
    QPointer<LogViewer> m_viewer;
    bool m_busy = false;
    QString m_title;                     // the window's own title
    std::array<bool, 10> m_wasEnabled{}; // CmdOk before the command
    QPointer<QWidget> m_focus;           // had the focus before the command
    QPointer<QWidget> m_focusMoved;      // took it when the buttons were disabled
};

} // namespace krn
