#include "operatoraids.h"

#include "controltips.h"
#include "core/failure.h"
#include "glyphsample.h"
#include "link/portmap.h"
#include "logviewer.h"
#include "strings/stringtable.h"
#include "strings/viewids.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace krn {

namespace {
constexpr int SerialPortList = 1;
constexpr int ClockLanguageList = 8;
} // namespace

OperatorAids::OperatorAids(QWidget& window, const Controls& ui, QString trafficLog,
                           const PortMap* ports)
    : QObject(&window), m_window(window), m_ui(ui), m_trafficLog(std::move(trafficLog)),
      m_ports(ports)
{
    // One action serves the shortcut and the context menu; the window's
    // layout stays as it is.
    m_logAction = new QAction(strings::load(strings::LogMenuItem), &m_window);
    m_logAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_logAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_logAction, &QAction::triggered, this, &OperatorAids::openLog);
    m_window.addAction(m_logAction);
    m_window.setContextMenuPolicy(Qt::ActionsContextMenu);

    m_ui.ComboNo[SerialPortList]->installEventFilter(this);
    m_ui.LabTime->installEventFilter(this);
}

OperatorAids::~OperatorAids()
{
    delete m_viewer;
    if (m_busy)
        QApplication::restoreOverrideCursor();
}

void OperatorAids::applyTips()
{
    applyControlTips(m_window);
}

void OperatorAids::openLog()
{
    if (!m_viewer)
        m_viewer = new LogViewer(m_trafficLog);
    m_viewer->show();
    m_viewer->raise();
    m_viewer->activateWindow();
}

void OperatorAids::commandStarted()
{
    if (m_busy)
        return;
    m_busy = true;
    m_title = m_window.windowTitle();
    m_focus = m_window.focusWidget();
    for (std::size_t i = 0; i < m_ui.CmdOk.size(); ++i) {
        m_wasEnabled[i] = m_ui.CmdOk[i]->isEnabled();
        m_ui.CmdOk[i]->setEnabled(false);
    }
    m_focusMoved = m_window.focusWidget();
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void OperatorAids::progress(int done, int total)
{
    if (!m_busy)
        return;
    m_window.setWindowTitle(m_title + QStringLiteral(" - ") +
                            strings::load(strings::DownloadProgress).arg(done).arg(total));
}

void OperatorAids::commandEnded()
{
    if (!m_busy)
        return;
    m_busy = false;
    for (std::size_t i = 0; i < m_ui.CmdOk.size(); ++i)
        m_ui.CmdOk[i]->setEnabled(m_wasEnabled[i]);
    // Only where the disabling put it: a list the operator clicked into
    // during the command keeps the focus.
    if (m_focus && m_focus != m_focusMoved && m_window.focusWidget() == m_focusMoved)
        m_focus->setFocus(Qt::OtherFocusReason);
    m_window.setWindowTitle(m_title);
    QApplication::restoreOverrideCursor();
}

QString OperatorAids::portTip() const
{
    const QComboBox& list = *m_ui.ComboNo[SerialPortList];
    if (list.currentIndex() < 0)
        return strings::load(strings::TipSerialPort);
    PortRoute route;
    if (m_ports)
        route = m_ports->route(list.currentIndex() + 1);
    return serialPortTip(list.currentText(), route);
}

QString OperatorAids::clockTip() const
{
    const QString text = strings::load(strings::TipClockPreview).toHtmlEscaped();
    // The clock's glyphs as the download draws them: the glyph canvas's font,
    // the clock the language list shows (no pick counts as the English one).
    GlyphSample sample;
    try {
        sample.setGlyphs(m_ui.PicFont->font(), m_ui.ComboNo[ClockLanguageList]->currentIndex());
    } catch (const Failure&) {
        return text;
    }
    sample.resize(sample.sizeHint());
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !sample.grab().save(&buffer, "PNG"))
        return text;
    return QStringLiteral("<p>%1</p><img src=\"data:image/png;base64,%2\">")
        .arg(text, QString::fromLatin1(png.toBase64()));
}

bool OperatorAids::eventFilter(QObject* watched, QEvent* event)
{
    // Both looked up when asked: an adapter plugged in meanwhile is found, and
    // the glyphs follow the font and language chosen since.
    if (event->type() == QEvent::ToolTip) {
        if (watched == m_ui.ComboNo[SerialPortList])
            m_ui.ComboNo[SerialPortList]->setToolTip(portTip());
        else if (watched == m_ui.LabTime)
            m_ui.LabTime->setToolTip(clockTip());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace krn
