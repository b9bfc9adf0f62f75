// The frame sender and the line picker against scripted parts: exact bytes
// and writes, frames refused before they go, reply timing, the clock wrap, a
// fault at the deadline; which line an address opens. (Over real lines: the
// real-lines test.)

#include "core/eventpump.h"
#include "core/failure.h"
#include "core/textids.h"
#include "link/anyline.h"
#include "link/line.h"
#include "link/link.h"
#include "link/netaddress.h"
#include "link/portmap.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "strings/stringtable.h"

#include <QTemporaryDir>
#include <QTest>
#include <optional>

// Scripted stand-ins for the corners a pseudo-terminal cannot reach: a clock
// that wraps, replies at exact moments, a port that faults mid-wait. A port
// given a log notes there what it was asked to do, so the lines behind the
// line picker can share one.
class FakeClock : public krn::MsClock {
public:
    quint32 nowMs() override { return now; }
    quint32 now = 1000;
};

class FakePort : public krn::Line {
public:
    FakePort() = default;
    FakePort(const char* name, krn::LineKind kind, QStringList& log)
        : m_name(QLatin1String(name)), m_kind(kind), m_log(&log)
    {
    }
    bool isOpen() const override { return open_; }
    void open(const QString&, const krn::LineSettings&) override { open_ = true, note("open"); }
    void close() override { open_ = false, note("close"); }
    qint64 bytesWaiting() override { return need(), input.size(); }
    void discardInput() override { need(), input.clear(); }
    QByteArray readAll() override { return need(), std::exchange(input, {}); }
    void write(const QByteArray& bytes) override { need(), writes.append(bytes), note("write"); }
    std::optional<krn::Message> takeFault() override
    {
        if (fault.isEmpty())
            return std::nullopt;
        return krn::Message{krn::strings::LineFault,
                            {QStringLiteral("/dev/fake"), std::exchange(fault, {})}};
    }
    krn::LineKind kind() const override { return m_kind; }
    bool setSpeed(const krn::LineSettings&) override { return note("speed"), true; }
    qint64 wireBytes() const override { return 0; }

    bool open_ = false;
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
    void note(const char* what) const
    {
        if (m_log)
            *m_log << m_name + u' ' + QLatin1String(what);
    }
    QString m_name;
    krn::LineKind m_kind = krn::LineKind::Serial;
    QStringList* m_log = nullptr;
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

    void frames_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<QByteArray>("writes"); // one write: the whole frame
        QTest::addColumn<int>("next");          // the sequence number after it, from 255
        QTest::addColumn<QString>("body");      // why it could not go
        const QByteArray longest(249, '\xAB');
        const QString byteRange = QStringLiteral("The value 256 is outside 0 to 255.");
        // clang-format off
        QTest::newRow("broadcast, sequence wraps") << 255 << hex("00") << true << QByteArray("5aa507ffff1600ee") << 0 << QString();
        QTest::newRow("249 data bytes") << 3 << longest << true << "5aa5ff03ff16" + longest.toHex() + "41" << 0 << QString();
        QTest::newRow("250 data bytes") << 1 << QByteArray(250, '\0') << true << QByteArray() << 255 << byteRange;
        QTest::newRow("screen 256") << 256 << hex("00") << true << QByteArray() << 255 << byteRange;
        QTest::newRow("no data bytes") << 1 << QByteArray() << true << QByteArray() << 255 << QStringLiteral("The frame has no payload bytes.");
        QTest::newRow("closed port uses up its number") << 1 << hex("00") << false << QByteArray() << 0 << QStringLiteral("The serial port /dev/fake is not open.");
        // clang-format on
    }
    // A frame that cannot go is refused before anything is written, without
    // a wait.
    void frames()
    {
        QFETCH(int, screen);
        QFETCH(QByteArray, payload);
        QFETCH(bool, portOpen);
        QFETCH(QByteArray, writes);
        QFETCH(QString, body);
        Rig rig;
        rig.port.open_ = portOpen;
        rig.state.FrameSequence = 255;
        rig.pump.script = {{5, hex("06"), {}}};
        QCOMPARE(rig.send(screen, 0x16, payload), writes.isEmpty() ? 0u : 5u);
        QByteArrayList written;
        for (const QByteArray& w : rig.port.writes)
            written << w.toHex();
        QCOMPARE(written.join(' '), writes);
        QTEST(rig.state.FrameSequence, "next");
        QCOMPARE(rig.delivery.kind,
                 writes.isEmpty() ? DeliveryKind::LineFault : DeliveryKind::Acknowledged);
        QCOMPARE(rig.state.BusyFlag, qint16(writes.isEmpty() ? 1 : 0));
        QCOMPARE(english(rig.delivery.message), body);
    }

    void replies_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<quint32>("clock");
        QTest::addColumn<Script>("script");
        QTest::addColumn<DeliveryKind>("kind");
        QTest::addColumn<quint32>("waited");
        QTest::addColumn<QString>("body");
        const QString silent3 = NotFound + QStringLiteral(" 3");
        constexpr auto ACK = DeliveryKind::Acknowledged, BC = DeliveryKind::Broadcast,
                       NO = DeliveryKind::NoAnswer, LF = DeliveryKind::LineFault,
                       RF = DeliveryKind::Refused;
        // clang-format off
        QTest::newRow("nak, then ack") << 3 << 0u << Script{{10, hex("15"), {}}, {400, hex("06"), {}}} << ACK << 400u << QString();
        QTest::newRow("15 06 in one batch is no ack") << 3 << 0u << Script{{10, hex("1506"), {}}} << RF << 3000u << "Send error!";
        QTest::newRow("ack at 2999 ms") << 3 << 0u << Script{{2999, hex("06"), {}}} << ACK << 2999u << QString();
        QTest::newRow("ack at 3000 ms") << 3 << 0u << Script{{3000, hex("06"), {}}} << NO << 3000u << silent3;
        QTest::newRow("broadcast, a nak") << 255 << 0u << Script{{5, hex("15"), {}}} << BC << 50u << QString();
        QTest::newRow("3000 ms across the clock wrap") << 3 << 0xFFFFF000u << Script{} << NO << 3000u << silent3;
        QTest::newRow("50 ms across the clock wrap") << 255 << 0xFFFFFFF0u << Script{} << BC << 50u << QString();
        QTest::newRow("port faults at the deadline") << 3 << 0u << Script{{3000, {}, "the line went away"}} << LF << 3000u << "The serial port /dev/fake reported a line fault. Check the cable and the adapter. (The system said: the line went away)";
        // clang-format on
    }
    void replies()
    {
        QFETCH(int, screen);
        QFETCH(quint32, clock);
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
        rig.pump.script = script;
        QCOMPARE(rig.send(screen, 10, hex("00")), waited);
        QCOMPARE(rig.delivery.ms, waited);
        QCOMPARE(rig.delivery.kind, kind);
        QCOMPARE(rig.state.BusyFlag, qint16(rig.delivery.delivered() ? 0 : 1));
        QCOMPARE(english(rig.delivery.message), body);
        QCOMPARE(rig.port.isOpen(), !fault); // a faulty line is closed at once
        QVERIFY(rig.pump.pendingCalls >= 1); // the window kept handling events
    }

    void devicesInPortOrder()
    {
        const QStringList listed{"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyS10",
                                 "/dev/ttyS1",    "/dev/ttyACM0", "/dev/ttyUSB1"};
        QCOMPARE(PortMap::inPortOrder(listed),
                 QStringList({"/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyS10", "/dev/ttyUSB1",
                              "/dev/ttyUSB2", "/dev/ttyUSB10"}));
    }

    void parse_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("parsed"); // kind, host, host:port; or the failure's text id
        const auto bad = [](const char* name, const char* address, int id) {
            QTest::newRow(name) << QString::fromUtf8(address) << QString::number(id);
        };
        // clang-format off
        QTest::newRow("raw") << "tcp://192.168.1.20:4001" << "tcp 192.168.1.20 192.168.1.20:4001";
        QTest::newRow("scheme in capitals") << "TCP://dev-server:1" << "tcp dev-server dev-server:1";
        QTest::newRow("IPv6 in brackets, blanks and a slash") << " rfc2217://[::1]:65535/ " << "rfc2217 ::1 [::1]:65535";
        // clang-format on
        bad("no port", "tcp://dev-server", strings::NetNoPort);
        bad("empty port", "tcp://dev-server:", strings::NetNoPort);
        bad("IPv6 without a port", "tcp://[::1]", strings::NetNoPort);
        bad("no host", "tcp://:4001", strings::NetNoHost);
        bad("IPv6 without brackets", "rfc2217://::1:4001", strings::NetNoHost);
        bad("port 0", "tcp://h:0", strings::NetBadPort);
        bad("port 65536", "tcp://h:65536", strings::NetBadPort);
        bad("port with a letter", "tcp://h:40O1", strings::NetBadPort);
        bad("another scheme", "telnet://h:23", strings::NetNotAnAddress);
    }
    void parse()
    {
        QFETCH(QString, address);
        QString parsed;
        try {
            const NetAddress net = NetAddress::parse(address);
            const bool rfc2217 = net.kind == NetAddress::Kind::Rfc2217;
            parsed = QStringList{rfc2217 ? "rfc2217" : "tcp", net.host, net.hostPort()}.join(u' ');
        } catch (const Failure& f) {
            parsed = QString::number(f.message().id);
            // The message names what the operator wrote.
            QCOMPARE(f.message().args.value(0).literal, address.trimmed());
        }
        QTEST(parsed, "parsed");
    }

    // Each address opens the line it names, and the operations after it go
    // there. A malformed address is refused before anything is closed; a line
    // of another kind never stays open behind the one opened now. (The real
    // lines behind it: the real-lines test.)
    void picksByAddress()
    {
        QStringList log;
        AnyLine line{std::make_unique<FakePort>("serial", LineKind::Serial, log),
                     std::make_unique<FakePort>("tcp", LineKind::RawTcp, log),
                     std::make_unique<FakePort>("rfc2217", LineKind::Rfc2217, log)};
        line.open(QStringLiteral("tcp://10.0.0.5:4001"), LineSettings{});
        QVERIFY_THROWS_EXCEPTION(Failure, line.open(QStringLiteral("rfc2217://10.0.0.5"), {}));
        QVERIFY(line.isOpen());
        for (const char* address : {"/dev/ttyS0", "rfc2217://10.0.0.5:2217"}) {
            line.open(QLatin1String(address), LineSettings{});
            line.write("x");
        }
        QCOMPARE(line.kind(), LineKind::Rfc2217);
        line.setSpeed(LineSettings{});
        line.close();
        QCOMPARE(log.join(u','), QStringLiteral("tcp open,tcp close,serial open,serial write,"
                                                "serial close,rfc2217 open,rfc2217 write,"
                                                "rfc2217 speed,rfc2217 close"));
    }
};

QTEST_GUILESS_MAIN(TestSendFrame)
#include "tst_sendframe.moc"
