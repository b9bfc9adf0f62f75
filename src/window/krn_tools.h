#pragma once

#include "accessgate.h"
#include "commands/formsnapshot.h"
#include "controltable.h"

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
class PortPinning;
class ProfileFile;
class SystemSerialDevices;
struct ProgramValues;

// What the window works with. The commander may be absent (the window then
// offers its lists, clock and panels, and the command buttons do nothing).
struct WindowDeps {
    ProgramValues& values;
    ProfileFile& settings;
    MessageSink& boxes;
    FontChooser& fontChooser;
    Commander* commander = nullptr;
    std::function<QDateTime()> now;               // the clock preview's time
    std::function<QString(qint32)> deviceForPort; // serial port number -> device, "" for none
    // Pins serial port numbers to their adapters; by default the system's
    // devices and the [Ports] section of `settings`.
    PortPinning* pins = nullptr;
    QString trafficLog{}; // followed by the log viewer; by default the per-user one
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
    // The font the font chooser opens with (the last one given to it).
    const QFont& chooserFont() const { return m_chooserFont; }
    qint16 AdvancedPanelShown() const { return m_gate.AdvancedPanelShown(); }
    OperatorAids& aids() const { return *m_aids; }
    const QTimer& timer() const { return m_timer1; }

private:
    void wireControls();
    void Form_Load();
    void FillHardwareOptionLists();
    void applyClockFace(const QString& face);
    void chooseClockFont();
    void runCommand(int index);
    void writeSetting(const QString& key, const QString& value);
    void report(const Failure& failure);

    WindowDeps m_deps;
    Controls m_ui;
    AccessGate m_gate;
    QTimer m_timer1;
    QFont m_chooserFont; // kept between openings of the font chooser
    std::unique_ptr<SystemSerialDevices> m_systemDevices;
    std::unique_ptr<PortPinning> m_ownPins;
    OperatorAids* m_aids = nullptr; // owned as a child
};

} // namespace krn
