#pragma once

// The window's side of the engine rig: the command layer behind the window's
// edge and presenter (FormRig), and the real KRN_Tools window as main() wires
// it (WindowRig). Boxes are recorded, the clock and the font chooser fixed.

#include "core/messages.h"
#include "support/enginerig.h"
#include "window/fontchooser.h"
#include "window/formrequest.h"
#include "window/krn_tools.h"
#include "window/outcomebox.h"
#include "window/sitewindow.h"

#include <QPushButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace krn::test {

using Edit = std::function<void(krn::FormSnapshot&)>;
#define SET(field, value) krn::test::Edit([](krn::FormSnapshot& f) { f.field = value; })

// Unifont at 16 pixels draws exactly the controller's 8x16 and 16x16 cells.
inline QFont unifont()
{
    QFont f(QStringLiteral("Unifont"));
    f.setPixelSize(16);
    return f;
}

// Port 1, 9600, screen 1, colour 0, 300.5 x 32, new speed position 2, English clock,
// scan 3, new screen 254.5, the hardware lists, and 6 as the fourth one's text.
inline krn::FormSnapshot typicalForm()
{
    return {0, "9600", "1", 0, "300.5", "32", 2, 1, 3, "254.5", {1, 0, 1, 0, 2}, "6"};
}

struct RecordedBox {
    QString body;
    QString title;
    krn::MessageIcon icon;
};

// Message boxes recorded instead of shown; `shown` runs while each one stands.
struct Boxes : krn::MessageSink {
    void show(const QString& body, const QString& title, krn::MessageIcon icon) override
    {
        boxes.append({body, title, icon});
        if (shown)
            shown();
    }
    // Every box shown, as "(i) title: body" or "(!) title: body".
    QString text() const
    {
        QStringList all;
        for (const RecordedBox& b : boxes)
            all << (b.icon == krn::MessageIcon::Information ? "(i) " : "(!) ") + b.title + ": " +
                       b.body;
        return all.join(u'\n');
    }
    QList<RecordedBox> boxes;
    std::function<void()> shown;
};

struct FormRig : EngineRig {
    // What a command button does: the lists read at the edge, the command
    // run, its outcome shown.
    krn::Outcome run(int button, const krn::FormSnapshot& form)
    {
        const krn::ClockChoice clock{1, unifont(), QStringLiteral("Unifont"), 12};
        return present(
            commander.Send_Function(krn::requestFrom(*krn::commandForButton(button), form, clock)));
    }
    krn::Outcome present(const krn::Outcome& outcome)
    {
        krn::presentOutcome(boxes, outcome);
        return outcome;
    }
    Boxes boxes;
};

// Also the font chooser: it records what it is offered and gives `answer`'s
// reply (by default the font as offered); and the site window's dialogs.
struct WindowRig : krn::FontChooser, krn::EngineEvents, krn::SiteQuestions, EngineRig {
    WindowRig() { link.setEvents(this); }

    // The settings file `ini` first, unless null; true once the window is active.
    bool start(const QByteArray& ini = {}, bool withCommander = false)
    {
        if (QFile f(file.path()); !ini.isNull() && f.open(QIODevice::WriteOnly))
            f.write(ini);
        window = std::make_unique<krn::KRN_Tools>(
            krn::WindowDeps{values, settings, boxes, *this, withCommander ? &commander : nullptr,
                            [this] { return now; }, &engine.ports,
                            dir.filePath(QStringLiteral("traffic.log")), this});
        window->show();
        return QTest::qWaitForWindowActive(window.get());
    }
    const krn::Controls& ui() const { return window->controls(); }
    void click(int button) { QTest::mouseClick(ui().CmdOk[button], Qt::LeftButton); }

    std::optional<QFont> choose(const QFont& f) override { return offered << f, answer(f); }
    // The title while each frame of a download is acknowledged.
    void progress(int, int) override { titles << window->windowTitle(); }

    QString siteFile(QWidget*) override { return sitePath; }
    QString reportFile(QWidget*, const QString&) override
    {
        return dir.filePath(QStringLiteral("report.html"));
    }
    std::optional<QString> password(QWidget*, const QString&) override { return typed; }
    Connect connectAlone(QWidget*, const QString& question) override
    {
        return asked << question, connects.isEmpty() ? Connect::GoOn : connects.takeFirst();
    }
    // The new site window Ctrl+O opens on `sitePath`, holding `csv`.
    krn::SiteWindow* openSite(const QByteArray& csv)
    {
        sitePath = dir.filePath(QStringLiteral("hall.csv"));
        if (QFile f(sitePath); f.open(QIODevice::WriteOnly))
            f.write(csv);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // closed ones go
        const QList<krn::SiteWindow*> before = window->findChildren<krn::SiteWindow*>();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return nullptr;
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        for (krn::SiteWindow* w : window->findChildren<krn::SiteWindow*>())
            if (!before.contains(w))
                return w;
        return nullptr;
    }

    std::function<std::optional<QFont>(QFont)> answer = [](QFont f) { return f; };
    QString sitePath, typed;
    QStringList asked;
    QList<Connect> connects; // the answers to the commissioning question; then Go on
    QList<QFont> offered;
    QStringList titles;
    QDateTime now{QDate(2008, 1, 1), QTime(1, 2, 3)};
    Boxes boxes;
    std::unique_ptr<krn::KRN_Tools> window;
};

} // namespace krn::test
