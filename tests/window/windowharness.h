#pragma once

// A KRN_Tools window on a private settings file, with its message boxes
// recorded, its font dialog scripted and its clock fixed.

#include "core/messages.h"
#include "core/programvalues.h"
#include "settings/profilefile.h"
#include "support/recordingboxes.h"
#include "window/fontchooser.h"
#include "window/krn_tools.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

using krn::test::RecordedBox;
using krn::test::RecordingBoxes;

class ScriptedFontChooser : public krn::FontChooser {
public:
    std::optional<QFont> choose(const QFont& initial) override
    {
        offered.append(initial);
        return answer;
    }
    std::optional<QFont> answer; // empty: the operator cancels
    QList<QFont> offered;
};

class WindowHarness {
public:
    // `ini` is the settings file's content; a null array means there is none.
    explicit WindowHarness(const QByteArray& ini = QByteArray())
        : path(dir.filePath(u"krntools.ini"_s)), settings(path)
    {
        QFile file(path);
        if (!ini.isNull() && file.open(QIODevice::WriteOnly))
            file.write(ini);
    }

    krn::KRN_Tools& start(krn::Commander* commander = nullptr)
    {
        window = std::make_unique<krn::KRN_Tools>(krn::WindowDeps{
            .values = values,
            .settings = settings,
            .boxes = boxes,
            .fontChooser = chooser,
            .commander = commander,
            .now = [this] { return now; },
            .deviceForPort = [](qint32 n) { return u"/dev/ttyFAKE%1"_s.arg(n); },
        });
        return *window;
    }

    bool show()
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    const krn::Controls& ui() const { return window->controls(); }

    QByteArray fileBytes() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // "key=value" lines of the file, as written.
    QStringList entries() const
    {
        QStringList lines;
        for (const QByteArray& raw : fileBytes().split('\n'))
            if (raw.contains('='))
                lines << QString::fromUtf8(raw).trimmed();
        return lines;
    }

    // The value of a key as it stands in the file; null when it is missing.
    QString stored(const QString& key) const
    {
        for (const QString& line : entries())
            if (line.section(u'=', 0, 0).trimmed() == key)
                return line.section(u'=', 1).trimmed();
        return QString();
    }

    QTemporaryDir dir;
    QString path;
    krn::ProgramValues values;
    krn::ProfileFile settings;
    RecordingBoxes boxes;
    ScriptedFontChooser chooser;
    QDateTime now{QDate(2008, 1, 1), QTime(1, 2, 3)};
    std::unique_ptr<krn::KRN_Tools> window;
};

// Picks item `position` as an operator does: opens the list, clicks the item.
inline bool pickItem(QComboBox& list, int position)
{
    list.showPopup();
    QAbstractItemView* view = list.view();
    const QModelIndex item = view->model()->index(position, list.modelColumn());
    view->scrollTo(item);
    if (!QTest::qWaitForWindowExposed(view->window()))
        return false;
    // An item may be laid out wider than the list; click its visible part.
    const QRect visible = view->visualRect(item).intersected(view->viewport()->rect());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, visible.center());
    return !view->isVisible();
}
