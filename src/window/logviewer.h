#pragma once

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace krn {

// A small window on a log file that follows it live, as `tail -f` does: new
// lines appear as they are written, and a file that was rotated or emptied is
// read again from its start. Save As keeps what the window shows; Clear empties
// the window, not the file.
class LogViewer : public QWidget {
    Q_OBJECT

public:
    explicit LogViewer(QString path, QWidget* parent = nullptr);

    const QString& path() const { return m_path; }
    // What the window shows.
    QString text() const;
    QPushButton* clearButton() const { return m_clear; }

    // Reads what was added to the file since the last look.
    void poll();
    void clear();
    // Writes what the window shows to `file`; the reason when it cannot.
    std::optional<QString> saveTo(const QString& file) const;

private:
    void saveAs();
    void restart();

    QString m_path;
    qint64 m_offset = 0;  // bytes of the file taken so far
    QByteArray m_head;    // the file's first bytes, to notice it was replaced
    QByteArray m_partial; // a line still being written
    bool m_missingShown = false;
    QPlainTextEdit* m_view = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_clear = nullptr;
    QTimer m_follow;
};

} // namespace krn
