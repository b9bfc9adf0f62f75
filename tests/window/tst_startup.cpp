#include "windowharness.h"

namespace {

// Every list as "position:text" (editable boxes "~:text"), then the hardware
// lists with their item counts.
QString describeLists(const krn::Controls& ui)
{
    QStringList parts;
    for (const QComboBox* c : ui.ComboNo)
        parts << (c->isEditable() ? u"~"_s : QString::number(c->currentIndex())) + u':' +
                     c->currentText();
    for (const QComboBox* c : ui.ComboNoNo)
        parts << u"%1:%2/%3"_s.arg(c->currentIndex()).arg(c->currentText()).arg(c->count());
    return parts.join(u' ');
}

const QString FirstStart = u"0:232串行口通讯 0:串口1 0:9600 0:0 0:双色 ~:128 ~:16 0:9600 0:chinese "
                           "0:1/16 0:0"_s;
const QString HardwareDefaults = u" 0:低有效/2 0:左高/2 0:取反/2 0:2/4 0:1/9"_s;
const QString HardwareEmpty = u" -1:/0 -1:/0 -1:/0 -1:/0 -1:/0"_s;

// The first-start lists with start-up stopped at list `failing`: it and every
// list start-up would have set after it stay unselected.
QString stoppedAt(int failing, QString lists = FirstStart)
{
    QStringList parts = lists.split(u' ');
    const QList<int> order{0, 1, 2, 7, 3, 4, 5, 6, 8, 9, 10}; // as start-up sets them
    for (qsizetype step = order.indexOf(failing); step < order.size(); ++step) {
        const int i = order[step];
        parts[i] = (i == 5 || i == 6) ? u"~:ComboNo"_s : u"-1:"_s;
    }
    return parts.join(u' ');
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void startsFromFile_data();
    void startsFromFile();
    void clockFormFromFirstTick();
};

void TestStartup::startsFromFile_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("lists");
    QTest::addColumn<QStringList>("reported"); // a word of each message box, in order
    QTest::addColumn<QString>("values");       // port, baud, screen, clock language, font, size
    QTest::addColumn<QString>("drawn");        // the clock preview's face and size

    QTest::newRow("complete file")
        << QByteArray(
               "[About]\r\nSend_Com=2\r\nSend_Port=19200\r\nSend_Screen=12\r\nSend_Color=1\r\n"
               "Send_Width=256\r\nSend_Height=32\r\nSend_Scan=3\r\nSend_Time=1\r\n"
               "Send_TimeFont=DejaVu Sans\r\nSend_TimeSize=14\r\nSet_No0=1\r\nSet_No1=1\r\n"
               "Set_No2=0\r\nSet_No3=3\r\nSet_No4=8\r\n")
        << u"0:232串行口通讯 2:串口3 1:19200 12:12 1:单色 ~:256 ~:32 1:19200 1:english 3:静态 "
           "12:12 1:高有效/2 1:左低/2 0:取反/2 3:16/4 8:9/9"_s
        << QStringList() << "2 19200 12 1 DejaVu Sans 14"
        << "DejaVu Sans 14";
    // Arial is not installed here: the clock displays draw with Unifont.
    QTest::newRow("no file") << QByteArray() << FirstStart + HardwareDefaults << QStringList()
                             << "0 0 0 0 Arial 12"
                             << "Unifont 12";
    QTest::newRow("port index 16")
        << QByteArray("[About]\nSend_Com=16\n") << stoppedAt(1) + HardwareEmpty
        << QStringList{u"16"_s} << "16 0 0 0 Arial 12"
        << "Unifont 12";
    QTest::newRow("baud 12345") << QByteArray("[About]\nSend_Com=1\nSend_Port=12345\n")
                                << stoppedAt(
                                       2, QString(FirstStart).replace(u"0:串口1"_s, u"1:串口2"_s)) +
                                       HardwareEmpty
                                << QStringList{u"12345"_s} << "1 12345 0 0 Arial 12"
                                << "Unifont 12";
    QTest::newRow("screen 300") << QByteArray("[About]\nSend_Port=38400\nSend_Screen=300\n")
                                << stoppedAt(
                                       3, QString(FirstStart).replace(u"0:9600"_s, u"2:38400"_s)) +
                                       HardwareEmpty
                                << QStringList{u"300"_s} << "0 38400 300 0 Arial 12"
                                << "Unifont 12";
    QTest::newRow("width 100") << QByteArray("[About]\nSend_Width=100\n")
                               << QString(FirstStart).replace(u"~:128"_s, u"~:100"_s) +
                                      HardwareDefaults
                               << QStringList() << "0 0 0 0 Arial 12"
                               << "Unifont 12";
    QTest::newRow("height 64px") << QByteArray("[About]\nSend_Height=64px\n")
                                 << QString(FirstStart).replace(u"~:16"_s, u"~:64"_s) +
                                        HardwareDefaults
                                 << QStringList() << "0 0 0 0 Arial 12"
                                 << "Unifont 12";
    QTest::newRow("hardware option 0 = 2")
        << QByteArray("[About]\nSet_No0=2\n") << FirstStart + u" -1:/2 -1:/2 -1:/2 -1:/4 -1:/9"_s
        << QStringList{u"OE polarity"_s} << "0 0 0 0 Arial 12"
        << "Unifont 12";
    QTest::newRow("hardware option 2 = 5")
        << QByteArray("[About]\nSet_No2=5\nSet_No1=1\n")
        << FirstStart + u" 0:低有效/2 1:左低/2 -1:/2 -1:/4 -1:/9"_s
        << QStringList{u"byte inversion"_s} << "0 0 0 0 Arial 12"
        << "Unifont 12";
    // What a download stores when no clock language is selected.
    QTest::newRow("clock language -1")
        << QByteArray("[About]\nSend_Time=-1\n")
        << QString(FirstStart).replace(u"0:chinese"_s, u"-1:"_s) + HardwareDefaults << QStringList()
        << "0 0 0 -1 Arial 12"
        << "Unifont 12";
    QTest::newRow("clock language 2")
        << QByteArray("[About]\nSend_Time=2\n") << stoppedAt(8) + HardwareEmpty
        << QStringList{u"clock language"_s} << "0 0 0 2 Arial 12"
        << "Unifont 12";
    QTest::newRow("empty font name")
        << QByteArray("[About]\nSend_TimeFont=\nSend_TimeSize=16\n")
        << FirstStart + HardwareDefaults << QStringList() << "0 0 0 0 Arial 16"
        << "Unifont 16";
    // Too big for 16 bits: the reads end there and nothing is selected; the
    // size left at 0 cannot be drawn, so the clock keeps its design font.
    QTest::newRow("font size 70000")
        << QByteArray("[About]\nSend_TimeSize=70000\n") << stoppedAt(0) + HardwareEmpty
        << QStringList{u"70000"_s, u"clock font size"_s} << "0 0 0 0 Arial 0"
        << "宋体 12";
    QTest::newRow("font size 0") << QByteArray("[About]\nSend_TimeSize=0\n")
                                 << FirstStart + HardwareDefaults
                                 << QStringList{u"clock font size"_s} << "0 0 0 0 Arial 0"
                                 << "宋体 12";
}

void TestStartup::startsFromFile()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, lists);
    QFETCH(QStringList, reported);
    QFETCH(QString, values);
    QFETCH(QString, drawn);

    WindowHarness h(ini);
    h.start();

    QCOMPARE(describeLists(h.ui()), lists);
    QCOMPARE(h.boxes.boxes.size(), reported.size());
    for (qsizetype i = 0; i < reported.size(); ++i) {
        const RecordedBox& box = h.boxes.boxes[i];
        QVERIFY2(box.body.contains(reported[i]), qPrintable(box.body));
        QCOMPARE(box.title, u"Error prompt"_s);
        QCOMPARE(box.icon, krn::MessageIcon::Exclamation);
    }
    const krn::ProgramValues& v = h.values;
    QVERIFY(v.UiReady);
    QCOMPARE(u"%1 %2 %3 %4 %5 %6"_s.arg(v.link.PortNumber)
                 .arg(v.link.BaudRate)
                 .arg(v.link.ScreenNumber)
                 .arg(v.ClockLanguage)
                 .arg(v.ClockFontName)
                 .arg(v.ClockFontSize),
             values);
    const QFont clock = h.ui().LabTime->font();
    QCOMPARE(u"%1 %2"_s.arg(clock.family()).arg(clock.pointSizeF()), drawn);
    if (reported.isEmpty())
        QCOMPARE(h.window->clockFont(), clock);
    // Nothing start-up selects is written back; a first start creates no file.
    QCOMPARE(QFile::exists(h.path), !ini.isNull());
    QCOMPARE(h.fileBytes(), ini.isNull() ? QByteArray() : ini);
}

// The remembered English clock shows from the first tick.
void TestStartup::clockFormFromFirstTick()
{
    WindowHarness h("[About]\nSend_Time=1\n");
    h.start();
    QCOMPARE(h.ui().LabTime->text(), u" 08-01-01 星期一 01:02:03"_s);
    QTRY_COMPARE_WITH_TIMEOUT(h.ui().LabTime->text(), u" 08-01-01  Tue   01:02:03"_s, 3000);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
