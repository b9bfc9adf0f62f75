#include "sitewindow.h"

#include "commands/command.h"
#include "core/messages.h"
#include "krn_version.h"
#include "link/portmap.h"
#include "listcontents.h"
#include "outcomebox.h"
#include "site/handover.h"
#include "strings/siteids.h"
#include "strings/stringtable.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

namespace krn {

using namespace strings;

namespace {

// Lines open at once, as the command line's apply has them by default.
constexpr int OpenLines = 4;

QString defaultFace()
{
    return load(DefaultClockFont);
}

QString sendsText(const site::SiteRow& row)
{
    QStringList parts = site::optionTexts(row, languageFor(QLocale()));
    if (row.panel)
        parts.prepend(site::panelText(row));
    return parts.isEmpty() ? load(SiteNothing) : parts.join(QStringLiteral("; "));
}

} // namespace

QString DialogSiteQuestions::siteFile(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, load(SiteOpenTitle), QString(),
                                        load(SiteFileFilter));
}

QString DialogSiteQuestions::reportFile(QWidget* parent, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, load(SiteReportDialogTitle), suggested,
                                        load(SiteReportFilter));
}

std::optional<QString> DialogSiteQuestions::password(QWidget* parent, const QString& prompt)
{
    bool ok = false;
    const QString typed = QInputDialog::getText(parent, load(EnterPassword), prompt,
                                                QLineEdit::Password, QString(), &ok);
    return ok ? std::optional(typed) : std::nullopt;
}

SiteQuestions::Connect DialogSiteQuestions::connectAlone(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Question, load(SiteCommissionTitle), question,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    QAbstractButton* skip = box.addButton(load(SiteSkip), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (box.clickedButton() == skip)
        return Connect::Skip;
    return box.clickedButton() == box.button(QMessageBox::Ok) ? Connect::GoOn : Connect::Stop;
}

SiteWindow::SiteWindow(SiteDeps deps, QString path, site::SiteFile file, QWidget* parent)
    : QWidget(parent, Qt::Window), m_deps(deps), m_path(std::move(path)), m_file(std::move(file)),
      m_journal(m_path), m_ports(&m_deps.settings), m_table(new QTableWidget(this)),
      m_apply(new QPushButton(load(SiteApplySelected), this)),
      m_commission(new QPushButton(load(SiteCommissionNext), this)),
      m_report(new QPushButton(load(SiteSaveReport), this)), m_status(new QLabel(this))
{
    m_status->setWordWrap(true);
    setWindowTitle(load(SiteWindowTitle).arg(QFileInfo(m_path).fileName()));
    m_table->setColumnCount(Columns);
    m_table->setHorizontalHeaderLabels({load(ReportRow), load(ReportLabel), load(ReportPort),
                                        load(ReportScreen), load(ReportSpeed),
                                        load(SiteColumnSends), load(SiteColumnState)});
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setRowCount(int(m_file.rows.size()));
    const Language language = languageFor(QLocale());
    for (int i = 0; i < m_file.rows.size(); ++i) {
        const site::SiteRow& row = m_file.rows.at(i);
        const QStringList cells{QString::number(row.row),
                                row.label,
                                row.port,
                                QString::number(row.screen),
                                speedText(row.speed, language),
                                sendsText(row),
                                load(m_journal.done(row) ? SiteStateDone : SiteStateNotDone)};
        for (int c = 0; c < Columns; ++c)
            m_table->setItem(i, c, new QTableWidgetItem(cells.at(c)));
    }
    m_table->resizeColumnsToContents();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_commission);
    buttons->addWidget(m_report);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    resize(820, 360);

    connect(m_apply, &QPushButton::clicked, this, &SiteWindow::applySelected);
    connect(m_commission, &QPushButton::clicked, this, &SiteWindow::commissionNext);
    connect(m_report, &QPushButton::clicked, this, &SiteWindow::saveReport);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &SiteWindow::updateButtons);
    updateButtons();
}

SiteWindow::~SiteWindow()
{
    if (m_running)
        QApplication::restoreOverrideCursor();
}

SiteWindow* SiteWindow::open(const SiteDeps& deps, const QString& path, QWidget* parent)
{
    std::variant<site::SiteFile, Message> read = site::readSiteFile(path);
    if (const Message* why = std::get_if<Message>(&read)) {
        presentFailure(deps.boxes, *why);
        return nullptr;
    }
    auto* window = new SiteWindow(deps, path, std::get<site::SiteFile>(std::move(read)), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void SiteWindow::closeEvent(QCloseEvent* event)
{
    // Its rows are on the line: the window goes when they are done.
    if (m_running)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void SiteWindow::updateButtons()
{
    m_apply->setEnabled(!m_running && !m_table->selectionModel()->selectedRows().isEmpty());
    m_commission->setEnabled(!m_running);
    m_report->setEnabled(!m_running && !m_results.isEmpty());
}

// A file that sets hardware options needs the password, asked once a window.
bool SiteWindow::unlock()
{
    if (!m_file.hardware || m_unlocked)
        return true;
    const std::optional<QString> typed = m_deps.questions.password(
        this, strings::render(Message{SitePasswordAsk, {QFileInfo(m_path).fileName()}}));
    if (!typed)
        return false;
    m_unlocked = *typed == HardwarePassword;
    if (!m_unlocked)
        presentFailure(m_deps.boxes, Message{SiteWrongPassword});
    return m_unlocked;
}

void SiteWindow::setRunning(bool running)
{
    m_running = running;
    updateButtons();
    if (running)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
    // Qt makes a window modal only as it is shown: while its rows are on the
    // line it is shown again application-modal, so the main window sends
    // nothing on their ports meanwhile.
    if (isVisible()) {
        const bool active = isActiveWindow();
        hide();
        setWindowModality(running ? Qt::ApplicationModal : Qt::NonModal);
        show();
        if (active)
            activateWindow();
    }
}

void SiteWindow::setState(int index, const QString& state)
{
    m_table->item(index, State)->setText(state);
}

QString SiteWindow::failureWords(const site::RowResult& r) const
{
    const site::SiteRow& row = m_file.rows.at(r.index);
    if (r.openFailure)
        return strings::render(
            Message{SiteLineNotOpened, {r.address, strings::render(*r.openFailure)}});
    if (r.done.speedFault)
        return strings::render(*r.done.speedFault);
    for (const StepDone& s : r.done.steps)
        if (!s.outcome.delivered())
            return load(ReportOutcome)
                .arg(QString::fromLatin1(commandName(s.command)),
                     strings::render(reportMessage(s.outcome)).simplified(),
                     s.at.toString(QStringLiteral("HH:mm:ss")));
    if (!r.ran && !r.foundAs)
        return strings::render(Message{CommissionNotFound, {row.port}});
    return load(SiteNotSent);
}

void SiteWindow::showResult(const site::RowResult& r)
{
    m_results.insert(r.index, r);
    setState(r.index,
             r.delivered() ? load(SiteStateDone) : load(SiteStateFailed).arg(failureWords(r)));
}

void SiteWindow::applySelected()
{
    QList<int> rows;
    for (const QModelIndex& i : m_table->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    if (m_running || rows.isEmpty() || !unlock())
        return;
    setRunning(true);
    int done = 0;
    const auto progress = [&] { m_status->setText(load(SiteProgress).arg(done).arg(rows.size())); };
    progress();
    const QList<site::RowResult> results =
        site::applyRows(m_file, rows, m_ports, defaultFace(), OpenLines, m_stop, m_deps.events,
                        [&](const site::RowResult& r) {
                            showResult(r);
                            ++done;
                            progress();
                        });
    QStringList failed;
    for (const site::RowResult& r : results) {
        showResult(r); // rows stopped before they began were not told
        if (!r.delivered())
            failed << QString::number(m_file.rows.at(r.index).row);
    }
    m_status->setText(failed.isEmpty() ? load(SiteAllDone).arg(results.size())
                                       : load(SiteSummary)
                                             .arg(QString::number(results.size() - failed.size()),
                                                  QString::number(results.size()),
                                                  failed.join(QStringLiteral(", "))));
    setRunning(false);
}

// The next row the journal does not hold as done: from the one after the last
// asked for, then from the top; a row skipped here only when no other is left.
int SiteWindow::nextToCommission() const
{
    const auto first = [this](int from, bool skippedToo) {
        for (int i = m_journal.next(m_file, from); i >= 0; i = m_journal.next(m_file, i + 1))
            if (skippedToo || !m_skipped.contains(i))
                return i;
        return -1;
    };
    for (const int i : {first(m_cursor, false), first(0, false), first(0, true)})
        if (i >= 0)
            return i;
    return -1;
}

void SiteWindow::commissionNext()
{
    if (m_running)
        return;
    int index = nextToCommission();
    if (index < 0) {
        m_deps.boxes.show(
            strings::render(Message{CommissionAllDone, {QFileInfo(m_path).fileName()}}),
            load(PromptTitle), MessageIcon::Information);
        return;
    }
    if (!unlock())
        return;
    // Skipping moves on to the next row; each row is offered once a click.
    for (qsizetype offered = 0;; ++offered) {
        const site::SiteRow& row = m_file.rows.at(index);
        const SiteQuestions::Connect answer = m_deps.questions.connectAlone(
            this, strings::render(
                      Message{SiteConnectAsk, {row.label, QString::number(row.row), row.port}}));
        if (answer == SiteQuestions::Connect::Stop)
            return;
        if (answer == SiteQuestions::Connect::GoOn)
            break;
        m_skipped.insert(index);
        setState(index, load(SiteStateSkipped));
        m_cursor = index + 1;
        index = nextToCommission();
        if (offered + 1 >= m_journal.left(m_file))
            return;
    }
    const site::SiteRow& row = m_file.rows.at(index);
    m_skipped.remove(index);
    setRunning(true);
    m_status->setText(strings::render(Message{CommissionFinding, {row.port}}));
    const site::RowResult r =
        site::commissionRow(m_file, index, m_ports, defaultFace(), m_stop, m_deps.events,
                            [this](const FinderProgress& p) {
                                m_status->setText(strings::render(progressMessage(p)));
                            });
    showResult(r);
    if (r.delivered()) {
        m_cursor = index + 1;
        m_status->setText(
            strings::render(Message{CommissionDone,
                                    {QString::number(row.row), row.label,
                                     QString::number(row.screen), speedArg(row.speed)}}));
        if (!m_journal.note(
                row,
                QStringLiteral("found as %1 at %2").arg(r.foundAs->screen).arg(r.foundAs->speed),
                QDateTime::currentDateTime()))
            presentFailure(m_deps.boxes, Message{SiteJournalNotWritten,
                                                 {QString::number(row.row), m_journal.path()}});
    } else {
        m_status->setText(failureWords(r));
    }
    setRunning(false);
}

void SiteWindow::saveReport()
{
    if (m_running || m_results.isEmpty())
        return;
    const QFileInfo site(m_path);
    const QString path = m_deps.questions.reportFile(
        this, site.dir().filePath(site.completeBaseName() + QStringLiteral(".html")));
    if (path.isEmpty())
        return;
    site::Handover h;
    h.siteFile = m_path;
    h.when = QDateTime::currentDateTime();
    h.tool = QStringLiteral("krntools ") + QLatin1String(kVersion);
    if (m_deps.ports)
        for (qint32 n = 1; n <= qint32(lists::serialPorts().size()); ++n) {
            const PortRoute route = m_deps.ports->route(n);
            if (route.present)
                h.ports << QStringLiteral("%1  %2  %3")
                               .arg(QString::number(n), route.device,
                                    route.info ? route.info->description : QString())
                               .trimmed();
        }
    h.file = &m_file;
    h.rows = m_results.values();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(site::handoverHtml(h, languageFor(QLocale()))) < 0 || !file.commit()) {
        presentFailure(m_deps.boxes, Message{ReportNotWritten, {path, file.errorString()}});
        return;
    }
    m_status->setText(strings::render(Message{ReportWritten, {path}}));
}

void offerSiteWindow(QWidget& window, const SiteDeps& deps, std::function<bool()> busy)
{
    // One action serves the shortcut and the context menu, as the log's does.
    auto* action = new QAction(load(SiteMenuItem), &window);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
    QObject::connect(action, &QAction::triggered, &window, [&window, deps, busy] {
        if (busy && busy())
            return;
        const QString path = deps.questions.siteFile(&window);
        if (!path.isEmpty())
            SiteWindow::open(deps, path, &window);
    });
}

} // namespace krn
