#pragma once

#include "accessgate.h"
#include "controltable.h"
#include "formrequest.h"

#include <QDateTime>
#include <QFont>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace krn {

class Commander;
class Failure;
class FontChooser;
class MessageSink;
class Settings;
struct ProgramValues;

// What the window works with. The commander may be absent (the window then
// offers its lists, clock and panels, and the command buttons do nothing).
struct WindowDeps {
    ProgramValues& values;
    Settings& settings;
    MessageSink& boxes;
    FontChooser& fontChooser;
    Commander* commander = nullptr;
    std::function<QDateTime()> now;               // the clock preview's time
    std::function<QString(qint32)> deviceForPort; // serial port number -> device, "" for none
};

// The operator window: link and panel choices, the clock preview, the
// password-protected hardware options and the command buttons. Choices are
// written to the settings file the moment they are made.
class KRN_Tools : public QWidget {
    Q_OBJECT

public:
    explicit KRN_Tools(WindowDeps deps, QWidget* parent = nullptr);

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
    const QTimer& timer() const { return m_timer1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wireControls();
    void Form_Load();
    void FillHardwareOptionLists();
    // The one place the clock displays (preview and glyph canvas) get their font.
    void setClockFont(const QFont& font);
    void chooseClockFont();
    void runCommand(Command command);
    void report(const Failure& failure);
    QString portDeviceText() const;

    WindowDeps m_deps;
    Controls m_ui;
    AccessGate m_gate;
    QTimer m_timer1;
    QFont m_chooserFont; // kept between openings of the font chooser
};

} // namespace krn
