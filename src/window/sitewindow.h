#pragma once

#include "link/portmap.h"
#include "site/journal.h"
#include "site/sitework.h"

#include <QMap>
#include <QSet>
#include <QWidget>
#include <atomic>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace krn {

class EngineEvents;
class MessageSink;
class PortMap;
class Settings;

// What the site window asks the operator, in dialogs of the program's own
// or, in tests, answered without a screen.
class SiteQuestions {
public:
    enum class Connect { GoOn, Skip, Stop };

    virtual ~SiteQuestions() = default;
    // The site file to open, the report to write; empty when cancelled.
    virtual QString siteFile(QWidget* parent) = 0;
    virtual QString reportFile(QWidget* parent, const QString& suggested) = 0;
    // The hardware password as typed; nothing when cancelled.
    virtual std::optional<QString> password(QWidget* parent, const QString& prompt) = 0;
    // Before a controller is commissioned: connect it alone to its line.
    virtual Connect connectAlone(QWidget* parent, const QString& question) = 0;
};

// File dialogs, a password input and a question box.
class DialogSiteQuestions final : public SiteQuestions {
public:
    QString siteFile(QWidget* parent) override;
    QString reportFile(QWidget* parent, const QString& suggested) override;
    std::optional<QString> password(QWidget* parent, const QString& prompt) override;
    Connect connectAlone(QWidget* parent, const QString& question) override;
};

struct SiteDeps {
    const Settings& settings; // what port numbers open
    MessageSink& boxes;
    SiteQuestions& questions;
    const PortMap* ports = nullptr; // names this computer's ports in the report
    EngineEvents* events = nullptr; // hears the traffic (the traffic log)
};

// A site file in a window of its own: its rows with their state, Apply
// selected (several lines at once), Commission next (one factory-fresh
// controller at a time, noted in the journal beside the file) and Save
// report (what this window ran). While it sends it is application-modal, so
// nothing else goes out on its ports meanwhile.
class SiteWindow : public QWidget {
    Q_OBJECT

public:
    enum Column { RowNumber, Label, Port, Screen, Speed, Sends, State, Columns };

    SiteWindow(SiteDeps deps, QString path, site::SiteFile file, QWidget* parent = nullptr);
    ~SiteWindow() override;

    // Reads `path` and opens a window on it, deleted when closed. A file that
    // does not read is told in a box (naming the row and column): nullptr.
    static SiteWindow* open(const SiteDeps& deps, const QString& path, QWidget* parent);

    QTableWidget& table() const { return *m_table; }
    QPushButton& applyButton() const { return *m_apply; }
    QPushButton& commissionButton() const { return *m_commission; }
    QPushButton& reportButton() const { return *m_report; }
    QLabel& statusLabel() const { return *m_status; }
    bool running() const { return m_running; }

    void applySelected();
    void commissionNext();
    void saveReport();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool unlock();
    void setRunning(bool running);
    void setState(int index, const QString& state);
    void showResult(const site::RowResult& result);
    QString failureWords(const site::RowResult& result) const;
    int nextToCommission() const;
    void updateButtons();

    SiteDeps m_deps;
    QString m_path;
    site::SiteFile m_file;
    site::Journal m_journal;
    PortMap m_ports;
    const std::atomic<bool> m_stop{false}; // a run goes to its end, as the window's commands do
    QMap<int, site::RowResult> m_results;  // the last run of each row, by index
    QSet<int> m_skipped;
    int m_cursor = 0; // where Commission next looks first
    bool m_unlocked = false;
    bool m_running = false;
    QTableWidget* m_table = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_commission = nullptr;
    QPushButton* m_report = nullptr;
    QLabel* m_status = nullptr;
};

// Offers "Site..." in `window`'s context menu and on Ctrl+O: the site file
// the operator picks opens in a site window. Not while `busy` (a command of
// the window is on the line).
void offerSiteWindow(QWidget& window, const SiteDeps& deps, std::function<bool()> busy);

} // namespace krn
