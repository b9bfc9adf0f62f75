#include "commands/commander.h"
#include "support/linkrig.h"
#include "support/recordingboxes.h"
#include "support/vscreenprocess.h"
#include "window/finderdialog.h"
#include "window/fontchooser.h"
#include "window/krn_tools.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

// A line on which screens answer at given (speed, screen) places. Each probe
// lets the dialog handle its events, as the link's wait does, and may run a
// step of the test (a click) at a given probe.
class PumpingLine : public krn::FinderLine {
public:
    bool open(qint32 speed) override
    {
        m_speed = speed;
        return true;
    }
    void close() override {}
    krn::ProbeReply probe(qint32 screen, std::chrono::milliseconds) override
    {
        ++probes;
        if (counter)
            ++*counter;
        if (probes == stepAt && step)
            step();
        QCoreApplication::processEvents();
        if (answering.contains(QStringLiteral("%1:%2").arg(m_speed).arg(screen)))
            return {QByteArray(1, 0x06), 4, false};
        return {};
    }

    QStringList answering;
    int probes = 0;
    int stepAt = -1;
    std::function<void()> step;
    int* counter = nullptr;

private:
    qint32 m_speed = 0;
};

krn::FinderPlan smallPlan()
{
    krn::FinderPlan plan;
    plan.speeds = {9600, 57600};
    plan.screens = {0, 1, 2, 254};
    return plan;
}

} // namespace

class TestFinderDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English)); }

    void listsWhatIsFound()
    {
        PumpingLine line;
        line.answering = {"57600:254", "9600:1"};
        krn::FinderDialog dialog(line);
        const krn::FinderResult r = dialog.search(smallPlan());
        QCOMPARE(r.end, krn::FinderEnd::Finished);
        QCOMPARE(dialog.foundList().count(), 2);
        QCOMPARE(dialog.foundList().item(0)->text(),
                 "Found screen 1 at 9600 bit/s (answer 06, 4 ms).");
        QCOMPARE(dialog.statusLabel().text(), "Search finished.");
        dialog.foundList().setCurrentRow(1);
        dialog.useButton().click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.chosen());
        QCOMPARE(dialog.chosen()->speed, 57600);
        QCOMPARE(dialog.chosen()->screen, 254);
    }

    void cancelStopsTheSearchAndThenCloses()
    {
        PumpingLine line;
        krn::FinderDialog dialog(line);
        dialog.show();
        line.stepAt = 3;
        line.step = [&] { dialog.cancelButton().click(); };
        const krn::FinderResult r = dialog.search(smallPlan());
        QCOMPARE(r.end, krn::FinderEnd::Cancelled);
        QCOMPARE(line.probes, 3);
        QCOMPARE(dialog.statusLabel().text(), "Search cancelled.");
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.useButton().isEnabled());
        dialog.cancelButton().click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.chosen());
    }

    void nothingFound()
    {
        PumpingLine line;
        krn::FinderDialog dialog(line);
        dialog.search(smallPlan());
        QCOMPARE(dialog.statusLabel().text(), "No screen answered.");
    }

    // From the window: the screen list's context menu opens the finder, a
    // choice made while it still searches ends the search and is handed over.
    void offeredOnTheScreenList()
    {
        QWidget window;
        auto* screens = new QComboBox(&window);
        std::optional<krn::FoundScreen> chosen;
        int probesSent = 0;
        krn::offerScreenFinder(
            window, *screens,
            [&]() -> std::unique_ptr<krn::FinderLine> {
                auto line = std::make_unique<PumpingLine>();
                line->answering = {"19200:7"};
                // Probe 4 broadcasts, then 0..7 at 9600, then 0..7 at 19200.
                line->stepAt = 4 + 255 + 9;
                line->step = [] {
                    auto* dialog =
                        qobject_cast<krn::FinderDialog*>(QApplication::activeModalWidget());
                    QVERIFY(dialog);
                    QCOMPARE(dialog->foundList().count(), 1);
                    dialog->useButton().click();
                };
                line->counter = &probesSent;
                return line;
            },
            [&](const krn::FoundScreen& f) { chosen = f; });
        QCOMPARE(screens->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(screens->actions().size(), 1);
        QCOMPARE(screens->actions().first()->text(), "&Find screens...");
        screens->actions().first()->trigger();
        QVERIFY(chosen);
        QCOMPARE(chosen->speed, 19200);
        QCOMPARE(chosen->screen, 7);
        // The search stopped right after the choice, long before its end.
        QCOMPARE(probesSent, 4 + 255 + 9);
    }

    // In the window: Ctrl+F searches the port the window shows, and the screen
    // chosen is picked in the speed and number lists, so the settings
    // remember it.
    void windowPicksTheChosenScreen()
    {
        krn::test::VScreenProcess screen;
        QVERIFY2(screen.start({"--screen", "1"}), qPrintable(screen.errorText()));
        struct Rig : krn::test::LinkRig, krn::FontChooser {
            std::optional<QFont> choose(const QFont&) override { return std::nullopt; }
            krn::test::RecordingBoxes boxes;
            krn::Commander commander{link, settings, pump};
        } rig;
        QVERIFY(rig.mapPort1(screen.device()));
        rig.settings.setLineSpeed("57600");
        rig.settings.setScreen("200");
        krn::KRN_Tools window(krn::WindowDeps{rig.values, rig.settings, rig.boxes, rig,
                                              &rig.commander, nullptr, nullptr});
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // Choose the first screen found as soon as it shows.
        QTimer chooser;
        int shown = 0;
        QObject::connect(&chooser, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<krn::FinderDialog*>(QApplication::activeModalWidget());
            if (dialog && dialog->foundList().count() > 0 && shown++ == 0)
                dialog->useButton().click();
        });
        chooser.start(5);
        QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(shown, 1);
        const krn::Controls& ui = window.controls();
        QCOMPARE(ui.ComboNo[2]->currentText(), "9600");
        QCOMPARE(ui.ComboNo[3]->currentText(), "1");
        QCOMPARE(rig.settings.lineSpeed(), 9600);
        QCOMPARE(rig.settings.screen(), 1);
        QVERIFY(rig.boxes.boxes.isEmpty());
    }
};

QTEST_MAIN(TestFinderDialog)
#include "tst_finderdialog.moc"
