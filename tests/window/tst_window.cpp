// The real KRN_Tools window on the window rig.

#include "commands/glyphs.h"
#include "strings/stringtable.h"
#include "strings/viewids.h"
#include "support/windowrig.h"
#include "window/logviewer.h"
#include "window/operatoraids.h"

#include <QtTest>
#include <QtWidgets>
#include <bit>

using namespace Qt::StringLiterals;
using namespace std::literals;

namespace {

// The arguments as text, separated by blanks.
template <typename... T> QString text(const T&... parts)
{
    QString all;
    ((QTextStream(&all) << parts << ' '), ...); // each stream appends
    return all.trimmed();
}

QString describe(const QFont& f)
{
    return text(f.family(), f.pointSizeF(), f.bold(), f.italic(), f.underline());
}

// The tooltip a hover over `w` shows.
QString hover(QWidget* w)
{
    QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w, &event);
    return w->toolTip();
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(u"en_US"_s)), h = std::make_unique<krn::test::WindowRig>();
    }
    void controls();
    void startup_data();
    void startup();
    void picks_data();
    void picks();
    void typing();
    void preview_data();
    void preview();
    void gate_data();
    void gate();
    void font_data();
    void font();
    void busyDuringWait();
    void linkListsFollowAChange_data();
    void linkListsFollowAChange();
    void languages_data();
    void languages();
    void aids();
    void site_data();
    void site();
    void commission();

private:
    std::unique_ptr<krn::test::WindowRig> h; // a fresh one for every test and row
};

// The window cannot grow, and its clock runs from the start. (Its title and
// size in a real X server: the window's end-to-end test.)
void TestWindow::controls()
{
    QVERIFY(h->start());
    QCOMPARE(h->window->maximumSize(), QSize(627, 312));
    QTRY_COMPARE_WITH_TIMEOUT(h->ui().LabTime->text(), u" 08-01-01 Week 2 01:02:03"_s, 3000);
}

// Rows give the file's lines ';'-separated (none: no file). `lists`: each list's
// position (an editable box's text; - for none), then the hardware lists' item
// count. `reported`: a word of each message box. `clock`: the clock's face and
// size (Arial is missing here: Unifont stands in).
void TestWindow::startup_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("lists");
    QTest::addColumn<QString>("reported");
    QTest::addColumn<QString>("clock");
    auto row = [](const char* name, const char* keys, const char* lists, const char* reported = "",
                  const char* clock = "Unifont 12") {
        QByteArray ini = keys ? "[About]\n" + QByteArray(keys).replace(';', '\n') + '\n' : nullptr;
        QTest::newRow(name) << ini << lists << reported << clock;
    };
    row("complete file",
        "Send_Com=2;Send_Port=19200;Send_Screen=12;Send_Color=1;Send_Width=256;Send_Height=32;"
        "Send_Scan=3;Send_Time=1;Send_TimeFont=DejaVu Sans;Send_TimeSize=14;Set_No0=1;Set_No1=1;"
        "Set_No2=0;Set_No3=3;Set_No4=8",
        "0 2 1 12 1 256 32 1 1 3 12 1 1 0 3 8 19", "", "DejaVu Sans 14");
    row("no file", nullptr, "0 0 0 0 0 128 16 0 0 0 0 0 0 0 0 0 19");
    row("width 100", "Send_Width=100", "0 0 0 0 0 100 16 0 0 0 0 0 0 0 0 0 19");
    // A bad value stops start-up: the lists it would set next stay unselected.
    row("port 16", "Send_Com=16", "0 - - - - ComboNo ComboNo - - - - - - - - - 0", "16");
    row("baud 12345", "Send_Port=12345", "0 0 - - - ComboNo ComboNo - - - - - - - - - 0", "12345");
    // The hardware lists are filled on their own.
    row("Set_No0=2", "Set_No0=2", "0 0 0 0 0 128 16 0 0 0 0 - - - - - 19", "OE polarity");
    // Too big for 16 bits: the reads end there; a size of 0 cannot be drawn,
    // so the clock face is drawn at the default size.
    row("size 70000", "Send_TimeSize=70000", "- - - - - ComboNo ComboNo - - - - - - - - - 0",
        "70000|clock font size");
}

// Nothing start-up selects is written back; a first start creates no file.
void TestWindow::startup()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, lists);
    QFETCH(QString, reported);
    QFETCH(QString, clock);
    QVERIFY(h->start(ini));
    QStringList shown;
    int items = 0;
    for (const QComboBox* c : h->ui().ComboNo)
        shown << (c->isEditable() ? c->currentText() : QString::number(c->currentIndex()));
    for (const QComboBox* c : h->ui().ComboNoNo)
        shown << QString::number(c->currentIndex()), items += c->count();
    const QFont drawn = h->ui().LabTime->font();
    shown << text(items, u'|', drawn.family(), drawn.pointSizeF());
    QCOMPARE(shown.join(u' ').replace(u"-1"_s, u"-"_s), text(lists, u'|', clock));
    const QStringList words = reported.split(u'|', Qt::SkipEmptyParts);
    QCOMPARE(h->boxes.boxes.size(), words.size());
    for (qsizetype i = 0; i < words.size(); ++i)
        QVERIFY2(h->boxes.boxes[i].body.contains(words[i]), qPrintable(h->boxes.boxes[i].body));
    for (const krn::test::RecordedBox& b : h->boxes.boxes)
        QVERIFY(b.title == u"Error prompt" && b.icon == krn::MessageIcon::Exclamation);
    QVERIFY(!words.isEmpty() || h->window->clockFont() == drawn);
    QCOMPARE(h->values.ClockFontSize, qint16(drawn.pointSizeF())); // what a download would store
    QCOMPARE(QFile::exists(h->settings.path()), !ini.isNull());
    QCOMPARE(h->fileBytes(), ini);
}

void TestWindow::picks_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("written"); // empty: the file is left alone
    QTest::newRow("third serial port") << "ComboNo(1)" << 2 << u"Send_Com=2"_s;
    QTest::newRow("38400") << "ComboNo(2)" << 2 << u"Send_Port=38400"_s;
    QTest::newRow("screen 255") << "ComboNo(3)" << 255 << u"Send_Screen=255"_s;
    QTest::newRow("single colour") << "ComboNo(4)" << 1 << u"Send_Color=1"_s;
    QTest::newRow("width from list") << "ComboNo(5)" << 2 << u"Send_Width=64"_s;
    QTest::newRow("static scan") << "ComboNo(9)" << 3 << u"Send_Scan=3"_s;
    QTest::newRow("wiring mode 9") << "ComboNoNo(4)" << 8 << u"Set_No4=8"_s;
    // Only sent by CmdOk(3) and CmdOk(9), or remembered by a download.
    QTest::newRow("new speed") << "ComboNo(7)" << 3 << QString();
    QTest::newRow("clock language") << "ComboNo(8)" << 1 << QString();
}

// A pick is written at once, under its own key and nothing else; the clock
// language follows its list.
void TestWindow::picks()
{
    QFETCH(QString, list);
    QFETCH(int, position);
    QFETCH(QString, written);
    QVERIFY(h->start());
    auto* c = h->window->findChild<QComboBox*>(list);
    c->setCurrentIndex(position), Q_EMIT c->activated(position); // as an operator's pick does
    QCOMPARE(h->fileBytes(),
             written.isEmpty() ? QByteArray() : "[About]\n" + written.toUtf8() + '\n');
    QCOMPARE(h->values.ClockLanguage, h->ui().ComboNo[8]->currentIndex());
    QVERIFY(h->boxes.boxes.isEmpty());
}

// Every keystroke in the width and height boxes is written; Enter takes the
// text as it stands and adds no item.
void TestWindow::typing()
{
    for (int list : {5, 6}) {
        h = std::make_unique<krn::test::WindowRig>();
        QVERIFY(h->start());
        QLineEdit* box = h->ui().ComboNo[list]->lineEdit();
        QString seen;
        for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_2,
                          Qt::Key_5, Qt::Key_6, Qt::Key_Backspace, Qt::Key_Backspace,
                          Qt::Key_Backspace, Qt::Key_W, Qt::Key_Return})
            QTest::keyClick(box, k), seen += h->fileBytes().mid(8).replace('\n', ' ');
        QCOMPARE(seen.remove(list == 5 ? u"Send_Width="_s : u"Send_Height="_s),
                 list == 5 ? u"12 1  2 25 256 25 2  w w "_s : u"1   2 25 256 25 2  w w "_s);
        QCOMPARE(h->ui().ComboNo[list]->findText(u"w"_s), -1);
    }
}

void TestWindow::preview_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("clocks"); // the Chinese clock (0) | the English one (1, -1, 2)
    const QDateTime tue(QDate(2008, 1, 1), QTime(1, 2, 3)), sun(QDate(2008, 1, 6), {12, 0});
    const QLocale s(u"zh_CN"_s), t(u"zh_TW"_s), e(u"en_US"_s);
    QTest::newRow("Tue S") << tue << s << u" 08-01-01 星期二 01:02:03| 08-01-01  周二   01:02:03"_s;
    QTest::newRow("Sun T") << sun << t << u" 08-01-06 星期日 12:00:00| 08-01-06  週日   12:00:00"_s;
    QTest::newRow("Sun E") << sun << e << u" 08-01-06 Week 7 12:00:00| 08-01-06  Sun   12:00:00"_s;
}

void TestWindow::preview()
{
    QFETCH(QDateTime, now);
    QFETCH(QLocale, locale);
    QFETCH(QString, clocks);
    QLocale::setDefault(locale);
    QVERIFY(h->start());
    h->now = now;
    QStringList shown;
    for (qint32 clock : {0, 1, -1, 2})
        h->values.ClockLanguage = clock, h->window->Timer1_Timer(),
        shown << h->ui().LabTime->text();
    QCOMPARE(shown.join(u'|'), clocks + (u'|' + clocks.section(u'|', 1)).repeated(2));
}

void TestWindow::gate_data()
{
    QTest::addColumn<QString>("actions"); // t: CmdOk(2), o: CmdOk(0), e: Enter, else typed
    QTest::addColumn<QString>("after");   // panel flag, frames shown (password, hardware), text
    QTest::newRow("first toggle asks") << "t" << u"1 1 0"_s;
    QTest::newRow("second toggle closes") << "t|t" << u"0 0 0"_s;
    QTest::newRow("password and Enter") << "t|427163|e" << u"1 0 1 427163"_s;
    QTest::newRow("wrong password") << "t|12345|e" << u"1 1 0"_s;
    QTest::newRow("blank after") << "t|427163 |o" << u"1 1 0"_s;
    QTest::newRow("toggle when unlocked") << "t|427163|o|t" << u"0 0 0 427163"_s;
    QTest::newRow("reopened asks") << "t|427163|o|t|t" << u"1 1 0 427163"_s;
}

// A wrong password empties the box; the box has the focus while asked for.
void TestWindow::gate()
{
    QFETCH(QString, actions);
    QFETCH(QString, after);
    QVERIFY(h->start());
    const krn::Controls& ui = h->ui();
    for (const QString& a : actions.split(u'|'))
        a == u"e"       ? QTest::keyClick(ui.TextPass, Qt::Key_Enter)
        : a.size() == 1 ? h->click(a == u"o" ? 0 : 2)
                        : QTest::keyClicks(ui.TextPass, a);
    QCOMPARE(text(h->window->AdvancedPanelShown(), ui.FramePass->isVisible(),
                  ui.FrameNo[4]->isVisible(), ui.TextPass->text()),
             after);
    QVERIFY(h->boxes.boxes.isEmpty() && (!ui.FramePass->isVisible() || ui.TextPass->hasFocus()));
}

void TestWindow::font_data()
{
    QTest::addColumn<QFont>("chosen");  // QFont(): the operator cancels
    QTest::addColumn<QString>("held");  // ClockFontName|ClockFontSize afterwards
    QTest::addColumn<QString>("drawn"); // face, size, bold, italic, underline of both displays
    QTest::addColumn<QString>("box");   // part of the one box; "" none
    auto font = [](const char* face, double points, QByteArray styles = "") {
        QFont f(QString::fromUtf8(face));
        f.setPointSizeF(points), f.setBold(styles.contains('b')), f.setItalic(styles.contains('i'));
        f.setUnderline(styles.contains('u'));
        return f;
    };
    const QString stored = u"Unifont 12 0 0 0"_s;
    QTest::newRow("missing face confirmed") << font("宋体", 12) << u"宋体|12"_s << stored << "";
    QTest::newRow("10.5 gives 10")
        << font("DejaVu Sans", 10.5) << u"DejaVu Sans|10"_s << u"DejaVu Sans 10.5 0 0 0"_s << "";
    QTest::newRow("11.5 gives 12")
        << font("Unifont", 11.5) << u"Unifont|12"_s << u"Unifont 11.5 0 0 0"_s << "";
    QTest::newRow("decorated") << font("DejaVu Serif", 9, "biu") << u"DejaVu Serif|9"_s
                               << u"DejaVu Serif 9 1 1 1"_s << "";
    QTest::newRow("bold, which Unifont lacks")
        << font("Unifont", 12, "b") << u"Unifont|12"_s << u"Unifont 12 1 0 0"_s << "";
    QTest::newRow("cancel") << QFont() << u"宋体|12"_s << stored << "";
    QTest::newRow("20 overflows the cells: refused")
        << font("宋体", 20) << u"宋体|12"_s << stored << "At 20 points \"0\" is 12 pixels wide";
}

// The chooser opens on the stored font (宋体 is missing here: Unifont draws it);
// the operator answers, opens it again and cancels, then downloads the clock.
// Both displays take a choice at once, the chooser offers it next time as
// chosen, a refused size changes nothing, and only the download stores it,
// after its box, as downloaded even if the clock language moved meanwhile.
// Every acknowledged frame shows as "frame k of n" in the title meanwhile.
void TestWindow::font()
{
    QFETCH(QFont, chosen);
    QFETCH(QString, held);
    QFETCH(QString, drawn);
    QFETCH(QString, box);
    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    const QByteArray ini = "[Ports]\n1=" + screen.device().toUtf8() +
                           "\n[About]\nSend_Screen=1\nSend_TimeFont=宋体\nSend_TimeSize=12\n";
    QVERIFY(h->start(ini, true));
    const QString title = h->window->windowTitle();
    h->answer = [&](QFont) { return chosen == QFont() ? std::nullopt : std::optional(chosen); };
    h->click(6);
    h->answer = [](QFont) { return std::nullopt; };
    h->click(6);
    const QFont next = box.isEmpty() && chosen != QFont() ? chosen : h->offered.value(0);
    QCOMPARE((QStringList{describe(h->offered.value(0)), describe(h->ui().LabTime->font()),
                          describe(h->window->clockFont()), describe(h->offered.value(1))}),
             (QStringList{u"宋体 12 0 0 0"_s, drawn, drawn, describe(next)}));
    QCOMPARE(h->values.ClockFontName + u'|' + QString::number(h->values.ClockFontSize), held);
    QCOMPARE(h->boxes.boxes.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QVERIFY2(h->boxes.boxes[0].body.contains(box), qPrintable(h->boxes.boxes[0].body));
    QCOMPARE(h->fileBytes(), ini);
    // The preview draws as a label would, but a bold its face lacks as the
    // download draws it (the regular face once more one pixel to the right,
    // which the clock download's test checks bit for bit).
    const bool overdrawn = h->window->clockFont().bold() && drawn.startsWith(u"Unifont"_s);
    QLabel label(h->ui().LabTime->text());
    QFont regular = h->ui().LabTime->font();
    regular.setBold(regular.bold() && !overdrawn);
    label.setFont(regular), label.setPalette(h->ui().LabTime->palette());
    label.setAutoFillBackground(true), label.resize(h->ui().LabTime->size());
    const QImage plain = label.grab().toImage(), shown = h->ui().LabTime->grab().toImage();
    QCOMPARE(shown.size(), plain.size());
    QCOMPARE(shown != plain, overdrawn);

    h->boxes.boxes.clear();
    QByteArray whileShown;
    h->boxes.shown = [&] {
        whileShown = h->fileBytes();
        h->ui().ComboNo[8]->setCurrentIndex(1), h->window->ComboNo_Click(8);
    };
    h->click(4);
    QCOMPARE(h->boxes.boxes.value(0).body, u"Set parameter ok!"_s);
    QCOMPARE(whileShown, ini);
    const QString file = QString::fromUtf8(h->fileBytes());
    for (const QString& line : {u"Send_Time=0"_s, u"Send_TimeFont="_s + held.section(u'|', 0, 0),
                                u"Send_TimeSize="_s + held.section(u'|', 1)})
        QVERIFY2(file.contains(line + u'\n'), qPrintable(file));
    const int n = int(h->titles.size()); // one per frame: "of n" must agree
    QVERIFY(n > 1);
    QStringList expected;
    for (int k = 1; k <= n; ++k)
        expected << title + u" - Downloading the clock: frame %1 of %2"_s.arg(k).arg(n);
    QCOMPARE(h->titles, expected);
    QCOMPARE(h->window->windowTitle(), title);
}

// A speed change against a screen that never answers: for the 3 s of the wait
// the buttons rest, the cursor is busy, and no click starts anything, not even
// one reaching the window past its buttons, nor does Ctrl+O open a site; then all is as before, the
// lists and the file too. The frame went out on the system's first device: port 1 is pinned to it,
// answer or not.
void TestWindow::busyDuringWait()
{
    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start({u"--mode"_s, u"silent"_s}), qPrintable(screen.errorText()));
    h->system.devices = {{screen.device(), {}, {}, {}, {}}};
    QVERIFY(h->start("[About]\nSend_Screen=1\n", true));
    const QString title = h->window->windowTitle();
    const int speed = h->ui().ComboNo[2]->currentIndex();
    h->sitePath = h->dir.filePath(u"missing.csv"_s);
    QList<bool> during;
    bool cursorBusy = false;
    QTimer::singleShot(1000, [&] {
        for (QPushButton* b : h->ui().CmdOk)
            during << b->isEnabled();
        cursorBusy = QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        for (int button : {2, 6, 8})
            h->window->CmdOk_Click(button);
        QTest::keyClick(h->window.get(), Qt::Key_O, Qt::ControlModifier); // a box if it opened
    });
    h->ui().ComboNo[7]->setCurrentIndex(2);
    h->click(3);
    QVERIFY(h->ui().CmdOk[3]->hasFocus()); // back from the list after it
    QVERIFY(cursorBusy);
    QCOMPARE(during, QList<bool>(10, false));
    for (QPushButton* b : h->ui().CmdOk)
        QVERIFY(b->isEnabled());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(h->window->windowTitle(), title);
    QVERIFY(h->window->AdvancedPanelShown() == 0 && h->offered.isEmpty());
    QCOMPARE(h->boxes.boxes.size(), 1); // the one no-answer box
    QCOMPARE(h->ui().ComboNo[2]->currentIndex(), speed);
    QVERIFY(!h->fileBytes().contains("Send_Port"));
    QCOMPARE(h->settings.portMapping(1), screen.device());
    h->click(2);
    QCOMPARE(h->window->AdvancedPanelShown(), 1);
}

// A screen that took a new speed or number is addressed by it from then on.
void TestWindow::linkListsFollowAChange_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("list");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("speed") << 3 << 2 << "Send_Port=38400"_ba;
    QTest::newRow("screen") << 9 << 3 << "Send_Screen=2"_ba;
}

void TestWindow::linkListsFollowAChange()
{
    QFETCH(int, button);
    QFETCH(int, list);
    QFETCH(QByteArray, line);
    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    QVERIFY(
        h->start("[Ports]\n1=" + screen.device().toUtf8() + "\n[About]\nSend_Screen=1\n", true));
    h->ui().ComboNo[list == 2 ? 7 : 10]->setCurrentIndex(2); // 38400, or screen 2
    h->click(button);
    QCOMPARE(h->ui().ComboNo[list]->currentIndex(), 2);
    QVERIFY(h->fileBytes().contains(line));
    QCOMPARE(h->boxes.boxes.size(), 1);
}

void TestWindow::languages_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("Traditional Chinese") << u"zh_TW"_s;
    QTest::newRow("English") << u"en_US"_s;
}

// Every control the operator can meet has a tooltip, and the program's own
// boxes speak, in the desktop's language: never an English sentence under a
// Chinese title. The tips start-up sets stay, and no caption changes.
void TestWindow::languages()
{
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    const QString missing = u"/dev/krntools-missing"_s;
    QVERIFY(h->start("[Ports]\n1=" + missing.toUtf8() + "\n[About]\nSend_Screen=1\n", true));
    const bool chinese = locale.startsWith(u"zh"_s);
    // Chinese beyond the captions a text quotes.
    auto isChinese = [](QString s) {
        s.remove(u"加载"_s).remove(u"更改"_s).remove(u"复位"_s).remove(u"串口"_s);
        return std::any_of(s.begin(), s.end(), [](QChar ch) { return ch.unicode() >= 0x2E80; });
    };
    for (const krn::ControlRow& row : krn::controlTable()) {
        auto* c = h->window->findChild<QWidget*>(QString::fromLatin1(row.control));
        if (c != h->ui().PicFont)
            QVERIFY2(c && !c->toolTip().isEmpty() && isChinese(c->toolTip()) == chinese,
                     row.control);
    }
    QCOMPARE(h->ui().CmdOk[8]->text(), u"复位"_s);
    h->click(8);
    QCOMPARE(h->boxes.boxes.size(), 1);
    const krn::test::RecordedBox& b = h->boxes.boxes[0];
    QVERIFY2(isChinese(b.title) == chinese && isChinese(b.body) == chinese &&
                 b.body.contains(missing) && b.icon == krn::MessageIcon::Exclamation,
             qPrintable(b.title + u'\n' + b.body));
}

// The operator's aids. The serial-port list names the device its item opens
// when the operator hovers over it (what the tip says of each kind of port:
// the port map's test). Hovering over the clock preview shows the glyph cells
// as the download would send them now (the English clock at 10.5 points,
// picked after start-up): every lit bit of the rasterised table, and nothing
// else, is red. Ctrl+L and the context menu open the one viewer on the
// traffic log (Ctrl+L in a real X server, on the log a reset wrote: the log
// viewer's end-to-end test).
void TestWindow::aids()
{
    h->system.devices = {{u"/dev/ttyACM0"_s, u"Arduino Uno"_s, {}, {}, {}},
                         {u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s, u"FTDI"_s, u"A50285BI"_s, {}}};
    QVERIFY(h->start("[About]\nSend_Com=1\nSend_TimeFont=宋体\nSend_TimeSize=12\n"));
    const QString portTip = hover(h->ui().ComboNo[1]);
    QVERIFY2(portTip.contains(u"串口2 opens /dev/ttyUSB0"_s), qPrintable(portTip));

    h->ui().ComboNo[8]->setCurrentIndex(1);
    h->window->ComboNo_Click(8);
    h->answer = [](QFont f) { return f.setPointSizeF(10.5), f; };
    h->click(6);
    const QString tip = hover(h->ui().LabTime);
    const QString marker = u"data:image/png;base64,"_s;
    const qsizetype at = tip.indexOf(marker);
    QVERIFY2(at > 0, qPrintable(tip.left(200)));
    const QImage shown = QImage::fromData(
        QByteArray::fromBase64(tip.mid(at + marker.size()).section(u'"', 0, 0).toLatin1()), "PNG");
    int red = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            red += shown.pixelColor(x, y) == QColor(255, 0, 0);
    QFont sent(u"Unifont"_s);
    sent.setPointSizeF(10.5);
    int lit = 0;
    for (const QChar c : krn::glyphs::glyphText(1))
        for (const char byte : krn::glyphs::rasterise(sent, c))
            lit += std::popcount(quint8(byte));
    QVERIFY(lit > 0);
    QCOMPARE(red, lit * 4); // each glyph pixel drawn 2 x 2

    QTest::keyClick(h->window.get(), Qt::Key_L, Qt::ControlModifier);
    krn::LogViewer* viewer = h->window->aids().logViewer();
    QVERIFY(viewer && viewer->isVisible());
    QStringList menu; // the window's context menu, the site window's item added
    for (const QAction* a : h->window->actions())
        menu << a->text() + u' ' + a->shortcut().toString();
    QCOMPARE(menu, (QStringList{u"Traffic log... Ctrl+L"_s, u"&Site... Ctrl+O"_s}));
    QCOMPARE(h->window->contextMenuPolicy(), Qt::ActionsContextMenu);
    h->window->aids().logAction()->trigger();
    QCOMPARE(h->window->aids().logViewer(), viewer); // raised, not a second one
}

namespace {

const QByteArray SiteHeader =
    "label,port,screen,speed,width,height,colour,scan,oe,byte-order,invert,wraps,wrap-mode\n";

// Each row's state, '|'-separated.
QString siteStates(const krn::SiteWindow& site)
{
    QStringList states;
    for (int row = 0; row < site.table().rowCount(); ++row)
        states << site.table().item(row, krn::SiteWindow::State)->text();
    return states.join(u'|');
}

} // namespace

// Rows name the lines ONE and TWO; `states`: each row's afterwards; `frames`:
// what each line heard.
void TestWindow::site_data()
{
    QTest::addColumn<QString>("first"); // the first line's controllers
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("password"); // typed when asked
    QTest::addColumn<QString>("states");   // empty: no window opens
    QTest::addColumn<QString>("frames");
    QTest::addColumn<QString>("box"); // part of the one box from the site; "" none
    const QByteArray rows = "Door,ONE,1,9600,128,16,dual,1/16,,,,,\n"
                            "Desk,ONE,2,9600,64,32,single,1/8,,,,,\n"
                            "Hall,TWO,7,19200,256,16,dual,static,,,,,\n";
    QByteArray hardware = rows;
    hardware.replace("1/16,,,,,", "1/16,1,0,1,4,2");
    auto row = [](const char* name, const char* first, const QByteArray& rows, const char* typed,
                  const char* states, const char* frames, const char* box = "") {
        QTest::newRow(name) << first << rows << typed << states << frames << box;
    };
    row("a silent screen", "1,2:silent", rows, "", "done|failed: panel: Send error! (time)|done",
        "2 1");
    row("hardware options", "1,2", hardware, "427163", "done|done|done", "3 1");
    row("wrong password", "1,2", hardware, "42716", "not done|not done|not done", "0 0",
        "The password is not correct");
    row("screen 300", "1,2", QByteArray(rows).replace(",7,", ",300,"), "", "", "0 0",
        "Row 4, column screen");
}

// Ctrl+O opens the site file; Apply selected with every row selected sends
// the rows of both lines, each at its speed and number, and each row shows
// how it went. While they are on the line the site window is the modal one:
// its buttons rest, the cursor is busy and a click on the main window's reset
// goes nowhere; the same click afterwards sends. The report holds every row.
void TestWindow::site()
{
    QFETCH(QString, first);
    QFETCH(QByteArray, rows);
    QFETCH(QString, password);
    QFETCH(QString, states);
    QFETCH(QString, frames);
    QFETCH(QString, box);
    krn::test::VScreenProcess one, two;
    QVERIFY2(one.start({u"--screen"_s, first}), qPrintable(one.errorText()));
    QVERIFY2(two.start({u"--screen"_s, u"7"_s, u"--speed"_s, u"19200"_s}),
             qPrintable(two.errorText()));
    rows.replace("ONE", one.device().toUtf8()).replace("TWO", two.device().toUtf8());
    h->typed = password;
    QVERIFY(h->start({}, true));
    krn::SiteWindow* site = h->openSite(SiteHeader + rows);
    QCOMPARE(site != nullptr, !states.isEmpty());
    const QPoint reset = h->ui().CmdOk[8]->mapTo(h->window.get(), QPoint(5, 5));
    QString during;
    if (site) {
        QVERIFY(QTest::qWaitForWindowActive(site));
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (!site->running() || !during.isEmpty())
                return;
            QTest::mouseClick(h->window->windowHandle(), Qt::LeftButton, {}, reset);
            during =
                text(QApplication::activeModalWidget() == site, site->applyButton().isEnabled(),
                     site->commissionButton().isEnabled(), site->reportButton().isEnabled(),
                     QApplication::overrideCursor() &&
                         QApplication::overrideCursor()->shape() == Qt::BusyCursor,
                     h->boxes.boxes.size());
        });
        watch.start(1);
        site->table().selectAll();
        QTest::mouseClick(&site->applyButton(), Qt::LeftButton);
        const QRegularExpression time(u"\\(\\d\\d:\\d\\d:\\d\\d\\)"_s);
        QCOMPARE(siteStates(*site).replace(time, u"(time)"_s), states);
    }
    QCOMPARE(during, frames == u"0 0" ? QString() : u"1 0 0 0 1 0"_s);
    QCOMPARE(h->boxes.boxes.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QVERIFY2(h->boxes.boxes[0].body.contains(box), qPrintable(h->boxes.boxes[0].body));
    // What each controller is sent: the site run's test; here that the rows
    // reached their lines, the password's hardware options too.
    const QString held = one.stop();
    QCOMPARE(text(one.logLines().size(), two.logLines().size()), frames);
    QCOMPARE(held.contains(u"[1] hardware options 01 00 01 04 02"_s), frames == u"3 1");

    QTest::mouseClick(h->window->windowHandle(), Qt::LeftButton, {}, reset);
    QCOMPARE(h->boxes.boxes.size(), box.isEmpty() ? 1 : 2); // port 1 names no device here
    if (!site || frames == u"0 0")
        return;
    QTest::mouseClick(&site->reportButton(), Qt::LeftButton);
    QFile report(h->dir.filePath(u"report.html"_s));
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(report.readAll());
    QVERIFY2(page.contains(u"<td>Hall</td>"_s), qPrintable(page));
    QCOMPARE(page.count(u"class=\"bad\""_s), states.count(u"failed"_s));
    QVERIFY(site->statusLabel().text().startsWith(u"The handover report is in"_s));
}

// A factory-fresh controller (screen 1 at 9600) alone on the line of the next
// row not done: the operator is asked for it by its label, and it takes the
// row's number and speed, then the row. The journal holds the row: the file
// opened again shows it done and asks for the next (the operator stops there).
void TestWindow::commission()
{
    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start({u"--screen"_s, u"1"_s, u"--speed"_s, u"9600"_s}),
             qPrintable(screen.errorText()));
    const QByteArray rows = "Door,DEV,5,19200,128,16,dual,1/16,,,,,\n"
                            "Hall,DEV,6,38400,,,,,,,,,\n";
    QVERIFY(h->start({}, true));
    krn::SiteWindow* site =
        h->openSite(SiteHeader + QByteArray(rows).replace("DEV", screen.device().toUtf8()));
    QVERIFY(site);
    QCOMPARE(site->table().item(0, krn::SiteWindow::Sends)->text() + u'|' +
                 site->table().item(1, krn::SiteWindow::Sends)->text(),
             u"128 x 16, dual, 1/16|nothing to send"_s);
    QTest::mouseClick(&site->commissionButton(), Qt::LeftButton);
    QCOMPARE(siteStates(*site), u"done|not done"_s);
    QFile journal(h->sitePath + u".journal"_s);
    QVERIFY(journal.open(QIODevice::ReadOnly));
    QVERIFY(journal.readAll().startsWith("2\tDoor\t"));

    site->close();
    h->connects = {krn::SiteQuestions::Connect::Stop};
    site = h->openSite(SiteHeader + QByteArray(rows).replace("DEV", screen.device().toUtf8()));
    QVERIFY(site);
    QCOMPARE(siteStates(*site), u"done|not done"_s);
    QTest::mouseClick(&site->commissionButton(), Qt::LeftButton);
    QCOMPARE(h->asked.size(), 2);
    QVERIFY2(h->asked[0].contains(u"\"Door\" (row 2)"_s) &&
                 h->asked[1].contains(u"\"Hall\" (row 3)"_s),
             qPrintable(h->asked.join(u'\n')));
    QVERIFY(h->boxes.boxes.isEmpty());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
