#include "support/fakefinderline.h"
#include "support/windowrig.h"
#include "window/finderdialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

class TestFinderDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English)); }

    // A search run to its end: what the list and the status tell.
    void afterTheSearch()
    {
        for (const bool answers : {true, false}) {
            krn::test::FakeFinderLine line; // screen 1 at 9600 answers after 4 ms
            if (answers)
                line.screens = {{9600, 1, 4}};
            krn::FinderDialog dialog(line);
            dialog.search(krn::FinderPlan{{9600}, {0, 1, 2}, {}, false});
            QCOMPARE(dialog.statusLabel().text(),
                     answers ? "Search finished." : "No screen answered.");
            QCOMPARE(dialog.foundList().count(), answers ? 1 : 0);
            if (answers)
                QCOMPARE(dialog.foundList().item(0)->text(),
                         "Found screen 1 at 9600 bit/s (answer 06, 4 ms).");
        }
    }

    // In the window, from Ctrl+F or the screen list's context menu, on the
    // port the window shows: a screen chosen while the search goes on ends
    // it and is picked in the speed and number lists, so the settings
    // remember it. Cancel stops the search and leaves the dialog open; a
    // second Cancel closes it with nothing picked; a port that does not open
    // is told in the dialog.
    void inTheWindow_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::addColumn<QString>("device"); // empty: the virtual screen's
        QTest::addColumn<int>("pick");       // the row chosen, from 1; 0: Cancel
        QTest::addColumn<QString>("status"); // when the search is over, before Cancel closes
        QTest::addColumn<QString>("picked"); // speed/screen afterwards
        QTest::addRow("Ctrl+F, the second found") << false << "" << 2 << ""
                                                  << "9600/2";
        QTest::addRow("menu, the first found") << true << "" << 1 << ""
                                               << "9600/1";
        QTest::addRow("cancelled, then closed") << false << "" << 0 << "Search cancelled."
                                                << "57600/200";
        QTest::addRow("port that does not open")
            << true << "/nonexistent/tty" << 0
            << "The serial port /nonexistent/tty does not exist. Check that the adapter is "
               "plugged in and that the right port is chosen."
            << "57600/200";
    }
    void inTheWindow()
    {
        QFETCH(bool, menu);
        QFETCH(QString, device);
        QFETCH(int, pick);
        QFETCH(QString, status);
        QFETCH(QString, picked);
        krn::test::VScreenProcess screen;
        QVERIFY2(screen.start({"--screen", "1,2"}), qPrintable(screen.errorText()));
        krn::test::WindowRig rig;
        rig.answer = [](QFont) { return std::nullopt; };
        QVERIFY(rig.mapPort1(device.isEmpty() ? screen.device() : device));
        rig.settings.setLineSpeed("57600");
        rig.settings.setScreen("200");
        QVERIFY(rig.start({}, true));
        const krn::Controls& ui = rig.ui();

        QTimer chooser;
        bool clicked = false;
        QString statusSeen;
        QObject::connect(&chooser, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<krn::FinderDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (!clicked && dialog->foundList().count() >= std::max(pick, 1)) {
                clicked = true;
                dialog->foundList().setCurrentRow(pick - 1);
                (pick > 0 ? dialog->useButton() : dialog->cancelButton()).click();
            } else if (const auto* bar = dialog->findChild<QProgressBar*>();
                       pick == 0 && bar->value() == bar->maximum()) { // the search is over
                statusSeen = dialog->statusLabel().text();
                dialog->cancelButton().click();
            }
        });
        chooser.start(5);
        if (menu) {
            QCOMPARE(ui.ComboNo[3]->contextMenuPolicy(), Qt::ActionsContextMenu);
            QCOMPARE(ui.ComboNo[3]->actions().first()->text(), "&Find screens...");
            ui.ComboNo[3]->actions().first()->trigger();
        } else {
            QTest::keyClick(rig.window.get(), Qt::Key_F, Qt::ControlModifier);
        }
        QCOMPARE(statusSeen, status);
        QCOMPARE(ui.ComboNo[2]->currentText() + '/' + ui.ComboNo[3]->currentText(), picked);
        QCOMPARE(QStringLiteral("%1/%2").arg(rig.settings.lineSpeed()).arg(rig.settings.screen()),
                 picked);
        QVERIFY(rig.boxes.boxes.isEmpty());
        // The search ended with the choice or Cancel: 4 broadcasts, the
        // numbers up to the one found and their confirmations, not all 1024.
        QVERIFY2(screen.logLines().size() < 12, qPrintable(screen.logLines().join('\n')));
    }
};

QTEST_MAIN(TestFinderDialog)
#include "tst_finderdialog.moc"
