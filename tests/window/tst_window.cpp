// The real KRN_Tools window on a private settings file, boxes recorded, clock fixed.

#include "commands/commander.h"
#include "support/linkrig.h"
#include "support/recordingboxes.h"
#include "support/vscreenprocess.h"
#include "window/fontchooser.h"
#include "window/krn_tools.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

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

// Also the font dialog: it records what it offers and chooses `answer` (none: Cancel).
struct Harness : krn::test::LinkRig, krn::FontChooser {
    // With no settings file for a null `ini`; true once the window is active.
    bool start(const QByteArray& ini = {}, bool withCommander = false)
    {
        if (QFile file(settings.path()); !ini.isNull() && file.open(QIODevice::WriteOnly))
            file.write(ini);
        window = std::make_unique<krn::KRN_Tools>(
            krn::WindowDeps{values, settings, boxes, *this, withCommander ? &commander : nullptr,
                            [this] { return now; }});
        window->show();
        return QTest::qWaitForWindowActive(window.get());
    }
    const krn::Controls& ui() const { return window->controls(); }
    void click(int button) { QTest::mouseClick(ui().CmdOk[button], Qt::LeftButton); }
    QByteArray file() const
    {
        QFile f(settings.path());
        return f.open(QFile::ReadOnly) ? f.readAll() : "";
    }

    std::optional<QFont> choose(const QFont& f) override { return offered << f, answer; }

    QDateTime now{QDate(2008, 1, 1), QTime(1, 2, 3)};
    std::optional<QFont> answer;
    QList<QFont> offered;
    krn::test::RecordingBoxes boxes;
    krn::Commander commander{link, settings, pump};
    std::unique_ptr<krn::KRN_Tools> window;
};

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(u"en_US"_s)), h = std::make_unique<Harness>(); }
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
    void clicksWaitForRunningCommand();
    void linkListsFollowAChange_data();
    void linkListsFollowAChange();
    void boxesSpeakTheDesktopsLanguage_data();
    void boxesSpeakTheDesktopsLanguage();

private:
    std::unique_ptr<Harness> h; // a fresh one for every test and row
};

// Every control of the table is built in its container, at its place, with its
// kind, caption and starting state; only the glyph canvas lies outside the window.
void TestWindow::controls()
{
    QVERIFY(h->start());
    const QSet<QString> replaced{u"FramePass"_s, u"FrameNo(3)"_s, u"CmdOk(4)"_s, u"LabTime"_s};
    for (const krn::ControlRow& r : krn::controlTable()) {
        auto* c = h->window->findChild<QWidget*>(QString::fromLatin1(r.control));
        QVERIFY2(c, r.control);
        const QWidget* in = c->parentWidget();
        const QRect g = c->geometry();
        QCOMPARE(
            text(in == h->window.get() ? u"window"_s : in->objectName(), g.x(), g.y(), g.width(),
                 g.height(), c->isHidden(), c->isEnabled(), c->property("editable").toBool(),
                 c->property("echoMode").toInt() == QLineEdit::Password, in->rect().contains(g)),
            text(r.container, r.left / 15, r.top / 15, r.width / 15, r.height / 15,
                 r.start == krn::Start::Hidden, r.start != krn::Start::Disabled,
                 r.kind == krn::Kind::EditableList, r.kind == krn::Kind::PasswordBox,
                 r.control != "PicFont"sv));
        const QVariant caption = c->property(c->inherits("QGroupBox") ? "title" : "text");
        QVERIFY2(!caption.isValid() || replaced.contains(c->objectName()) ||
                     caption.toString() == QString::fromUtf16(r.caption),
                 r.control);
    }
    QCOMPARE(krn::controlTable().size(), 50u);
    QCOMPARE(h->window->windowTitle(), u"duzov V2.1 --- 15.通用显示屏"_s);
    QVERIFY(h->window->size() == QSize(627, 312) && h->window->maximumSize() == QSize(627, 312));
    QCOMPARE(h->window->timer().interval(), 1000); // and it runs from the start:
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
    row("screen 300", "Send_Screen=300", "0 0 0 - - ComboNo ComboNo 0 - - - - - - - - 0", "300");
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
    QVERIFY(h->values.UiReady && (!words.isEmpty() || h->window->clockFont() == drawn));
    QCOMPARE(h->values.ClockFontSize, qint16(drawn.pointSizeF())); // what a download would store
    QCOMPARE(QFile::exists(h->settings.path()), !ini.isNull());
    QCOMPARE(h->file(), ini);
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
    QTest::newRow("OE active high") << "ComboNoNo(0)" << 1 << u"Set_No0=1"_s;
    QTest::newRow("wiring mode 9") << "ComboNoNo(4)" << 8 << u"Set_No4=8"_s;
    // Only sent by CmdOk(3) and CmdOk(9), or remembered by a download.
    QTest::newRow("new speed") << "ComboNo(7)" << 3 << QString();
    QTest::newRow("new screen") << "ComboNo(10)" << 7 << QString();
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
    QCOMPARE(h->file(), written.isEmpty() ? QByteArray() : "[About]\n" + written.toUtf8() + '\n');
    QCOMPARE(h->values.ClockLanguage, h->ui().ComboNo[8]->currentIndex());
    QVERIFY(h->boxes.boxes.isEmpty());
}

// Every keystroke in the width and height boxes is written; Enter takes the
// text as it stands and adds no item.
void TestWindow::typing()
{
    for (int list : {5, 6}) {
        h = std::make_unique<Harness>();
        QVERIFY(h->start());
        QLineEdit* box = h->ui().ComboNo[list]->lineEdit();
        QString seen;
        for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_2,
                          Qt::Key_5, Qt::Key_6, Qt::Key_Backspace, Qt::Key_Backspace,
                          Qt::Key_Backspace, Qt::Key_W, Qt::Key_Return})
            QTest::keyClick(box, k), seen += h->file().mid(8).replace('\n', ' ');
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
    const QDateTime tue(QDate(2008, 1, 1), QTime(1, 2, 3)), sun(QDate(2008, 1, 6), QTime(12, 0));
    const QLocale s(u"zh_CN"_s), t(u"zh_TW"_s), e(u"en_US"_s);
    QTest::newRow("Tue S") << tue << s << u" 08-01-01 星期二 01:02:03| 08-01-01  周二   01:02:03"_s;
    QTest::newRow("Tue T") << tue << t << u" 08-01-01 星期二 01:02:03| 08-01-01  週二   01:02:03"_s;
    QTest::newRow("Tue E") << tue << e << u" 08-01-01 Week 2 01:02:03| 08-01-01  Tue   01:02:03"_s;
    QTest::newRow("Sun S") << sun << s << u" 08-01-06 星期日 12:00:00| 08-01-06  周日   12:00:00"_s;
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
    QTest::newRow("blank before") << "t| 427163|o" << u"1 1 0"_s;
    QTest::newRow("blank after") << "t|427163 |e" << u"1 1 0"_s;
    QTest::newRow("toggle when unlocked") << "t|427163|o|t" << u"0 0 0 427163"_s;
    QTest::newRow("reopened asks") << "t|427163|o|t|t" << u"1 1 0 427163"_s;
    QTest::newRow("reopened, ok") << "t|427163|o|t|t|o" << u"1 0 1 427163"_s;
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
    QTest::addColumn<int>("size");      // ClockFontSize; ClockFontName takes the face
    QTest::addColumn<QString>("drawn"); // face, size, bold, italic, underline of both displays
    auto font = [](const char* face, double points, bool d = false) {
        QFont f(QString::fromUtf8(face));
        f.setPointSizeF(points), f.setBold(d), f.setItalic(d), f.setUnderline(d);
        return f;
    };
    QTest::newRow("10.5") << font("DejaVu Sans", 10.5) << 10 << u"DejaVu Sans 10.5 0 0 0"_s;
    QTest::newRow("11.5") << font("Unifont", 11.5) << 12 << u"Unifont 11.5 0 0 0"_s;
    QTest::newRow("decorated") << font("DejaVu Serif", 9, true) << 9 << u"DejaVu Serif 9 1 1 1"_s;
    QTest::newRow("face missing") << font("宋体", 13) << 13 << u"Unifont 13 0 0 0"_s;
    QTest::newRow("cancel") << QFont() << 12 << u"Unifont 12 0 0 0"_s;
}

// Both clock displays take the choice (in a face the system has); the dialog
// offers it next time as chosen, a missing face too; it is kept only by a
// download.
void TestWindow::font()
{
    QFETCH(QFont, chosen);
    QFETCH(int, size);
    QFETCH(QString, drawn);
    QVERIFY(h->start());
    h->answer = chosen == QFont() ? std::nullopt : std::optional(chosen);
    h->click(6);
    h->answer.reset();
    h->click(6);
    QStringList fonts;
    for (const QFont& f : {h->ui().LabTime->font(), h->window->clockFont(), h->offered.value(0),
                           h->offered.value(1)})
        fonts << text(f.family(), f.pointSizeF(), f.bold(), f.italic(), f.underline());
    const QFont held = chosen == QFont() ? QFont(u"Arial"_s, 12) : chosen;
    QCOMPARE(fonts, (QStringList{drawn, drawn, u"Arial 12 0 0 0"_s,
                                 text(held.family(), held.pointSizeF(), held.bold(), held.italic(),
                                      held.underline())}));
    QCOMPARE(text(h->values.ClockFontName, h->values.ClockFontSize),
             text(chosen == QFont() ? u"Arial"_s : chosen.family(), size));
    QVERIFY(h->offered.size() == 2 && h->boxes.boxes.isEmpty() &&
            !QFile::exists(h->settings.path()));
}

// Nothing a button does may start inside a command's wait; afterwards they work.
void TestWindow::clicksWaitForRunningCommand()
{
    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    QVERIFY(h->start("[Ports]\n1=" + screen.device().toUtf8() + "\n[About]\nSend_Screen=1", true));
    h->answer = QFont(u"DejaVu Sans"_s, 20);
    bool ran = false;
    QTimer::singleShot(
        0, [&] { ran = h->commander.running(), h->click(2), h->click(6), h->click(8); });
    h->click(8);
    QVERIFY(ran && h->window->AdvancedPanelShown() == 0 && h->offered.isEmpty());
    QCOMPARE(text(h->boxes.boxes.size(), h->boxes.boxes.value(0).body), u"1 Set parameter ok!"_s);
    h->click(2);
    QCOMPARE(h->window->AdvancedPanelShown(), 1);
}

// A screen that took a new speed or number is addressed by it from then on;
// one that did not answer keeps the lists and the file as they were.
void TestWindow::linkListsFollowAChange_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("newList");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("delivered");
    QTest::newRow("speed, delivered") << "ack" << 3 << 2 << 7 << "Send_Port=38400"_ba << true;
    QTest::newRow("speed, no answer") << "silent" << 3 << 2 << 7 << "Send_Port=38400"_ba << false;
    QTest::newRow("screen, delivered") << "ack" << 9 << 3 << 10 << "Send_Screen=2"_ba << true;
    QTest::newRow("screen, no answer") << "silent" << 9 << 3 << 10 << "Send_Screen=2"_ba << false;
}

void TestWindow::linkListsFollowAChange()
{
    QFETCH(QString, mode);
    QFETCH(int, button);
    QFETCH(int, list);
    QFETCH(int, newList);
    QFETCH(QByteArray, line);
    QFETCH(bool, delivered);
    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start({u"--mode"_s, mode}), qPrintable(screen.errorText()));
    QVERIFY(
        h->start("[Ports]\n1=" + screen.device().toUtf8() + "\n[About]\nSend_Screen=1\n", true));
    const int before = h->ui().ComboNo[list]->currentIndex();
    h->ui().ComboNo[newList]->setCurrentIndex(2); // 38400, or screen 2
    h->click(button);
    QCOMPARE(h->ui().ComboNo[list]->currentIndex(), delivered ? 2 : before);
    QCOMPARE(h->file().contains(line), delivered);
    QCOMPARE(h->boxes.boxes.size(), 1);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"

// The program's own messages follow the desktop's language like the written
// ones: a Chinese operator never reads an English sentence under a Chinese title.
void TestWindow::boxesSpeakTheDesktopsLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("body");
    const QString device = u"/dev/krntools-missing"_s;
    QTest::newRow("zh_CN") << u"zh_CN"_s << u"出错提示"_s
                           << u"串口 %1 不存在。请检查转换器是否插好，以及是否选对了串口。"_s.arg(
                                  device);
    QTest::newRow("zh_TW") << u"zh_TW"_s << u"出錯提示"_s
                           << u"串口 %1 不存在。請檢查轉換器是否插好，以及是否選對了串口。"_s.arg(
                                  device);
    QTest::newRow("en_US") << u"en_US"_s << u"Error prompt"_s
                           << u"The serial port %1 does not exist. Check that the adapter is "
                              "plugged in and that the right port is chosen."_s.arg(device);
}

void TestWindow::boxesSpeakTheDesktopsLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, title);
    QFETCH(QString, body);
    QLocale::setDefault(QLocale(locale));
    QVERIFY(h->start("[Ports]\n1=/dev/krntools-missing\n[About]\nSend_Screen=1\n", true));
    h->click(8);
    QCOMPARE(h->boxes.boxes.size(), 1);
    QCOMPARE(h->boxes.boxes[0].title, title);
    QCOMPARE(h->boxes.boxes[0].body, body);
    QCOMPARE(h->boxes.boxes[0].icon, krn::MessageIcon::Exclamation);
}
