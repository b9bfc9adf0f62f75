// The frame sender and the port connection against scripted parts: exact
// bytes and writes, reply timing, the clock wrap and faults mid-wait.

#include "fakes.h"
#include "link/link.h"
#include "link/portmap.h"
#include "settings/profilefile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace krn;
using B = FakePump::Batch;
using Script = QList<B>;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}
const QString SendTitle = QStringLiteral("error--sending byte...");
const QString NotFound = QStringLiteral("The hardware control system can't be find!\r\nNumber");
} // namespace

class TestSendFrame : public QObject {
    Q_OBJECT

    struct Rig {
        LinkState state;
        FakeClock clock;
        FakePort port;
        RecordingBoxes boxes;
        FakePump pump{clock, port};
        QTemporaryDir dir;
        ProfileFile settings{dir.filePath(QStringLiteral("krntools.ini"))};
        PortMap ports{&settings};
        Link link{state, port, ports, boxes, clock, pump};
        QByteArray sent;

        // Sends one frame and returns how long its wait took.
        quint32 send(qint32 screen, qint32 command, QByteArray payload)
        {
            state.ScreenNumber = screen;
            state.CommandCode = command;
            state.PayloadLength = qint32(payload.size()) - 1;
            const quint32 start = clock.now;
            link.SendFrame(payload);
            sent = payload;
            return clock.now - start;
        }
    };

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void framesOnTheWire_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("sequence");
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<int>("next");
        QTest::newRow("worked example")
            << 1 << 0 << 0x0D << hex("0200") << hex("5AA50701000D") << hex("02F6") << 1;
        QTest::newRow("broadcast, sequence wraps")
            << 255 << 255 << 0x16 << hex("0000") << hex("5AA507FFFF16") << hex("00EE") << 0;
        const QByteArray longest(249, '\xAB');
        QTest::newRow("249 data bytes")
            << 3 << 7 << 20 << longest + '\0' << hex("5AA5FF030714") << longest + '\xBB' << 8;
    }
    void framesOnTheWire()
    {
        QFETCH(int, screen);
        QFETCH(int, sequence);
        QFETCH(int, command);
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, tail);
        QFETCH(int, next);
        Rig rig;
        rig.state.FrameSequence = sequence;
        rig.pump.script = {{5, hex("06"), {}}};
        rig.send(screen, command, payload);
        // Two writes: the header, then the data with the checksum that was
        // filled into the caller's buffer.
        QCOMPARE(rig.port.writes.size(), 2);
        QCOMPARE(rig.port.writes[0].toHex(' '), header.toHex(' '));
        QCOMPARE(rig.port.writes[1].toHex(' '), tail.toHex(' '));
        QCOMPARE(rig.sent, tail);
        QCOMPARE(rig.state.FrameSequence, next);
        QCOMPARE(rig.state.BusyFlag, qint16(0));
        QVERIFY(rig.boxes.boxes.isEmpty());
    }

    void framesThatCannotGo_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("dataBytes");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<int>("sequenceAfter");
        QTest::newRow("250 data bytes") << 1 << 10 << 250 << true << 9;
        QTest::newRow("screen 256") << 256 << 10 << 1 << true << 9;
        QTest::newRow("screen -1") << -1 << 10 << 1 << true << 9;
        QTest::newRow("command 256") << 1 << 256 << 1 << true << 9;
        QTest::newRow("no payload array") << 1 << 10 << -1 << true << 9;
        QTest::newRow("closed port uses up its number") << 1 << 10 << 1 << false << 10;
    }
    void framesThatCannotGo()
    {
        QFETCH(int, screen);
        QFETCH(int, command);
        QFETCH(int, dataBytes);
        QFETCH(bool, portOpen);
        QFETCH(int, sequenceAfter);
        Rig rig;
        rig.port.open_ = portOpen;
        rig.state.FrameSequence = 9;
        rig.pump.script = {{1, hex("06"), {}}};
        QCOMPARE(rig.send(screen, command, QByteArray(dataBytes + 1, '\0')), 0u);
        QVERIFY(rig.port.writes.isEmpty());
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QCOMPARE(rig.state.FrameSequence, sequenceAfter);
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].title, SendTitle);
        QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Critical);
    }

    void replies_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<quint32>("clock");
        QTest::addColumn<QByteArray>("stray");
        QTest::addColumn<Script>("script");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<quint32>("waited");
        QTest::addColumn<QString>("body");
        const QString sendError = QStringLiteral("Send error!");
        const QString silent3 = NotFound + QStringLiteral(" 3");
        const QByteArray none;
        // clang-format off
        QTest::newRow("ack after 10 ms") << 3 << 0u << none << Script{{10, hex("06"), {}}} << true << 10u << QString();
        QTest::newRow("nak, then silence") << 3 << 0u << none << Script{{10, hex("15"), {}}} << false << 3000u << sendError;
        QTest::newRow("nak, then ack") << 3 << 0u << none << Script{{10, hex("15"), {}}, {400, hex("06"), {}}} << true << 400u << QString();
        QTest::newRow("nak and ack in one batch") << 3 << 0u << none << Script{{10, hex("1506"), {}}} << false << 3000u << sendError;
        QTest::newRow("silent screen") << 3 << 0u << none << Script{} << false << 3000u << silent3;
        QTest::newRow("ack at 2999 ms") << 3 << 0u << none << Script{{2999, hex("06"), {}}} << true << 2999u << QString();
        QTest::newRow("ack at 3000 ms") << 3 << 0u << none << Script{{3000, hex("06"), {}}} << false << 3000u << silent3;
        QTest::newRow("stray ack before the send") << 3 << 0u << hex("06") << Script{} << false << 3000u << silent3;
        QTest::newRow("broadcast, no answer") << 255 << 0u << none << Script{} << true << 50u << QString();
        QTest::newRow("broadcast, a nak") << 255 << 0u << none << Script{{5, hex("15"), {}}} << true << 50u << QString();
        QTest::newRow("3000 ms across the clock wrap") << 3 << 0xFFFFF000u << none << Script{} << false << 3000u << silent3;
        QTest::newRow("50 ms across the clock wrap") << 255 << 0xFFFFFFF0u << none << Script{} << true << 50u << QString();
        QTest::newRow("port faults mid-wait") << 3 << 0u << none << Script{{200, {}, "the line went away"}} << false << 200u << "the line went away";
        QTest::newRow("port faults at the deadline") << 3 << 0u << none << Script{{3000, {}, "the line went away"}} << false << 3000u << "the line went away";
        // clang-format on
    }
    void replies()
    {
        QFETCH(int, screen);
        QFETCH(quint32, clock);
        QFETCH(QByteArray, stray);
        QFETCH(Script, script);
        QFETCH(bool, delivered);
        QFETCH(quint32, waited);
        QFETCH(QString, body);
        const bool fault = !script.isEmpty() && !script.first().fault.isEmpty();

        Rig rig;
        rig.clock.now = clock;
        rig.state.ScreenNumber = screen;
        rig.state.PortNumber = 1;
        rig.port.open_ = false;
        rig.settings.writeText(u"Ports", u"1", QStringLiteral("/dev/fake"));
        rig.link.OpenPort(); // composes the no-answer text for this screen
        rig.port.input = stray;
        rig.pump.script = script;
        QCOMPARE(rig.send(screen, 10, hex("0000")), waited);
        QCOMPARE(rig.state.BusyFlag, qint16(delivered ? 0 : 1));
        QCOMPARE(rig.boxes.boxes.size(), body.isEmpty() ? 0 : 1);
        if (!body.isEmpty()) {
            QCOMPARE(rig.boxes.boxes[0].body, body);
            QCOMPARE(rig.boxes.boxes[0].title, SendTitle);
            QCOMPARE(rig.boxes.boxes[0].icon,
                     fault ? MessageIcon::Critical : MessageIcon::Exclamation);
        }
        QCOMPARE(rig.port.isOpen(), !fault); // a faulty line is closed at once
        QVERIFY(rig.pump.pendingCalls >= 1); // the window kept handling events
    }

    void openLink_data()
    {
        QTest::addColumn<int>("portIndex");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("busy");
        // clang-format off
        QTest::newRow("first port") << 0 << "9600" << "12" << "/dev/one@9600,O,8,1" << NotFound + " 12" << 0;
        QTest::newRow("sixteenth port") << 15 << "19200" << "0" << "/dev/sixteen@19200,O,8,1" << NotFound + " 0" << 0;
        QTest::newRow("no screen chosen") << 0 << "57600" << "" << "/dev/one@57600,O,8,1" << NotFound + " 0" << 0;
        QTest::newRow("negative screen") << 0 << "9600" << "-4" << "/dev/one@9600,O,8,1" << NotFound + "-4" << 0;
        QTest::newRow("no port chosen") << -1 << "9600" << "1" << "" << NotFound + " 1" << 1;
        QTest::newRow("speed too large") << 0 << "1e12" << "1" << "" << "untouched" << 7;
        // clang-format on
    }
    void openLink()
    {
        QFETCH(int, portIndex);
        QFETCH(QString, baud);
        QFETCH(QString, screen);
        QFETCH(QString, configured);
        QFETCH(QString, status);
        QFETCH(int, busy);
        Rig rig;
        rig.port.open_ = false;
        rig.state.StatusMessage = QStringLiteral("untouched");
        rig.state.BusyFlag = 7;
        rig.settings.writeText(u"Ports", u"1", QStringLiteral("/dev/one"));
        rig.settings.writeText(u"Ports", u"16", QStringLiteral("/dev/sixteen"));
        rig.link.OpenLink({portIndex, baud, screen});
        QCOMPARE(rig.port.configured.join(u'|'), configured);
        QCOMPARE(rig.port.isOpen(), !configured.isEmpty());
        QCOMPARE(rig.state.StatusMessage, status);
        QCOMPARE(int(rig.state.BusyFlag), busy);
        QCOMPARE(rig.boxes.boxes.size(), busy == 0 ? 0 : 1);
        if (busy != 0)
            QCOMPARE(rig.boxes.boxes[0].title, QStringLiteral("Error prompt"));
    }

    void devicesInPortOrder()
    {
        const QStringList listed{"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyS10",
                                 "/dev/ttyS1",    "/dev/ttyACM0", "/dev/ttyUSB1"};
        QCOMPARE(PortMap::inPortOrder(listed),
                 QStringList({"/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyS10", "/dev/ttyUSB1",
                              "/dev/ttyUSB2", "/dev/ttyUSB10"}));
    }

    void anOpenPortIsUsedAsItIs()
    {
        Rig rig; // the port starts open
        rig.state.PortNumber = 2;
        rig.state.BusyFlag = 1;
        rig.link.OpenPort();
        QVERIFY(rig.port.configured.isEmpty());
        QCOMPARE(rig.state.BusyFlag, qint16(0));
        rig.link.ClosePort();
        rig.link.ClosePort();
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.boxes.boxes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSendFrame)
#include "tst_sendframe.moc"
