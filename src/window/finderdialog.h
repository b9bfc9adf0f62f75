#pragma once

#include "commands/screenfinder.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QWidget;

namespace krn {

// The screen finder in a small dialog: progress, Cancel, and the screens
// found so far; choosing one ends the search and closes the dialog.
class FinderDialog : public QDialog {
    Q_OBJECT

public:
    explicit FinderDialog(FinderLine& line, QWidget* parent = nullptr);

    // Searches until the plan is done, Cancel is pressed or a screen is
    // chosen. The probes' waits keep the dialog responsive.
    FinderResult search(const FinderPlan& plan = {});

    // The screen the operator chose (Use, or a double click).
    std::optional<FoundScreen> chosen() const { return m_chosen; }

    QListWidget& foundList() const { return *m_list; }
    QPushButton& cancelButton() const { return *m_cancel; }
    QPushButton& useButton() const { return *m_use; }
    QLabel& statusLabel() const { return *m_status; }

    void done(int result) override;

private:
    void useSelected();

    FinderLine& m_line;
    ScreenFinder m_finder;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_use = nullptr;
    QPushButton* m_cancel = nullptr;
    QList<FoundScreen> m_found;
    std::optional<FoundScreen> m_chosen;
    bool m_searching = false;
};

// Offers the finder from the screen-number list's context menu and Ctrl+F on
// `window`. `line` gives the line to search (nothing: not now, e.g. while a
// command runs); `choose` receives the screen the operator picked.
void offerScreenFinder(QWidget& window, QComboBox& screenList,
                       std::function<std::unique_ptr<FinderLine>()> line,
                       std::function<void(const FoundScreen&)> choose);

} // namespace krn
