#include "windowharness.h"

#include <QHelpEvent>

class TestLists : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void pickWrites_data();
    void pickWrites();
    void picksNotRemembered();
    void typingWritesEachKeystroke_data();
    void typingWritesEachKeystroke();
    void portTooltipNamesDevice();
};

void TestLists::pickWrites_data()
{
    QTest::addColumn<bool>("hardware"); // a ComboNoNo list, behind the password
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("written");
    QTest::newRow("third serial port") << false << 1 << 2 << "Send_Com=2";
    QTest::newRow("38400") << false << 2 << 2 << "Send_Port=38400";
    QTest::newRow("screen 12") << false << 3 << 12 << "Send_Screen=12";
    QTest::newRow("screen 255") << false << 3 << 255 << "Send_Screen=255";
    QTest::newRow("single colour") << false << 4 << 1 << "Send_Color=1";
    QTest::newRow("width from list") << false << 5 << 2 << "Send_Width=64";
    QTest::newRow("height from list") << false << 6 << 3 << "Send_Height=64";
    QTest::newRow("static scan") << false << 9 << 3 << "Send_Scan=3";
    QTest::newRow("wiring count 16") << true << 3 << 3 << "Set_No3=3";
    QTest::newRow("OE active high") << true << 0 << 1 << "Set_No0=1";
    QTest::newRow("wiring mode 9") << true << 4 << 8 << "Set_No4=8";
}

// A pick is written at once, under its own key and nothing else.
void TestLists::pickWrites()
{
    QFETCH(bool, hardware);
    QFETCH(int, list);
    QFETCH(int, position);
    QFETCH(QString, written);

    WindowHarness h;
    h.start();
    QVERIFY(h.show());
    const krn::Controls& ui = h.ui();
    if (hardware) {
        QTest::mouseClick(ui.CmdOk[2], Qt::LeftButton);
        QTest::keyClicks(ui.TextPass, u"427163"_s);
        QTest::keyClick(ui.TextPass, Qt::Key_Return);
    }
    const auto& lists = hardware ? std::span<QComboBox* const>(ui.ComboNoNo)
                                 : std::span<QComboBox* const>(ui.ComboNo);
    QVERIFY(pickItem(*lists[std::size_t(list)], position));
    QCOMPARE(h.entries(), QStringList{written});
    QVERIFY(h.boxes.boxes.isEmpty());
}

// The new speed and screen number are only sent: a restart shows the link's
// values in them again. The clock language changes the preview at once and
// is remembered only by a download.
void TestLists::picksNotRemembered()
{
    const QByteArray ini = "[About]\nSend_Port=19200\nSend_Screen=5\n";
    WindowHarness h(ini);
    krn::KRN_Tools& w = h.start();
    QVERIFY(h.show());
    QVERIFY(pickItem(*h.ui().ComboNo[7], 3));
    QVERIFY(pickItem(*h.ui().ComboNo[10], 7));
    QVERIFY(pickItem(*h.ui().ComboNo[8], 1));
    QCOMPARE(h.values.ClockLanguage, 1);
    w.Timer1_Timer();
    QCOMPARE(h.ui().LabTime->text(), u" 08-01-01  Tue   01:02:03"_s);
    QCOMPARE(h.fileBytes(), ini);

    WindowHarness again(ini);
    again.start();
    QCOMPARE(again.ui().ComboNo[7]->currentText(), u"19200"_s);
    QCOMPARE(again.ui().ComboNo[10]->currentText(), u"5"_s);
}

void TestLists::typingWritesEachKeystroke_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("key");
    QTest::newRow("width") << 5 << "Send_Width";
    QTest::newRow("height") << 6 << "Send_Height";
}

void TestLists::typingWritesEachKeystroke()
{
    QFETCH(int, list);
    QFETCH(QString, key);
    WindowHarness h;
    h.start();
    QVERIFY(h.show());
    QLineEdit* box = h.ui().ComboNo[std::size_t(list)]->lineEdit();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QStringList seen;
    for (Qt::Key k : {Qt::Key_Delete, Qt::Key_2, Qt::Key_5, Qt::Key_6, Qt::Key_Backspace,
                      Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_W}) {
        QTest::keyClick(box, k);
        seen << h.stored(key);
    }
    QCOMPARE(seen.join(u','), u",2,25,256,25,2,,w"_s);
    // Enter takes the text as it stands and adds no item.
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(h.ui().ComboNo[std::size_t(list)]->findText(u"w"_s), -1);
}

void TestLists::portTooltipNamesDevice()
{
    WindowHarness h("[About]\nSend_Com=2\n");
    h.start();
    QVERIFY(h.show());
    QComboBox& ports = *h.ui().ComboNo[1];
    QHelpEvent ask(QEvent::ToolTip, QPoint(5, 5), ports.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&ports, &ask);
    QCOMPARE(ports.toolTip(), u"串口3: /dev/ttyFAKE3"_s);
}

QTEST_MAIN(TestLists)
#include "tst_lists.moc"
