#include "krn_tools.h"

#include "clockfont.h"
#include "clockfontdialog.h"
#include "clockpreview.h"
#include "commands/commander.h"
#include "core/failure.h"
#include "core/messages.h"
#include "core/numtext.h"
#include "core/programvalues.h"
#include "fontchooser.h"
#include "icons.h"
#include "link/portpinning.h"
#include "listcontents.h"
#include "listops.h"
#include "operatoraids.h"
#include "settings/profilefile.h"
#include "strings/stringtable.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace krn {

namespace {

const QString Section = QStringLiteral("About");
constexpr auto OneSecond = std::chrono::milliseconds(1000);

// List indices by role.
enum Combo {
    CommMode = 0,
    SerialPortList = 1,
    Baud = 2,
    Screen = 3,
    Colour = 4,
    Width = 5,
    Height = 6,
    NewBaud = 7,
    ClockLang = 8,
    Scan = 9,
    NewScreen = 10,
};

// The two command buttons whose success changes what the link lists must show.
constexpr int ChangeBaud = 3;
constexpr int ChangeScreen = 9;

// A first start has no remembered line speed; the lists then show the
// controllers' factory speed instead of refusing the value 0.
const QString FactoryBaud = QStringLiteral("9600");

// The size a first start gives the clock font.
constexpr double DefaultClockPoints = 12;

} // namespace

KRN_Tools::KRN_Tools(WindowDeps deps, QWidget* parent)
    : QWidget(parent), m_deps(std::move(deps)), m_ui(buildControls(*this)),
      m_gate(*m_ui.FramePass, *m_ui.FrameNo[4], *m_ui.TextPass)
{
    if (!m_deps.now)
        m_deps.now = &QDateTime::currentDateTime;
    if (!m_deps.deviceForPort)
        m_deps.deviceForPort = [](qint32) { return QString(); };

    setWindowTitle(QStringLiteral("duzov V2.1 --- 15.通用显示屏"));
    setWindowIcon(icons::windowIcon());
    setFixedSize(627, 312);

    if (!m_deps.pins) {
        m_systemDevices = std::make_unique<SystemSerialDevices>();
        ProfileFile& ini = m_deps.settings;
        m_ownPins = std::make_unique<PortPinning>(
            *m_systemDevices,
            [&ini](qint32 n) { return ini.readText(u"Ports", QString::number(n), {}, 4096); },
            [&ini](qint32 n, const QString& path) {
                return ini.writeText(u"Ports", QString::number(n), path);
            });
        m_deps.pins = m_ownPins.get();
    }
    if (m_deps.trafficLog.isEmpty())
        m_deps.trafficLog = OperatorAids::defaultTrafficLog();
    m_aids = new OperatorAids(*this, m_ui, m_deps.trafficLog, m_deps.pins);

    wireControls();
    // The clock runs from the moment the window exists, start-up included.
    m_timer1.setInterval(OneSecond);
    m_timer1.start();
    Form_Load();
    m_aids->applyTips();
}

KRN_Tools::~KRN_Tools() = default;

void KRN_Tools::wireControls()
{
    for (int i = 0; i < int(m_ui.CmdOk.size()); ++i)
        connect(m_ui.CmdOk[i], &QPushButton::clicked, this, [this, i] { CmdOk_Click(i); });
    for (int i = 0; i < int(m_ui.ComboNo.size()); ++i)
        connect(m_ui.ComboNo[i], &QComboBox::activated, this, [this, i] { ComboNo_Click(i); });
    // Typing only: a pick from the list is a click, and the program's own
    // text changes are no edits.
    for (int i : {Width, Height})
        connect(m_ui.ComboNo[i]->lineEdit(), &QLineEdit::textEdited, this,
                [this, i] { ComboNo_Change(i); });
    for (int i = 0; i < int(m_ui.ComboNoNo.size()); ++i)
        connect(m_ui.ComboNoNo[i], &QComboBox::activated, this, [this, i] { ComboNoNo_Click(i); });
    // Enter in the password box confirms, like the OK button.
    connect(m_ui.TextPass, &QLineEdit::returnPressed, this, [this] { CmdOk_Click(0); });
    connect(&m_timer1, &QTimer::timeout, this, &KRN_Tools::Timer1_Timer);
}

void KRN_Tools::Form_Load()
{
    ProgramValues& v = m_deps.values;
    const Controls& ui = m_ui;
    auto role = [](int i) { return lists::comboRole(i); };

    try {
        ui.FramePass->setTitle(strings::load(strings::EnterPassword));
        ui.FrameNo[3]->setTitle(strings::load(strings::ClockFrameCaption));
        ui.ComboNo[ClockLang]->setToolTip(strings::load(strings::ClockVersionTip));
        ui.CmdOk[4]->setText(strings::load(strings::WriteCaption));
        ui.CmdOk[6]->setToolTip(strings::load(strings::SetFontTip));
        v.UiReady = false;

        appendItems(*ui.ComboNo[CommMode], lists::communicationModes());
        appendItems(*ui.ComboNo[SerialPortList], lists::serialPorts());
        appendItems(*ui.ComboNo[Baud], lists::baudRates());
        QStringList copied;
        for (int i = 0; i < ui.ComboNo[Baud]->count(); ++i)
            copied << ui.ComboNo[Baud]->itemText(i);
        appendItems(*ui.ComboNo[NewBaud], copied);
        appendItems(*ui.ComboNo[Screen], lists::screenNumbers());
        appendItems(*ui.ComboNo[NewScreen], lists::screenNumbers());
        appendItems(*ui.ComboNo[Colour], lists::colourModes());
        appendItems(*ui.ComboNo[Width], lists::panelWidths());
        appendItems(*ui.ComboNo[Height], lists::panelHeights());
        appendItems(*ui.ComboNo[ClockLang],
                    {strings::load(strings::ChineseClock), strings::load(strings::EnglishClock)});
        appendItems(*ui.ComboNo[Scan], lists::scanModes());

        v.SettingsPath = m_deps.settings.path();
        v.ClockFontName = strings::load(strings::DefaultClockFont);

        const ProfileFile& ini = m_deps.settings;
        v.link.PortNumber = ini.readInt(Section, u"Send_Com", 0);
        v.link.BaudRate = ini.readInt(Section, u"Send_Port", 0);
        v.link.ScreenNumber = ini.readInt(Section, u"Send_Screen", 0);
        const qint32 colour = ini.readInt(Section, u"Send_Color", 0);
        const qint32 width = ini.readInt(Section, u"Send_Width", 128);
        const qint32 height = ini.readInt(Section, u"Send_Height", 16);
        const qint32 scan = ini.readInt(Section, u"Send_Scan", 0);
        v.ClockLanguage = ini.readInt(Section, u"Send_Time", 0);
        const QString face = ini.readText(Section, u"Send_TimeFont", v.ClockFontName, 60);
        if (!face.isEmpty())
            v.ClockFontName = face;
        v.ClockFontSize = wholeToInt16(ini.readInt(Section, u"Send_TimeSize", 12));

        const QString baud = v.link.BaudRate == 0 ? FactoryBaud : QString::number(v.link.BaudRate);
        selectPosition(*ui.ComboNo[CommMode], 0, role(CommMode));
        selectPosition(*ui.ComboNo[SerialPortList], v.link.PortNumber, role(SerialPortList));
        setListText(*ui.ComboNo[Baud], baud, role(Baud));
        setListText(*ui.ComboNo[NewBaud], baud, role(NewBaud));
        setListText(*ui.ComboNo[Screen], QString::number(v.link.ScreenNumber), role(Screen));
        selectPosition(*ui.ComboNo[Colour], colour, role(Colour));
        setListText(*ui.ComboNo[Width], QString::number(width), role(Width));
        setListText(*ui.ComboNo[Height], QString::number(height), role(Height));
        selectPosition(*ui.ComboNo[ClockLang], v.ClockLanguage, role(ClockLang));
        selectPosition(*ui.ComboNo[Scan], scan, role(Scan));
        setListText(*ui.ComboNo[NewScreen], QString::number(v.link.ScreenNumber), role(NewScreen));

        FillHardwareOptionLists();
    } catch (const Failure& failure) {
        report(failure);
    }

    // Whatever happened above, the clock displays get the clock font and the
    // lists come alive. A size the displays cannot take is reported once and
    // replaced by the default, so the glyphs are never drawn in some stray
    // font and the next download stores a usable size.
    m_chooserFont.setFamily(v.ClockFontName);
    applyClockFace(m_chooserFont.family());
    double size = DefaultClockPoints;
    try {
        size = checkedClockSize(v.ClockFontSize);
    } catch (const Failure& failure) {
        report(failure);
        v.ClockFontSize = qint16(DefaultClockPoints);
    }
    m_chooserFont.setPointSizeF(size);
    for (QWidget* display : {static_cast<QWidget*>(ui.LabTime), ui.PicFont}) {
        QFont f = display->font();
        f.setPointSizeF(size);
        display->setFont(f);
    }
    v.UiReady = true;
}

void KRN_Tools::FillHardwareOptionLists()
{
    try {
        for (int i = 0; i < int(m_ui.ComboNoNo.size()); ++i)
            appendItems(*m_ui.ComboNoNo[i], lists::hardwareOptions(i));
        for (int i = 0; i < int(m_ui.ComboNoNo.size()); ++i) {
            const qint32 remembered =
                m_deps.settings.readInt(Section, QStringLiteral("Set_No%1").arg(i), 0);
            selectPosition(*m_ui.ComboNoNo[i], remembered, lists::hardwareRole(i));
        }
    } catch (const Failure& failure) {
        report(failure);
    }
}

void KRN_Tools::ComboNoNo_Click(int index)
{
    if (!m_deps.values.UiReady || index < 0 || index >= int(m_ui.ComboNoNo.size()))
        return;
    try {
        writeSetting(QStringLiteral("Set_No%1").arg(index),
                     QString::number(m_ui.ComboNoNo[index]->currentIndex()));
    } catch (const Failure& failure) {
        report(failure);
    }
}

void KRN_Tools::ComboNo_Click(int index)
{
    if (!m_deps.values.UiReady || index < 0 || index >= int(m_ui.ComboNo.size()))
        return;
    try {
        const QComboBox& list = *m_ui.ComboNo[index];
        const QString position = QString::number(list.currentIndex());
        switch (index) {
        case SerialPortList:
            writeSetting(QStringLiteral("Send_Com"), position);
            break;
        case Baud:
            writeSetting(QStringLiteral("Send_Port"), list.currentText());
            break;
        case Screen:
            writeSetting(QStringLiteral("Send_Screen"), list.currentText());
            break;
        case Colour:
            writeSetting(QStringLiteral("Send_Color"), position);
            break;
        case Width:
            writeSetting(QStringLiteral("Send_Width"), list.currentText());
            break;
        case Height:
            writeSetting(QStringLiteral("Send_Height"), list.currentText());
            break;
        case ClockLang:
            // Remembered only by a successful clock download.
            m_deps.values.ClockLanguage = list.currentIndex();
            break;
        case Scan:
            writeSetting(QStringLiteral("Send_Scan"), position);
            break;
        default:
            break; // the new speed and new screen number are sent, not kept
        }
    } catch (const Failure& failure) {
        report(failure);
    }
}

void KRN_Tools::ComboNo_Change(int index)
{
    if (!m_deps.values.UiReady)
        return;
    if (index == Width || index == Height)
        ComboNo_Click(index);
}

void KRN_Tools::Timer1_Timer()
{
    const QLocale locale;
    m_ui.LabTime->setText(clockPreviewText(m_deps.now(), m_deps.values.ClockLanguage,
                                           strings::languageFor(locale), locale));
}

void KRN_Tools::CmdOk_Click(int index)
{
    // A command on the wire owns the line, and a modal dialog opened inside
    // its wait would stall it: every button waits until it is done.
    if (m_deps.commander && m_deps.commander->running())
        return;
    try {
        switch (index) {
        case 0:
            m_gate.confirm();
            break;
        case 2:
            m_gate.toggle();
            break;
        case 6:
            chooseClockFont();
            break;
        default:
            if (Commander::isCommand(index))
                runCommand(index);
            break;
        }
    } catch (const Failure& failure) {
        report(failure);
    }
}

void KRN_Tools::runCommand(int index)
{
    if (!m_deps.commander)
        return;
    const FormSnapshot form = snapshot();
    bool delivered = false;
    {
        const BusyScope busy(m_aids);
        delivered = m_deps.commander->Send_Function(index, form, clockFont());
    }
    if (!delivered)
        return;
    // The adapter answered: keep the port number naming it.
    m_aids->pinAfterUse(form.portListIndex + 1);
    // The screen now listens at the new speed or number; the link lists follow
    // it, and the pick is remembered as if the operator had made it.
    if (index == ChangeBaud) {
        m_ui.ComboNo[Baud]->setCurrentIndex(m_ui.ComboNo[NewBaud]->currentIndex());
        ComboNo_Click(Baud);
    } else if (index == ChangeScreen) {
        m_ui.ComboNo[Screen]->setCurrentIndex(m_ui.ComboNo[NewScreen]->currentIndex());
        ComboNo_Click(Screen);
    }
}

void KRN_Tools::chooseClockFont()
{
    ProgramValues& v = m_deps.values;
    // Cancel, or anything going wrong from here on, ends the click quietly;
    // what was already applied stays.
    try {
        // Offered as held, also when this computer lacks the face: confirming
        // it unchanged keeps the face's name.
        m_deps.fontChooser.setClockLanguage(v.ClockLanguage);
        const std::optional<QFont> chosen = m_deps.fontChooser.choose(m_chooserFont);
        if (!chosen)
            return;
        // Glyphs the controller's cells would cut off are refused before
        // anything is applied or stored.
        const QString problem = clockFontProblem(resolvedClockFont(*chosen), v.ClockLanguage);
        if (!problem.isEmpty()) {
            m_deps.boxes.show(problem, strings::load(strings::ErrorTitle),
                              MessageIcon::Exclamation);
            return;
        }
        m_chooserFont = *chosen;
        const QFont& font = *chosen;

        auto apply = [this](const std::function<void(QFont&)>& change) {
            for (QWidget* display : {static_cast<QWidget*>(m_ui.LabTime), m_ui.PicFont}) {
                QFont f = display->font();
                change(f);
                display->setFont(f);
            }
        };
        applyClockFace(font.family());
        const double size = checkedClockSize(font.pointSizeF());
        apply([size](QFont& f) { f.setPointSizeF(size); });
        apply([&font](QFont& f) { f.setBold(font.bold()); });
        apply([&font](QFont& f) { f.setItalic(font.italic()); });
        apply([&font](QFont& f) { f.setUnderline(font.underline()); });

        v.ClockFontName = font.family();
        v.ClockFontSize = toInt16(size);
    } catch (const Failure&) {
    }
}

void KRN_Tools::applyClockFace(const QString& face)
{
    const QString family = clockFamilyFor(face);
    for (QWidget* display : {static_cast<QWidget*>(m_ui.LabTime), m_ui.PicFont}) {
        QFont f = display->font();
        f.setFamily(family);
        display->setFont(f);
    }
}

QFont KRN_Tools::clockFont() const
{
    return m_ui.PicFont->font();
}

FormSnapshot KRN_Tools::snapshot() const
{
    const auto& c = m_ui.ComboNo;
    FormSnapshot s;
    s.portListIndex = c[SerialPortList]->currentIndex();
    s.baudText = c[Baud]->currentText();
    s.screenText = c[Screen]->currentText();
    s.colourPosition = c[Colour]->currentIndex();
    s.widthText = c[Width]->currentText();
    s.heightText = c[Height]->currentText();
    s.newBaudPosition = c[NewBaud]->currentIndex();
    s.clockLanguagePosition = c[ClockLang]->currentIndex();
    s.scanPosition = c[Scan]->currentIndex();
    s.newScreenText = c[NewScreen]->currentText();
    for (std::size_t i = 0; i < m_ui.ComboNoNo.size(); ++i)
        s.hardwarePositions[i] = m_ui.ComboNoNo[i]->currentIndex();
    s.wiringCountText = m_ui.ComboNoNo[3]->currentText();
    return s;
}

void KRN_Tools::writeSetting(const QString& key, const QString& value)
{
    // A write that cannot be carried out is not the operator's concern here;
    // the settings layer falls back to the per-user folder where it can.
    m_deps.settings.writeText(Section, key, value);
}

void KRN_Tools::report(const Failure& failure)
{
    m_deps.boxes.show(failure.description(), strings::load(strings::ErrorTitle),
                      MessageIcon::Exclamation);
}

} // namespace krn
