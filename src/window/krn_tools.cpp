#include "krn_tools.h"

#include "clockfontdialog.h"
#include "clockpreview.h"
#include "commands/clockfont.h"
#include "commands/commander.h"
#include "commands/linkfinderline.h"
#include "commands/trafficlog.h"
#include "commandwatch.h"
#include "core/failure.h"
#include "core/messages.h"
#include "core/numtext.h"
#include "core/programvalues.h"
#include "finderdialog.h"
#include "fontchooser.h"
#include "icons.h"
#include "link/portmap.h"
#include "listcontents.h"
#include "listops.h"
#include "operatoraids.h"
#include "outcomebox.h"
#include "settings/settings.h"
#include "sitewindow.h"
#include "strings/stringtable.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace krn {

namespace {

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
    if (!m_deps.ports) {
        m_ownPorts = std::make_unique<PortMap>(&m_deps.settings);
        m_deps.ports = m_ownPorts.get();
    }
    if (m_deps.trafficLog.isEmpty())
        m_deps.trafficLog = TrafficLogFile::defaultPath();
    if (!m_deps.siteQuestions) {
        m_ownSiteQuestions = std::make_unique<DialogSiteQuestions>();
        m_deps.siteQuestions = m_ownSiteQuestions.get();
    }

    setWindowTitle(QStringLiteral("duzov V2.1 --- 15.通用显示屏"));
    setWindowIcon(icons::windowIcon());
    setFixedSize(627, 312);

    m_aids = new OperatorAids(*this, m_ui, m_deps.trafficLog, m_deps.ports);
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
    // The screen finder, from the screen-number list's context menu and Ctrl+F,
    // on the port the window shows. A screen chosen there is picked in the
    // speed and number lists as if by hand, so the settings remember it.
    offerScreenFinder(
        *this, *m_ui.ComboNo[Screen],
        [this]() -> std::unique_ptr<FinderLine> {
            if (!m_deps.commander || m_deps.commander->running())
                return nullptr;
            LinkTarget target;
            target.portNumber = m_ui.ComboNo[SerialPortList]->currentIndex() + 1;
            return std::make_unique<LinkFinderLine>(m_deps.commander->link(), target);
        },
        [this](const FoundScreen& found) {
            // Behind a raw device server port the speed is the server's own.
            if (found.speed > 0) {
                m_ui.ComboNo[Baud]->setCurrentIndex(
                    m_ui.ComboNo[Baud]->findText(QString::number(found.speed)));
                ComboNo_Click(Baud);
            }
            m_ui.ComboNo[Screen]->setCurrentIndex(
                m_ui.ComboNo[Screen]->findText(QString::number(found.screen)));
            ComboNo_Click(Screen);
        });
    // Site files, from the window's context menu and Ctrl+O. A site window
    // opens lines of its own, so not while a command of this window is out;
    // its traffic goes where this window's does.
    offerSiteWindow(*this,
                    SiteDeps{m_deps.settings, m_deps.boxes, *m_deps.siteQuestions, m_deps.ports,
                             m_deps.commander ? m_deps.commander->link().events() : nullptr},
                    [this] { return m_deps.commander && m_deps.commander->running(); });
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

        const Settings& ini = m_deps.settings;
        v.ClockFontName = ini.clockFontName(strings::load(strings::DefaultClockFont));
        // The link's record is the link's to write; the lists show these.
        const qint32 portPosition = ini.portPosition();
        const qint32 lineSpeed = ini.lineSpeed();
        const qint32 screen = ini.screen();
        const qint32 colour = ini.colourPosition();
        const qint32 width = ini.width();
        const qint32 height = ini.height();
        const qint32 scan = ini.scanPosition();
        v.ClockLanguage = ini.clockLanguage();
        v.ClockFontSize = wholeToInt16(ini.clockFontSize());

        const QString baud = lineSpeed == 0 ? FactoryBaud : QString::number(lineSpeed);
        selectPosition(*ui.ComboNo[CommMode], 0, role(CommMode));
        selectPosition(*ui.ComboNo[SerialPortList], portPosition, role(SerialPortList));
        setListText(*ui.ComboNo[Baud], baud, role(Baud));
        setListText(*ui.ComboNo[NewBaud], baud, role(NewBaud));
        setListText(*ui.ComboNo[Screen], QString::number(screen), role(Screen));
        selectPosition(*ui.ComboNo[Colour], colour, role(Colour));
        setListText(*ui.ComboNo[Width], QString::number(width), role(Width));
        setListText(*ui.ComboNo[Height], QString::number(height), role(Height));
        selectPosition(*ui.ComboNo[ClockLang], v.ClockLanguage, role(ClockLang));
        selectPosition(*ui.ComboNo[Scan], scan, role(Scan));
        setListText(*ui.ComboNo[NewScreen], QString::number(screen), role(NewScreen));

        FillHardwareOptionLists();
    } catch (const Failure& failure) {
        report(failure);
    }

    // Whatever happened above, the clock displays get the clock font and the
    // lists come alive. A size the displays cannot take is reported once and
    // replaced by the default, so the glyphs are never drawn in some stray
    // font and the next download stores a usable size.
    m_chooserFont.setFamily(v.ClockFontName);
    double size = DefaultClockPoints;
    try {
        size = checkedClockSize(v.ClockFontSize);
    } catch (const Failure& failure) {
        report(failure);
        v.ClockFontSize = qint16(DefaultClockPoints);
    }
    m_chooserFont.setPointSizeF(size);
    setClockFont(m_chooserFont);
    v.UiReady = true;
}

void KRN_Tools::FillHardwareOptionLists()
{
    try {
        for (int i = 0; i < int(m_ui.ComboNoNo.size()); ++i)
            appendItems(*m_ui.ComboNoNo[i], lists::hardwareOptions(i));
        for (int i = 0; i < int(m_ui.ComboNoNo.size()); ++i) {
            const qint32 remembered = m_deps.settings.hardwareOption(i);
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
        m_deps.settings.setHardwareOption(index, m_ui.ComboNoNo[index]->currentIndex());
    } catch (const Failure& failure) {
        report(failure);
    }
}

void KRN_Tools::ComboNo_Click(int index)
{
    if (!m_deps.values.UiReady || index < 0 || index >= int(m_ui.ComboNo.size()))
        return;
    try {
        // A write that cannot be carried out is not the operator's concern
        // here; the settings layer falls back to the per-user folder.
        const QComboBox& list = *m_ui.ComboNo[index];
        Settings& ini = m_deps.settings;
        switch (index) {
        case SerialPortList:
            ini.setPortPosition(list.currentIndex());
            break;
        case Baud:
            ini.setLineSpeed(list.currentText());
            break;
        case Screen:
            ini.setScreen(list.currentText());
            break;
        case Colour:
            ini.setColourPosition(list.currentIndex());
            break;
        case Width:
            ini.setWidth(list.currentText());
            break;
        case Height:
            ini.setHeight(list.currentText());
            break;
        case ClockLang:
            // Remembered only by a successful clock download.
            m_deps.values.ClockLanguage = list.currentIndex();
            break;
        case Scan:
            ini.setScanPosition(list.currentIndex());
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
            if (const std::optional<Command> command = commandForButton(index))
                runCommand(*command);
            break;
        }
    } catch (const Failure& failure) {
        report(failure);
    }
}

void KRN_Tools::runCommand(Command command)
{
    if (!m_deps.commander)
        return;
    const ProgramValues& v = m_deps.values;
    const FormSnapshot form = snapshot();
    const CommandRequest request = requestFrom(
        command, form, ClockChoice{v.ClockLanguage, clockFont(), v.ClockFontName, v.ClockFontSize});
    Outcome outcome;
    bool frameSent = false;
    {
        // Buttons rest and the cursor is busy until the command is done.
        const CommandWatch watch(*m_aids, m_deps.commander->link());
        outcome = m_deps.commander->Send_Function(request);
        frameSent = watch.frameSent();
    }
    // A command went out on this port: keep its number naming the adapter,
    // by the route the command opened, not by a second look at the system.
    if (frameSent) {
        const PortRoute& used = m_deps.commander->link().route();
        if (const QString path = PortMap::pinFor(used); !path.isEmpty())
            m_deps.settings.setPortMapping(used.number, path);
    }
    presentOutcome(m_deps.boxes, outcome);
    if (!outcome.delivered())
        return;
    // The screen now listens at the new speed or number; the link lists follow
    // it, and the pick is remembered as if the operator had made it. A clock
    // download remembers the clock.
    switch (commandInfo(command).followUp) {
    case FollowUp::SpeedFollows:
        m_ui.ComboNo[Baud]->setCurrentIndex(m_ui.ComboNo[NewBaud]->currentIndex());
        ComboNo_Click(Baud);
        break;
    case FollowUp::ScreenFollows:
        m_ui.ComboNo[Screen]->setCurrentIndex(m_ui.ComboNo[NewScreen]->currentIndex());
        ComboNo_Click(Screen);
        break;
    case FollowUp::ClockStored: {
        // Remembered once the operator has read the box, and as downloaded:
        // a pick made while the glyphs went out is not what the screen holds.
        const ClockRequest& clock = request.values.clock;
        m_deps.settings.setClock(clock.languagePosition, clock.fontName, clock.fontSize);
        break;
    }
    case FollowUp::None:
        break;
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
        // The face goes first and stays even when the size is refused.
        QFont face = clockFont();
        face.setFamily(font.family());
        setClockFont(face);
        const double size = checkedClockSize(font.pointSizeF());
        setClockFont(font);
        v.ClockFontName = font.family();
        v.ClockFontSize = toInt16(size);
    } catch (const Failure&) {
    }
}

void KRN_Tools::setClockFont(const QFont& font)
{
    for (QWidget* display : {static_cast<QWidget*>(m_ui.LabTime), m_ui.PicFont}) {
        QFont f = display->font();
        f.setFamily(clockFamilyFor(font.family()));
        f.setPointSizeF(font.pointSizeF());
        f.setBold(font.bold());
        f.setItalic(font.italic());
        f.setUnderline(font.underline());
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

void KRN_Tools::report(const Failure& failure)
{
    presentFailure(m_deps.boxes, failure.message());
}

} // namespace krn
