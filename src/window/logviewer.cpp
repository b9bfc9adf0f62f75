#include "logviewer.h"

#include "strings/stringtable.h"
#include "strings/viewids.h"

#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QVBoxLayout>

namespace krn {

namespace {
using namespace strings;

// Often enough to feel live while a screen is answering; a look is one stat
// and, when nothing changed, one small read.
constexpr auto FollowInterval = std::chrono::milliseconds(250);
constexpr qsizetype HeadBytes = 64;
} // namespace

LogViewer::LogViewer(QString path, QWidget* parent)
    : QWidget(parent, Qt::Window), m_path(std::move(path))
{
    setWindowTitle(load(LogTitle) + QStringLiteral(" - ") + m_path);
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_view = new QPlainTextEdit(this);
    m_view->setReadOnly(true);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_save = new QPushButton(load(LogSaveAs), this);
    m_clear = new QPushButton(load(LogClear), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_clear);
    auto* all = new QVBoxLayout(this);
    all->addWidget(m_view);
    all->addLayout(buttons);
    resize(720, 360);

    connect(m_save, &QPushButton::clicked, this, &LogViewer::saveAs);
    connect(m_clear, &QPushButton::clicked, this, &LogViewer::clear);
    connect(&m_follow, &QTimer::timeout, this, &LogViewer::poll);
    m_follow.start(FollowInterval);
    poll();
}

QString LogViewer::text() const
{
    return m_view->toPlainText();
}

void LogViewer::restart()
{
    m_offset = 0;
    m_head.clear();
    m_partial.clear();
    m_view->clear();
}

void LogViewer::poll()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!m_missingShown) {
            restart();
            m_view->setPlainText(load(LogNoFileYet).arg(m_path));
            m_missingShown = true;
        }
        return;
    }
    if (m_missingShown) {
        restart();
        m_missingShown = false;
    }
    // Rotated or emptied: shorter than what was read, or other first bytes.
    const QByteArray head = file.read(HeadBytes);
    if (file.size() < m_offset || !head.startsWith(m_head))
        restart();
    m_head = head;
    if (file.size() == m_offset || !file.seek(m_offset))
        return;
    const QByteArray added = file.readAll();
    m_offset += added.size();
    m_partial += added;
    const qsizetype end = m_partial.lastIndexOf('\n');
    if (end < 0)
        return;
    QScrollBar* bar = m_view->verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    // appendPlainText adds its own line break.
    m_view->appendPlainText(QString::fromUtf8(m_partial.left(end)));
    m_partial.remove(0, end + 1);
    if (atBottom)
        bar->setValue(bar->maximum());
}

void LogViewer::clear()
{
    // Keep following from here: only lines written from now on appear.
    m_view->clear();
}

std::optional<QString> LogViewer::saveTo(const QString& file) const
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    QByteArray bytes = text().toUtf8();
    if (!bytes.isEmpty())
        bytes += '\n';
    if (out.write(bytes) != bytes.size() || !out.commit())
        return out.errorString();
    return std::nullopt;
}

void LogViewer::saveAs()
{
    const QString file = QFileDialog::getSaveFileName(
        this, load(LogSaveAs), QStringLiteral("traffic.log"), load(LogFileTypes));
    if (file.isEmpty())
        return;
    if (const auto why = saveTo(file))
        QMessageBox::warning(this, load(ErrorTitle), load(LogSaveFailed).arg(file, *why));
}

} // namespace krn
