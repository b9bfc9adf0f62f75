#pragma once

#include "accessgate.h"
#include "controltable.h"
#include "formrequest.h"

#include <QDateTime>
#include <QFont>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace krn {

class Commander;
class Failure;
class FontChooser;
class MessageSink;
class OperatorAids;
class PortMap;
class Settings;
class SiteQuestions;
struct ProgramValues;

// What the window works with. The commander may be absent (the window then
// offers its lists, clock and panels, and the command buttons do nothing).
struct WindowDeps {
    ProgramValues& values;
    Settings& settings;
    MessageSink& boxes;
    FontChooser& fontChooser;
    Commander* commander = nullptr;
    std::function<QDateTime()> now; // the clock preview's time
    // Names the device behind each serial port number for the port list's
    // tooltip; by default the system's devices and [Ports] of `settings`.
    const PortMap* ports = nullptr;
    QString trafficLog{}; // followed by the log viewer; by default the per-user one
    // The site window's file dialogs and questions; by default the program's own.
    SiteQuestions* siteQuestions = nullptr;
};

// The operator window: link and panel choices, the clock preview, the
// password-protected hardware options and the command buttons. Choices are
// written to the settings file the moment they are made.
class KRN_Tools : public QWidget {
    Q_OBJECT

public:
    explicit KRN_Tools(WindowDeps deps, QWidget* parent = nullptr);
    ~KRN_Tools() override;

    const Controls& controls() const { return m_ui; }

    // Event procedures; the controls raise them, tests may call them.
    void CmdOk_Click(int index);
    void ComboNo_Click(int index);
    void ComboNo_Change(int index);
    void ComboNoNo_Click(int index);
    void Timer1_Timer();

    // What the lists show, for a command.
    FormSnapshot snapshot() const;
    // The font the clock glyphs are drawn with: the glyph canvas's face, size,
    // bold, italic and underline.
    QFont clockFont() const;
    qint16 AdvancedPanelShown() const { return m_gate.AdvancedPanelShown(); }
    // Tooltips, the log viewer, the busy state and the port pinning.
    OperatorAids& aids() const { return *m_aids; }
    const QTimer& timer() const { return m_timer1; }

private:
    void wireControls();
    void Form_Load();
    void FillHardwareOptionLists();
    // The one place the clock displays (preview and glyph canvas) get their font.
    void setClockFont(const QFont& font);
    void chooseClockFont();
    void runCommand(Command command);
    void report(const Failure& failure);

    WindowDeps m_deps;
    Controls m_ui;
    AccessGate m_gate;
    QTimer m_timer1;
    QFont m_chooserFont; // kept between openings of the font chooser
    std::unique_ptr<PortMap> m_ownPorts;
    std::unique_ptr<SiteQuestions> m_ownSiteQuestions;
    OperatorAids* m_aids = nullptr; // a child of the window
};

} // namespace krn
