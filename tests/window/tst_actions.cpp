#include "window/clockfont.h"
#include "windowharness.h"

#include "commands/commander.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/serialport.h"

namespace {

// A controller that acknowledges every frame, or none.
class AnsweringPort : public krn::SerialPort {
public:
    bool isOpen() const override { return m_open; }
    void configure(const QString&, const krn::LineSettings&) override {}
    void open() override { m_open = true; }
    void close() override { m_open = false; }
    qint64 bytesWaiting() override { return m_input.size(); }
    void discardInput() override { m_input.clear(); }
    QByteArray readAll() override { return std::exchange(m_input, QByteArray()); }
    void write(const QByteArray& bytes) override
    {
        wire << bytes;
        if (answers)
            m_input += char(0x06);
    }
    QString takeFault() override { return {}; }

    bool answers = true;
    QList<QByteArray> wire;

private:
    bool m_open = false;
    QByteArray m_input;
};

// Time passes only when the link sleeps; `during` runs once inside the first
// wait, while the command is on the wire.
class SteppedTime : public krn::MsClock, public krn::EventPump {
public:
    quint32 nowMs() override { return m_now; }
    void processPending() override
    {
        if (during)
            std::exchange(during, {})();
    }
    void waitForEvents(std::chrono::milliseconds maxWait) override
    {
        m_now += quint32(maxWait.count());
    }
    std::function<void()> during;

private:
    quint32 m_now = 0;
};

// The window wired to a commander over a scripted port mapped as port 1.
struct CommandRig {
    explicit CommandRig(const QByteArray& about)
        : h("[Ports]\n1=/dev/scripted\n[About]\n" + about), ports(&h.settings),
          link(h.values.link, port, ports, h.boxes, time, time),
          commander(h.values, link, h.settings, h.boxes, time)
    {
        h.start(&commander);
    }
    WindowHarness h;
    krn::PortMap ports;
    AnsweringPort port;
    SteppedTime time;
    krn::Link link;
    krn::Commander commander;
};

} // namespace

class TestActions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void accessGate_data();
    void accessGate();
    void fontChoice_data();
    void fontChoice();
    void fontChoiceCancelled();
    void linkListsFollowTheScreen_data();
    void linkListsFollowTheScreen();
    void buttonsWaitForRunningCommand();
};

void TestActions::accessGate_data()
{
    QTest::addColumn<QString>("actions"); // toggle | type:<text> | enter | ok
    // panel flag, password frame shown, hardware frame shown, the box's text
    QTest::addColumn<QString>("after");
    QTest::newRow("first toggle asks") << "toggle"
                                       << "1 asking";
    QTest::newRow("second toggle closes") << "toggle|toggle"
                                          << "0 closed";
    QTest::newRow("password and Enter") << "toggle|type:427163|enter"
                                        << "1 unlocked 427163";
    QTest::newRow("wrong password") << "toggle|type:12345|enter"
                                    << "1 asking";
    QTest::newRow("blank before") << "toggle|type: 427163|ok"
                                  << "1 asking";
    QTest::newRow("blank after") << "toggle|type:427163 |enter"
                                 << "1 asking";
    QTest::newRow("toggle while unlocked") << "toggle|type:427163|ok|toggle"
                                           << "0 closed 427163";
    QTest::newRow("reopened with the last entry") << "toggle|type:427163|enter|toggle|toggle"
                                                  << "1 asking 427163";
    QTest::newRow("reopened and confirmed at once") << "toggle|type:427163|enter|toggle|toggle|ok"
                                                    << "1 unlocked 427163";
}

void TestActions::accessGate()
{
    QFETCH(QString, actions);
    QFETCH(QString, after);
    WindowHarness h;
    krn::KRN_Tools& w = h.start();
    QVERIFY(h.show());
    const krn::Controls& ui = h.ui();
    for (const QString& action : actions.split(u'|')) {
        if (action == u"toggle")
            QTest::mouseClick(ui.CmdOk[2], Qt::LeftButton);
        else if (action == u"ok")
            QTest::mouseClick(ui.CmdOk[0], Qt::LeftButton);
        else if (action == u"enter")
            QTest::keyClick(ui.TextPass, Qt::Key_Enter);
        else
            QTest::keyClicks(ui.TextPass, action.mid(5));
    }
    const bool asking = ui.FramePass->isVisible();
    const bool unlocked = ui.FrameNo[4]->isVisible();
    QVERIFY(!(asking && unlocked));
    const QString state = asking ? u"asking"_s : unlocked ? u"unlocked"_s : u"closed"_s;
    QCOMPARE(u"%1 %2 %3"_s.arg(w.AdvancedPanelShown()).arg(state, ui.TextPass->text()).trimmed(),
             after);
    if (asking)
        QCOMPARE(QApplication::focusWidget(), ui.TextPass);
    QVERIFY(h.boxes.boxes.isEmpty());
}

void TestActions::fontChoice_data()
{
    QTest::addColumn<QFont>("chosen");
    QTest::addColumn<int>("storedSize");    // ClockFontSize
    QTest::addColumn<QString>("drawnFace"); // what the clock displays use
    auto font = [](const QString& face, double points, bool bold, bool italic, bool underline) {
        QFont f(face);
        f.setPointSizeF(points);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        return f;
    };
    QTest::newRow("10.5 rounds down")
        << font(u"DejaVu Sans"_s, 10.5, false, false, false) << 10 << "DejaVu Sans";
    QTest::newRow("11.5 rounds up")
        << font(u"DejaVu Sans"_s, 11.5, false, false, false) << 12 << "DejaVu Sans";
    QTest::newRow("bold italic underlined")
        << font(u"DejaVu Serif"_s, 9, true, true, true) << 9 << "DejaVu Serif";
    QTest::newRow("face missing here")
        << font(u"宋体"_s, 16, true, false, false) << 16 << "Unifont";
}

void TestActions::fontChoice()
{
    QFETCH(QFont, chosen);
    QFETCH(int, storedSize);
    QFETCH(QString, drawnFace);
    WindowHarness h;
    krn::KRN_Tools& w = h.start();
    QVERIFY(h.show());
    h.chooser.answer = chosen;
    QTest::mouseClick(h.ui().CmdOk[6], Qt::LeftButton);

    // The dialog opened with the clock font as it is drawn.
    QCOMPARE(h.chooser.offered.size(), 1);
    QCOMPARE(h.chooser.offered[0].family(), u"Unifont"_s);
    QCOMPARE(h.chooser.offered[0].pointSizeF(), 12.0);

    QCOMPARE(h.values.ClockFontName, chosen.family());
    QCOMPARE(int(h.values.ClockFontSize), storedSize);
    for (QWidget* display : {static_cast<QWidget*>(h.ui().LabTime), h.ui().PicFont}) {
        const QFont f = display->font();
        QCOMPARE(f.family(), drawnFace);
        QCOMPARE(f.pointSizeF(), chosen.pointSizeF());
        QCOMPARE(f.bold(), chosen.bold());
        QCOMPARE(f.italic(), chosen.italic());
        QCOMPARE(f.underline(), chosen.underline());
    }
    QCOMPARE(w.clockFont(), h.ui().PicFont->font());
    QVERIFY(h.boxes.boxes.isEmpty());
    QVERIFY(!QFile::exists(h.path)); // kept only by a successful download

    // The next opening starts from this choice.
    h.chooser.answer.reset();
    QTest::mouseClick(h.ui().CmdOk[6], Qt::LeftButton);
    QCOMPARE(h.chooser.offered.value(1), krn::resolvedClockFont(chosen));
}

void TestActions::fontChoiceCancelled()
{
    WindowHarness h("[About]\nSend_TimeFont=DejaVu Sans\nSend_TimeSize=14\n");
    h.start();
    QVERIFY(h.show());
    const QFont label = h.ui().LabTime->font();
    const QFont canvas = h.ui().PicFont->font();
    QTest::mouseClick(h.ui().CmdOk[6], Qt::LeftButton);
    QTest::mouseClick(h.ui().CmdOk[6], Qt::LeftButton);

    QCOMPARE(h.chooser.offered.size(), 2);
    QCOMPARE(h.chooser.offered[1], h.chooser.offered[0]);
    QCOMPARE(h.chooser.offered[0].family(), u"DejaVu Sans"_s);
    QCOMPARE(h.ui().LabTime->font(), label);
    QCOMPARE(h.ui().PicFont->font(), canvas);
    QCOMPARE(h.values.ClockFontName, u"DejaVu Sans"_s);
    QCOMPARE(int(h.values.ClockFontSize), 14);
    QVERIFY(h.boxes.boxes.isEmpty());
}

void TestActions::linkListsFollowTheScreen_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("newList");
    QTest::addColumn<int>("linkList");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("after"); // the link list's text and the key's value
    QTest::newRow("speed changed") << 3 << 7 << 2 << true << "Send_Port"
                                   << "57600";
    QTest::newRow("speed unanswered") << 3 << 7 << 2 << false << "Send_Port"
                                      << "19200";
    QTest::newRow("screen changed") << 9 << 10 << 3 << true << "Send_Screen"
                                    << "57";
    QTest::newRow("screen unanswered") << 9 << 10 << 3 << false << "Send_Screen"
                                       << "4";
}

void TestActions::linkListsFollowTheScreen()
{
    QFETCH(int, button);
    QFETCH(int, newList);
    QFETCH(int, linkList);
    QFETCH(bool, answers);
    QFETCH(QString, key);
    QFETCH(QString, after);
    CommandRig rig("Send_Port=19200\nSend_Screen=4\n");
    WindowHarness& h = rig.h;
    QVERIFY(h.show());
    rig.port.answers = answers;

    QComboBox& next = *h.ui().ComboNo[std::size_t(newList)];
    QVERIFY(pickItem(next, next.findText(newList == 7 ? u"57600"_s : u"57"_s)));
    QTest::mouseClick(h.ui().CmdOk[std::size_t(button)], Qt::LeftButton);

    QCOMPARE(rig.port.wire.size(), 2); // one frame: header, then payload
    QCOMPARE(h.ui().ComboNo[std::size_t(linkList)]->currentText(), after);
    QCOMPARE(h.stored(key), after);
    QCOMPARE(h.boxes.boxes.size(), 1);
    QCOMPARE(h.boxes.boxes[0].title, answers ? u"Prompt Window"_s : u"error--sending byte..."_s);
}

// Nothing a button does may start inside a command's wait.
void TestActions::buttonsWaitForRunningCommand()
{
    CommandRig rig("");
    WindowHarness& h = rig.h;
    QVERIFY(h.show());
    h.chooser.answer = QFont(u"DejaVu Sans"_s, 20);
    bool ran = false;
    rig.time.during = [&] {
        ran = rig.commander.running();
        for (int i : {2, 6, 8})
            QTest::mouseClick(h.ui().CmdOk[std::size_t(i)], Qt::LeftButton);
    };
    QTest::mouseClick(h.ui().CmdOk[8], Qt::LeftButton);

    QVERIFY(ran);
    QCOMPARE(rig.port.wire.size(), 2);
    QCOMPARE(h.window->AdvancedPanelShown(), 0);
    QVERIFY(h.chooser.offered.isEmpty());
    QCOMPARE(h.boxes.boxes.size(), 1);
    QCOMPARE(h.boxes.boxes[0].body, u"Set parameter ok!"_s);
    // Afterwards the buttons work again.
    QTest::mouseClick(h.ui().CmdOk[2], Qt::LeftButton);
    QCOMPARE(h.window->AdvancedPanelShown(), 1);
}

QTEST_MAIN(TestActions)
#include "tst_actions.moc"
