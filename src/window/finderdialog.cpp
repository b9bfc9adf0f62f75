#include "finderdialog.h"

#include "strings/stringtable.h"
#include "strings/toolids.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace krn {

FinderDialog::FinderDialog(FinderLine& line, QWidget* parent)
    : QDialog(parent), m_line(line), m_finder(line), m_progress(new QProgressBar(this)),
      m_status(new QLabel(this)), m_list(new QListWidget(this)),
      m_use(new QPushButton(strings::load(strings::FinderUse), this)),
      m_cancel(new QPushButton(strings::load(strings::FinderCancel), this))
{
    setWindowTitle(strings::load(strings::FinderTitle));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_use);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    m_use->setEnabled(false);
    m_use->setDefault(true);

    connect(m_list, &QListWidget::currentRowChanged, this,
            [this](int row) { m_use->setEnabled(row >= 0); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &FinderDialog::useSelected);
    connect(m_use, &QPushButton::clicked, this, &FinderDialog::useSelected);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_searching)
            m_finder.cancel();
        else
            reject();
    });

    m_finder.onProgress = [this](const FinderProgress& p) {
        m_progress->setRange(0, p.total);
        m_progress->setValue(p.done);
        m_status->setText(strings::render(progressMessage(p)));
    };
    m_finder.onFound = [this](const FoundScreen& f) {
        m_found << f;
        m_list->addItem(strings::render(foundMessage(f)));
        if (m_list->currentRow() < 0)
            m_list->setCurrentRow(0);
    };
}

FinderResult FinderDialog::search(const FinderPlan& plan)
{
    m_searching = true;
    const FinderResult result = m_finder.run(plan);
    m_searching = false;
    m_progress->setValue(m_progress->maximum());
    const std::optional<Message> fault = m_line.fault();
    if ((result.end == FinderEnd::OpenFailed || result.end == FinderEnd::LineFault) && fault) {
        m_status->setText(strings::render(*fault));
        return result;
    }
    m_status->setText(result.end == FinderEnd::Cancelled
                          ? strings::load(strings::FinderCancelled)
                          : (result.found.isEmpty() ? strings::load(strings::FinderNothingFound)
                                                    : strings::load(strings::FinderDone)));
    return result;
}

void FinderDialog::useSelected()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_found.size())
        return;
    m_chosen = m_found.at(row);
    accept();
}

void FinderDialog::done(int result)
{
    // Closing ends the search; its last probe finishes first.
    if (m_searching)
        m_finder.cancel();
    QDialog::done(result);
}

void offerScreenFinder(QWidget& window, QComboBox& screenList,
                       std::function<std::unique_ptr<FinderLine>()> line,
                       std::function<void(const FoundScreen&)> choose)
{
    auto* action = new QAction(strings::load(strings::FinderMenuItem), &screenList);
    screenList.setContextMenuPolicy(Qt::ActionsContextMenu);
    screenList.addAction(action);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), &window);

    const auto open = [&window, line, choose] {
        std::unique_ptr<FinderLine> finderLine = line();
        if (!finderLine)
            return;
        FinderDialog dialog(*finderLine, &window);
        dialog.resize(420, 300);
        // Modal while it searches too: no command may go out on the line meanwhile.
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        dialog.search();
        if (dialog.isVisible())
            dialog.exec();
        if (dialog.result() == QDialog::Accepted && dialog.chosen())
            choose(*dialog.chosen());
    };
    QObject::connect(action, &QAction::triggered, &window, open);
    QObject::connect(shortcut, &QShortcut::activated, &window, open);
}

} // namespace krn
