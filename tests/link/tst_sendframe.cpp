// The frame sender and the port connection against scripted parts: exact
// bytes and writes, reply timing, the clock wrap and faults mid-wait.

#include "core/eventpump.h"
#include "core/failure.h"
#include "core/textids.h"
#include "link/line.h"
#include "link/link.h"
#include "link/portmap.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "strings/stringtable.h"

#include <QTemporaryDir>
#include <QTest>
#include <optional>

// Scripted stand-ins for the corners a pseudo-terminal cannot reach: a clock
// that wraps, replies at exact moments, a port that faults mid-wait.
class FakeClock : public krn::MsClock {
public:
    quint32 nowMs() override { return now; }
    quint32 now = 1000;
};

class FakePort : public krn::Line {
public:
    bool isOpen() const override { return open_; }
    void open(const QString& address, const krn::LineSettings& s) override
    {
        configured.append(address + u'@' + QString::number(s.baudRate));
        open_ = true;
    }
    void close() override { open_ = false; }
    qint64 bytesWaiting() override { return need(), input.size(); }
    void discardInput() override { need(), input.clear(); }
    QByteArray readAll() override { return need(), std::exchange(input, {}); }
    void write(const QByteArray& bytes) override { need(), writes.append(bytes); }
    std::optional<krn::Message> takeFault() override
    {
        if (fault.isEmpty())
            return std::nullopt;
        return krn::Message{krn::strings::LineFault,
                            {QStringLiteral("/dev/fake"), std::exchange(fault, {})}};
    }
    QString settingsNote(const krn::LineSettings&) const override { return QStringLiteral("fake"); }

    bool open_ = true;
    QStringList configured;
    QList<QByteArray> writes;
    QByteArray input;
    QString fault;

private:
    void need() const
    {
        if (!open_)
            throw krn::Failure(
                krn::Message{krn::strings::PortNotOpen, {QStringLiteral("/dev/fake")}});
    }
};

// "Sleeping" advances the fake clock to the next scripted batch or the
// caller's deadline and delivers what is due. Times count from the first call,
// which is where a wait starts.
class FakePump : public krn::EventPump {
public:
    struct Batch {
        quint32 at;
        QByteArray bytes;
        QString fault; // instead of bytes: the port faults and closes
    };
    FakePump(FakeClock& clock, FakePort& port) : m_clock(clock), m_port(port) {}
    QList<Batch> script;
    int pendingCalls = 0;

    void processPending() override { ++pendingCalls, deliver(); }
    void waitForEvents(std::chrono::milliseconds maxWait) override
    {
        deliver();
        quint32 step = quint32(maxWait.count());
        if (!script.isEmpty())
            step = std::min(step, script.first().at - (m_clock.now - *m_origin));
        m_clock.now += std::max<quint32>(step, 1);
        deliver();
    }

private:
    void deliver()
    {
        if (!m_origin)
            m_origin = m_clock.now;
        while (!script.isEmpty() && script.first().at <= m_clock.now - *m_origin) {
            const Batch b = script.takeFirst();
            if (b.fault.isEmpty())
                m_port.input += b.bytes;
            else
                m_port.fault = b.fault, m_port.open_ = false;
        }
    }
    FakeClock& m_clock;
    FakePort& m_port;
    std::optional<quint32> m_origin;
};
Q_DECLARE_METATYPE(FakePump::Batch)

using namespace krn;
using B = FakePump::Batch;
using Script = QList<B>;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}
QString english(const Message& m)
{
    return strings::render(m, strings::Language::English);
}
const QString NotFound = QStringLiteral("The hardware control system can't be find!\r\nNumber");
} // namespace

class TestSendFrame : public QObject {
    Q_OBJECT

    struct Rig {
        LinkState state;
        FakeClock clock;
        FakePort port;
        FakePump pump{clock, port};
        QTemporaryDir dir;
        ProfileFile file{dir.filePath(QStringLiteral("krntools.ini"))};
        Settings settings{file};
        PortMap ports{&settings};
        Link link{state, port, ports, clock, pump};
        Delivery delivery;

        // Sends one frame and returns how long its wait took.
        quint32 send(qint32 screen, quint8 command, const QByteArray& data)
        {
            const quint32 start = clock.now;
            delivery = link.SendFrame(screen, command, data);
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
        QTest::addColumn<QByteArray>("writes"); // the header, then the data with its checksum
        QTest::addColumn<int>("next");
        const QByteArray longest(249, '\xAB');
        // clang-format off
        QTest::newRow("worked example") << 1 << 0 << 0x0D << hex("02") << QByteArray("5aa50701000d 02f6") << 1;
        QTest::newRow("broadcast, sequence wraps") << 255 << 255 << 0x16 << hex("00") << QByteArray("5aa507ffff16 00ee") << 0;
        QTest::newRow("249 data bytes") << 3 << 7 << 20 << longest << "5aa5ff030714 " + longest.toHex() + "bb" << 8;
        // clang-format on
    }
    void framesOnTheWire()
    {
        QFETCH(int, screen);
        QFETCH(int, sequence);
        QFETCH(int, command);
        QFETCH(QByteArray, payload);
        Rig rig;
        rig.state.FrameSequence = sequence;
        rig.pump.script = {{5, hex("06"), {}}};
        rig.send(screen, command, payload);
        QByteArrayList writes;
        for (const QByteArray& w : rig.port.writes)
            writes << w.toHex();
        QTEST(writes.join(' '), "writes");
        QTEST(rig.state.FrameSequence, "next");
        QCOMPARE(rig.delivery.kind, DeliveryKind::Acknowledged);
    }

    void framesThatCannotGo_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("dataBytes");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<int>("sequenceAfter");
        QTest::addColumn<QString>("body");
        const QString byteRange = QStringLiteral(" is outside 0 to 255.");
        // clang-format off
        QTest::newRow("250 data bytes") << 1 << 250 << true << 9 << "The value 256" + byteRange;
        QTest::newRow("screen 256") << 256 << 1 << true << 9 << "The value 256" + byteRange;
        QTest::newRow("no data bytes") << 1 << 0 << true << 9 << QStringLiteral("The frame has no payload bytes.");
        QTest::newRow("closed port uses up its number") << 1 << 1 << false << 10 << QStringLiteral("The serial port /dev/fake is not open.");
        // clang-format on
    }
    void framesThatCannotGo()
    {
        QFETCH(int, screen);
        QFETCH(int, dataBytes);
        QFETCH(bool, portOpen);
        QFETCH(int, sequenceAfter);
        QFETCH(QString, body);
        Rig rig;
        rig.port.open_ = portOpen;
        rig.state.FrameSequence = 9;
        rig.pump.script = {{1, hex("06"), {}}};
        QCOMPARE(rig.send(screen, 10, QByteArray(dataBytes, '\0')), 0u);
        QVERIFY(rig.port.writes.isEmpty());
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QCOMPARE(rig.state.FrameSequence, sequenceAfter);
        QCOMPARE(rig.delivery.kind, DeliveryKind::LineFault);
        QCOMPARE(english(rig.delivery.message), body);
    }

    void replies_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<quint32>("clock");
        QTest::addColumn<QByteArray>("stray");
        QTest::addColumn<Script>("script");
        QTest::addColumn<DeliveryKind>("kind");
        QTest::addColumn<quint32>("waited");
        QTest::addColumn<QString>("body");
        const QString sendError = QStringLiteral("Send error!");
        const QString silent3 = NotFound + QStringLiteral(" 3");
        const QByteArray none;
        constexpr auto ACK = DeliveryKind::Acknowledged, BC = DeliveryKind::Broadcast,
                       REF = DeliveryKind::Refused, NO = DeliveryKind::NoAnswer,
                       LF = DeliveryKind::LineFault;
        // clang-format off
        QTest::newRow("nak, then silence") << 3 << 0u << none << Script{{10, hex("15"), {}}} << REF << 3000u << sendError;
        QTest::newRow("nak, then ack") << 3 << 0u << none << Script{{10, hex("15"), {}}, {400, hex("06"), {}}} << ACK << 400u << QString();
        QTest::newRow("nak and ack in one batch") << 3 << 0u << none << Script{{10, hex("1506"), {}}} << REF << 3000u << sendError;
        QTest::newRow("ack at 2999 ms") << 3 << 0u << none << Script{{2999, hex("06"), {}}} << ACK << 2999u << QString();
        QTest::newRow("ack at 3000 ms") << 3 << 0u << none << Script{{3000, hex("06"), {}}} << NO << 3000u << silent3;
        QTest::newRow("stray ack before the send") << 3 << 0u << hex("06") << Script{} << NO << 3000u << silent3;
        QTest::newRow("broadcast, a nak") << 255 << 0u << none << Script{{5, hex("15"), {}}} << BC << 50u << QString();
        QTest::newRow("3000 ms across the clock wrap") << 3 << 0xFFFFF000u << none << Script{} << NO << 3000u << silent3;
        QTest::newRow("50 ms across the clock wrap") << 255 << 0xFFFFFFF0u << none << Script{} << BC << 50u << QString();
        QTest::newRow("port faults mid-wait") << 3 << 0u << none << Script{{200, {}, "the line went away"}} << LF << 200u << "The serial port /dev/fake reported a line fault. Check the cable and the adapter. (The system said: the line went away)";
        QTest::newRow("port faults at the deadline") << 3 << 0u << none << Script{{3000, {}, "the line went away"}} << LF << 3000u << "The serial port /dev/fake reported a line fault. Check the cable and the adapter. (The system said: the line went away)";
        // clang-format on
    }
    void replies()
    {
        QFETCH(int, screen);
        QFETCH(quint32, clock);
        QFETCH(QByteArray, stray);
        QFETCH(Script, script);
        QFETCH(DeliveryKind, kind);
        QFETCH(quint32, waited);
        QFETCH(QString, body);
        const bool fault = !script.isEmpty() && !script.first().fault.isEmpty();

        Rig rig;
        rig.clock.now = clock;
        rig.port.open_ = false;
        rig.settings.setPortMapping(1, QStringLiteral("/dev/fake"));
        QVERIFY(!rig.link.OpenPort(LinkTarget{1, {}, 9600, screen}));
        rig.port.input = stray;
        rig.pump.script = script;
        QCOMPARE(rig.send(screen, 10, hex("00")), waited);
        QCOMPARE(rig.delivery.ms, waited);
        QCOMPARE(rig.delivery.kind, kind);
        QCOMPARE(rig.state.BusyFlag, qint16(rig.delivery.delivered() ? 0 : 1));
        QCOMPARE(english(rig.delivery.message), body);
        QCOMPARE(rig.port.isOpen(), !fault); // a faulty line is closed at once
        QVERIFY(rig.pump.pendingCalls >= 1); // the window kept handling events
    }

    void openPort_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("baud");
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("why");
        // clang-format off
        QTest::newRow("sixteenth port") << 16 << "" << 19200 << "/dev/sixteen@19200" << "";
        QTest::newRow("an address given directly") << 0 << "/dev/other" << 57600 << "/dev/other@57600" << "";
        QTest::newRow("no port chosen") << 0 << "" << 9600 << "" << "No serial port is selected.";
        QTest::newRow("unmapped port") << 300 << "" << 9600 << "" << "Serial port 300 does not exist on this computer. Check that the adapter is plugged in and pick the port it uses.";
        // clang-format on
    }
    void openPort()
    {
        QFETCH(int, port);
        QFETCH(QString, address);
        QFETCH(int, baud);
        QFETCH(QString, configured);
        QFETCH(QString, why);
        Rig rig;
        rig.port.open_ = false;
        rig.state.BusyFlag = 7;
        rig.settings.setPortMapping(1, QStringLiteral("/dev/one"));
        rig.settings.setPortMapping(16, QStringLiteral("/dev/sixteen"));
        const std::optional<Message> failure =
            rig.link.OpenPort(LinkTarget{port, address, baud, 1});
        QCOMPARE(rig.port.configured.join(u'|'), configured);
        QCOMPARE(rig.port.isOpen(), !configured.isEmpty());
        QCOMPARE(failure ? english(*failure) : QString(), why);
        QCOMPARE(int(rig.state.BusyFlag), why.isEmpty() ? 0 : 1);
        QCOMPARE(rig.state.BaudRate, baud);
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
        rig.state.BusyFlag = 1;
        QVERIFY(!rig.link.OpenPort(LinkTarget{2, {}, 9600, 1}));
        QVERIFY(rig.port.configured.isEmpty());
        QCOMPARE(rig.state.BusyFlag, qint16(0));
        rig.link.ClosePort();
        rig.link.ClosePort();
        QVERIFY(!rig.port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestSendFrame)
#include "tst_sendframe.moc"
