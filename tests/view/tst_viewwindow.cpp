// The operator's aids in the real window: the clock font kept as held and
// refused when too big, the busy state during a wait, tooltips in three
// languages, the log viewer's shortcut, the serial-port list's tooltip.

#include "commands/commander.h"
#include "commands/glyphs.h"
#include "core/programvalues.h"
#include "core/qteventpump.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/portpinning.h"
#include "link/qtserialport.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "strings/stringtable.h"
#include "strings/viewids.h"
#include "support/recordingboxes.h"
#include "support/vscreenprocess.h"
#include "window/fontchooser.h"
#include "window/krn_tools.h"
#include "window/logviewer.h"
#include "window/operatoraids.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <bit>

using namespace Qt::StringLiterals;

namespace {

struct FakeDevices : krn::SerialDevices {
    QList<krn::SerialDevice> list() const override { return devices; }
    QList<krn::SerialDevice> devices;
};

// The program's parts as main() wires them, with the system's serial devices
// and the traffic as a test sets them. Also the font chooser: it records what
// it is offered and answers with that font at `size` points (0: as offered).
struct Harness : krn::FontChooser, krn::EngineEvents {
    bool start(const QByteArray& ini, bool withCommander = false)
    {
        if (QFile f(file.path()); f.open(QIODevice::WriteOnly))
            f.write(ini);
        krn::WindowDeps deps{values, settings, boxes, *this, withCommander ? &commander : nullptr,
                             {}};
        deps.pins = &pins;
        deps.trafficLog = dir.filePath(u"traffic.log"_s);
        window = std::make_unique<krn::KRN_Tools>(deps);
        window->show();
        return QTest::qWaitForWindowActive(window.get());
    }
    const krn::Controls& ui() const { return window->controls(); }
    void click(int button) { QTest::mouseClick(ui().CmdOk[button], Qt::LeftButton); }
    QString fileText() const
    {
        QFile f(file.path());
        return f.open(QFile::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    std::optional<QFont> choose(const QFont& f) override
    {
        offered << f;
        QFont answer(f);
        if (size > 0)
            answer.setPointSizeF(size);
        return answer;
    }
    // What the window shows while each frame of a download is acknowledged.
    void progress(int done, int total) override
    {
        titles << u"%1/%2 %3"_s.arg(done).arg(total).arg(window->windowTitle());
    }

    double size = 0;
    QList<QFont> offered;
    QStringList titles;

    QTemporaryDir dir;
    krn::ProgramValues values;
    krn::ProfileFile file{dir.filePath(u"krntools.ini"_s)};
    krn::Settings settings{file};
    FakeDevices devices;
    krn::PortMap ports{&settings, &devices};
    krn::QtSerialPort port;
    krn::SteadyClock clock;
    krn::QtEventPump pump;
    krn::Link link{values.link, port, ports, clock, pump, this};
    krn::test::RecordingBoxes boxes;
    krn::Commander commander{link, settings, pump};
    krn::PortPinning pins{
        devices, [this](qint32 n) { return settings.portMapping(n); },
        [this](qint32 n, const QString& p) { return settings.setPortMapping(n, p); }};
    std::unique_ptr<krn::KRN_Tools> window;
};

} // namespace

class TestViewWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(u"en_US"_s)), h = std::make_unique<Harness>(); }
    void clockFont_data();
    void clockFont();
    void busyDuringWait();
    void downloadProgress_data();
    void downloadProgress();
    void pinning_data();
    void pinning();
    void tips_data();
    void tips();
    void logShortcut();
    void portTip();
    void clockTip_data();
    void clockTip();

private:
    std::unique_ptr<Harness> h;
};

// The operator opens the chooser on a stored font, answers with a size, then
// downloads the clock: what the program holds and what the file keeps.
void TestViewWindow::clockFont_data()
{
    QTest::addColumn<double>("size");    // 0: confirmed unchanged
    QTest::addColumn<QString>("held");   // ClockFontName ClockFontSize afterwards
    QTest::addColumn<QString>("drawn");  // the glyph canvas's face and size
    QTest::addColumn<QString>("box");    // part of the one box before the download; "" none
    QTest::addColumn<QString>("stored"); // Send_TimeFont, Send_TimeSize after the download

    QTest::newRow("stored 宋体 12, confirmed unchanged")
        << 0.0 << u"宋体 12"_s << u"Unifont 12"_s << "" << u"Send_TimeFont=宋体 Send_TimeSize=12"_s;
    QTest::newRow("10.5 gives 10") << 10.5 << u"宋体 10"_s << u"Unifont 10.5"_s << ""
                                   << u"Send_TimeFont=宋体 Send_TimeSize=10"_s;
    QTest::newRow("20 overflows the cells: refused, nothing stored")
        << 20.0 << u"宋体 12"_s << u"Unifont 12"_s << "At 20 points \"0\" is 12 pixels wide"
        << u"Send_TimeFont=宋体 Send_TimeSize=12"_s;
}

void TestViewWindow::clockFont()
{
    QFETCH(double, size);
    QFETCH(QString, held);
    QFETCH(QString, drawn);
    QFETCH(QString, box);
    QFETCH(QString, stored);

    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    QVERIFY(h->start("[Ports]\n1=" + screen.device().toUtf8() +
                         "\n[About]\nSend_Screen=1\nSend_TimeFont=宋体\nSend_TimeSize=12\n",
                     true));
    h->size = size;
    h->click(6);
    QCOMPARE(h->offered.value(0).family(), u"宋体"_s); // offered as held
    QCOMPARE(h->offered.value(0).pointSizeF(), 12.0);
    QCOMPARE(u"%1 %2"_s.arg(h->values.ClockFontName).arg(h->values.ClockFontSize), held);
    const QFont canvas = h->window->clockFont();
    QCOMPARE(u"%1 %2"_s.arg(canvas.family()).arg(canvas.pointSizeF()), drawn);
    QCOMPARE(h->boxes.boxes.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QVERIFY2(h->boxes.boxes.at(0).body.contains(box), qPrintable(h->boxes.boxes.at(0).body));
    QVERIFY(!h->fileText().contains(u"Send_TimeSize=20"_s));

    h->boxes.boxes.clear();
    h->click(4);
    QCOMPARE(h->boxes.boxes.value(0).body, u"Set parameter ok!"_s);
    const QString file = h->fileText();
    for (const QString& line : stored.split(u' '))
        QVERIFY2(file.contains(line), qPrintable(file));
}

// A reset against a screen that never answers: for the 3 s of the wait the
// command buttons rest and the cursor is busy; then everything is as before.
// The frame went out on the system's first device: port 1 is pinned to it.
void TestViewWindow::busyDuringWait()
{
    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start({u"--mode"_s, u"silent"_s}), qPrintable(screen.errorText()));
    h->devices.devices = {{screen.device(), {}, {}, {}, {}}};
    QVERIFY(h->start("[About]\nSend_Screen=1\n", true));
    const QString title = h->window->windowTitle();
    QList<bool> before, during, after;
    for (QPushButton* b : h->ui().CmdOk)
        before << b->isEnabled();
    bool cursorBusy = false;
    QTimer::singleShot(1000, [&] {
        for (QPushButton* b : h->ui().CmdOk)
            during << b->isEnabled();
        cursorBusy = QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        h->click(2); // ignored: disabled
    });
    QElapsedTimer clock;
    clock.start();
    h->click(8);
    QVERIFY(clock.elapsed() >= 2900);
    for (QPushButton* b : h->ui().CmdOk)
        after << b->isEnabled();
    QCOMPARE(during, QList<bool>(10, false));
    QVERIFY(cursorBusy);
    QCOMPARE(after, before);
    QVERIFY(!before.contains(false));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(h->window->windowTitle(), title);
    QCOMPARE(h->window->AdvancedPanelShown(), 0);
    QCOMPARE(h->boxes.boxes.size(), 1); // the written no-answer box
    QCOMPARE(h->settings.portMapping(1), screen.device());
}

void TestViewWindow::downloadProgress_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("Chinese clock") << 0;
    QTest::newRow("English clock") << 1;
}

// Every acknowledged frame of a clock download shows as "frame k of n" in the
// title bar, and the title is the window's own again afterwards.
void TestViewWindow::downloadProgress()
{
    QFETCH(int, language);
    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    QVERIFY(
        h->start("[Ports]\n1=" + screen.device().toUtf8() + "\n[About]\nSend_Screen=1\n", true));
    const QString title = h->window->windowTitle();
    h->ui().ComboNo[8]->setCurrentIndex(language);
    h->window->ComboNo_Click(8);
    h->click(4);
    QCOMPARE(h->boxes.boxes.value(0).body, u"Set parameter ok!"_s);

    qsizetype bytes = 0;
    for (const QChar c : krn::glyphs::glyphText(language))
        bytes += krn::glyphs::isWide(c) ? krn::glyphs::WideBytes : krn::glyphs::NarrowBytes;
    const int n = int((bytes + 31) / 32);
    QStringList expected;
    for (int k = 1; k <= n; ++k)
        expected << u"%1/%2 %3 - Downloading the clock: frame %1 of %2"_s.arg(k).arg(n).arg(title);
    QCOMPARE(h->titles, expected);
    QCOMPARE(h->window->windowTitle(), title);
}

void TestViewWindow::pinning_data()
{
    QTest::addColumn<bool>("plugged");   // the screen's adapter is in the system's list
    QTest::addColumn<QString>("pinned"); // [Ports] 1= after the first reset ("" none)
    QTest::addColumn<QString>("second"); // the second reset's box

    QTest::newRow("used, then another adapter sorts first")
        << true << u"by-id/usb-vscreen-if00"_s << u"Set parameter ok!"_s;
    QTest::newRow("nothing went out: nothing pinned") << false << QString() << QString();
}

// Two starts: the first reset goes out on the system's first device; before
// the second, an adapter that sorts first is plugged in. The pinned number
// still reaches the screen.
void TestViewWindow::pinning()
{
    QFETCH(bool, plugged);
    QFETCH(QString, pinned);
    QFETCH(QString, second);
    krn::test::VScreenProcess screen;
    QVERIFY2(screen.start(), qPrintable(screen.errorText()));
    const QString byId = h->dir.filePath(u"by-id/usb-vscreen-if00"_s);
    QVERIFY(QDir().mkpath(h->dir.filePath(u"by-id"_s)) && QFile::link(screen.device(), byId));
    const krn::SerialDevice adapter{screen.device(), u"vscreen"_s, {}, {}, byId};
    const krn::SerialDevice other{h->dir.filePath(u"ttyACM0"_s), u"other"_s, {}, {}, {}};
    if (plugged)
        h->devices.devices = {adapter};
    QVERIFY(h->start("[About]\nSend_Screen=1\n", true));
    h->click(8);
    QCOMPARE(h->settings.portMapping(1), pinned.isEmpty() ? QString() : h->dir.filePath(pinned));

    h->window.reset();
    h->boxes.boxes.clear();
    h->devices.devices = {other, adapter};
    QVERIFY(h->start(h->fileText().toUtf8(), true));
    if (second.isEmpty())
        return;
    h->click(8);
    QCOMPARE(h->boxes.boxes.value(0).body, second);
    QVERIFY(screen.waitForLines(2)); // both resets reached the one screen
}

void TestViewWindow::tips_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("reset"); // the reset button's tooltip
    QTest::newRow("Simplified Chinese") << u"zh_CN"_s << u"复位所选屏号的显示屏（命令 10）。"_s;
    QTest::newRow("Traditional Chinese") << u"zh_HK"_s << u"復位所選屏號的顯示屏（命令 10）。"_s;
    QTest::newRow("English") << u"en_GB"_s << u"Reset the addressed screen (command 10)."_s;
}

// Every control the operator can meet has a tooltip in the desktop's language;
// the two written ones keep their texts, and no caption changes.
void TestViewWindow::tips()
{
    QFETCH(QString, locale);
    QFETCH(QString, reset);
    QLocale::setDefault(QLocale(locale));
    QVERIFY(h->start({}));
    const krn::Controls& ui = h->ui();
    int tipped = 0;
    for (const krn::ControlRow& row : krn::controlTable()) {
        auto* c = h->window->findChild<QWidget*>(QString::fromLatin1(row.control));
        QVERIFY2(c, row.control);
        if (c == ui.PicFont)
            continue;
        const QString tip = c->toolTip();
        QVERIFY2(!tip.isEmpty(), row.control);
        // Chinese beyond the captions it quotes only on a Chinese desktop.
        QString words = tip;
        words.remove(u"加载"_s).remove(u"更改"_s).remove(u"复位"_s).remove(u"串口"_s);
        const bool chinese = std::any_of(words.begin(), words.end(),
                                         [](QChar ch) { return ch.unicode() >= 0x2E80; });
        QVERIFY2(chinese == !locale.startsWith(u"en"_s), qPrintable(tip));
        ++tipped;
    }
    QCOMPARE(tipped, 49);
    QCOMPARE(ui.CmdOk[8]->toolTip(), reset);
    QCOMPARE(ui.CmdOk[8]->text(), u"复位"_s);
    QCOMPARE(ui.ComboNo[8]->toolTip(), krn::strings::load(krn::strings::ClockVersionTip));
    QCOMPARE(ui.CmdOk[6]->toolTip(), krn::strings::load(krn::strings::SetFontTip));
}

// Ctrl+L and the context menu open the one viewer on the traffic log; the
// window itself does not change.
void TestViewWindow::logShortcut()
{
    QVERIFY(h->start({}));
    QList<QRect> places;
    for (QWidget* w : h->window->findChildren<QWidget*>())
        places << w->geometry();
    QTest::keyClick(h->window.get(), Qt::Key_L, Qt::ControlModifier);
    krn::LogViewer* viewer = h->window->aids().logViewer();
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(viewer->path(), h->dir.filePath(u"traffic.log"_s));
    QVERIFY(h->window->actions().contains(h->window->aids().logAction()));
    QCOMPARE(h->window->contextMenuPolicy(), Qt::ActionsContextMenu);
    h->window->aids().logAction()->trigger();
    QCOMPARE(h->window->aids().logViewer(), viewer); // raised, not a second one
    QList<QRect> now;
    for (QWidget* w : h->window->findChildren<QWidget*>())
        now << w->geometry();
    QCOMPARE(now, places);
    QCOMPARE(h->window->size(), QSize(627, 312));
}

// The serial-port list names the device its item opens, as the system
// describes it, when the operator hovers over it.
void TestViewWindow::portTip()
{
    h->devices.devices = {
        {u"/dev/ttyACM0"_s, u"Arduino Uno"_s, u"Arduino (www.arduino.cc)"_s, u"7503130323"_s, {}},
        {u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s, u"FTDI"_s, u"A50285BI"_s,
         u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s}};
    QVERIFY(h->start("[About]\nSend_Com=1\n"));
    QComboBox* list = h->ui().ComboNo[1];
    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), list->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(list, &hover);
    const QString tip = list->toolTip();
    for (const QString& part :
         {u"串口2 opens /dev/ttyUSB0"_s, u"Device: FT232R USB UART"_s, u"Maker: FTDI"_s,
          u"Serial number: A50285BI"_s, u"Once a command has gone out"_s})
        QVERIFY2(tip.contains(part), qPrintable(tip));
}

void TestViewWindow::clockTip_data()
{
    QTest::addColumn<double>("size"); // chosen before hovering; 0: as stored
    QTest::addColumn<int>("language");
    QTest::newRow("stored 宋体 12, Chinese clock") << 0.0 << 0;
    QTest::newRow("10.5 chosen, English clock") << 10.5 << 1;
}

// Hovering over the clock preview shows the glyph cells as the download would
// send them: every lit bit of the rasterised table, and nothing else, is red.
void TestViewWindow::clockTip()
{
    QFETCH(double, size);
    QFETCH(int, language);
    QVERIFY(h->start("[About]\nSend_TimeFont=宋体\nSend_TimeSize=12\n"));
    h->ui().ComboNo[8]->setCurrentIndex(language);
    h->window->ComboNo_Click(8);
    if (size > 0) {
        h->size = size;
        h->click(6);
    }
    QLabel* preview = h->ui().LabTime;
    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), preview->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(preview, &hover);
    const QString tip = preview->toolTip();
    const QString marker = u"data:image/png;base64,"_s;
    const qsizetype at = tip.indexOf(marker);
    QVERIFY2(at > 0, qPrintable(tip.left(200)));
    const QByteArray png =
        QByteArray::fromBase64(tip.mid(at + marker.size()).section(u'"', 0, 0).toLatin1());
    const QImage shown = QImage::fromData(png, "PNG");
    QVERIFY(!shown.isNull());
    int red = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            red += shown.pixelColor(x, y) == QColor(255, 0, 0);

    QFont sent(u"Unifont"_s);
    sent.setPointSizeF(size > 0 ? size : 12);
    int lit = 0;
    for (const QChar c : krn::glyphs::glyphText(language))
        for (const char byte : krn::glyphs::rasterise(sent, c))
            lit += std::popcount(quint8(byte));
    QVERIFY(lit > 0);
    QCOMPARE(red, lit * 4); // each glyph pixel drawn 2 x 2
}

QTEST_MAIN(TestViewWindow)
#include "tst_viewwindow.moc"
