// The frame sender and the port connection against scripted parts: exact
// bytes and writes, reply timing, the clock wrap and faults mid-wait.

#include "fakes.h"
#include "link/link.h"
#include "link/portmap.h"
#include "settings/profilefile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace krn;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}
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

        // Sends one frame to `screen` and returns how long the wait took.
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
        QByteArray sent;
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
        QTest::addColumn<int>("nextSequence");

        QTest::newRow("change speed")
            << 1 << 0 << 0x0D << hex("0200") << hex("5AA50701000D") << hex("02F6") << 1;
        QTest::newRow("broadcast wraps the sequence")
            << 255 << 255 << 0x16 << hex("0000") << hex("5AA507FFFF16") << hex("00EE") << 0;
        QTest::newRow("reset") << 7 << 41 << 0x0A << hex("0000") << hex("5AA50707290A")
                               << hex("00DC") << 42;
    }
    void framesOnTheWire()
    {
        QFETCH(int, screen);
        QFETCH(int, sequence);
        QFETCH(int, command);
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, tail);
        QFETCH(int, nextSequence);

        Rig rig;
        rig.state.FrameSequence = sequence;
        rig.pump.script = {{5, hex("06"), {}}};
        rig.send(screen, command, payload);

        QCOMPARE(rig.port.writes.size(), 2);
        QCOMPARE(rig.port.writes[0].toHex(' '), header.toHex(' '));
        QCOMPARE(rig.port.writes[1].toHex(' '), tail.toHex(' '));
        QCOMPARE(rig.sent, tail); // the checksum slot is filled in the caller's buffer
        QCOMPARE(rig.state.FrameSequence, nextSequence);
        QCOMPARE(rig.state.BusyFlag, qint16(0));
        QVERIFY(rig.boxes.boxes.isEmpty());
    }

    void checksumCoversEveryByte()
    {
        // A long frame: XOR of all bytes including the checksum must be 0.
        Rig rig;
        rig.pump.script = {{1, hex("06"), {}}};
        QByteArray payload(250, '\0');
        for (int i = 0; i < 249; ++i)
            payload[i] = char(i * 7 + 3);
        rig.send(3, 20, payload);
        const QByteArray frame = rig.port.writes.join();
        QCOMPARE(frame.size(), 249 + 7);
        QCOMPARE(quint8(frame[2]), quint8(255));
        quint8 x = 0;
        for (char b : frame)
            x ^= quint8(b);
        QCOMPARE(x, quint8(0));
    }

    void fieldsThatDoNotFitAByte_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("payloadBytes");
        QTest::newRow("payload of 250") << 1 << 10 << 250;
        QTest::newRow("screen 256") << 256 << 10 << 1;
        QTest::newRow("screen -1") << -1 << 10 << 1;
        QTest::newRow("command 256") << 1 << 256 << 1;
        QTest::newRow("no payload at all") << 1 << 10 << -1;
    }
    void fieldsThatDoNotFitAByte()
    {
        QFETCH(int, screen);
        QFETCH(int, command);
        QFETCH(int, payloadBytes);
        Rig rig;
        rig.state.FrameSequence = 9;
        rig.pump.script = {{1, hex("06"), {}}};
        const quint32 waited = rig.send(screen, command, QByteArray(payloadBytes + 1, '\0'));

        QVERIFY(rig.port.writes.isEmpty());
        QCOMPARE(waited, 0u);
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QCOMPARE(rig.state.FrameSequence, 9);
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].title, QStringLiteral("error--sending byte..."));
        QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Critical);
    }

    void replies_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QList<FakePump::Batch>>("script");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<quint32>("waited");
        QTest::addColumn<QString>("body");

        const QString noScreen3 =
            QStringLiteral("The hardware control system can't be find!\r\nNumber 3");
        const QString sendError = QStringLiteral("Send error!");
        using B = FakePump::Batch;
        QTest::newRow("ack after 10 ms")
            << 3 << QList<B>{{10, hex("06"), {}}} << true << 10u << QString();
        QTest::newRow("nak then silence")
            << 3 << QList<B>{{10, hex("15"), {}}} << false << 3000u << sendError;
        QTest::newRow("nak, then ack in a later batch")
            << 3 << QList<B>{{10, hex("15"), {}}, {400, hex("06"), {}}} << true << 400u
            << QString();
        QTest::newRow("nak and ack in one batch")
            << 3 << QList<B>{{10, hex("1506"), {}}} << false << 3000u << sendError;
        QTest::newRow("silent screen") << 3 << QList<B>{} << false << 3000u << noScreen3;
        QTest::newRow("ack just too late")
            << 3 << QList<B>{{3000, hex("06"), {}}} << false << 3000u << noScreen3;
        QTest::newRow("ack at the last moment")
            << 3 << QList<B>{{2999, hex("06"), {}}} << true << 2999u << QString();
        QTest::newRow("broadcast, nobody answers") << 255 << QList<B>{} << true << 50u << QString();
        QTest::newRow("broadcast, a nak")
            << 255 << QList<B>{{5, hex("15"), {}}} << true << 50u << QString();
    }
    void replies()
    {
        QFETCH(int, screen);
        QFETCH(QList<FakePump::Batch>, script);
        QFETCH(bool, delivered);
        QFETCH(quint32, waited);
        QFETCH(QString, body);

        Rig rig;
        rig.state.ScreenNumber = screen;
        rig.state.PortNumber = 1;
        rig.port.open_ = false;
        rig.settings.writeText(u"Ports", u"1", QStringLiteral("/dev/fake"));
        rig.link.OpenPort();
        QCOMPARE(rig.state.BusyFlag, qint16(0));

        rig.pump.script = script;
        QCOMPARE(rig.send(screen, 10, hex("0000")), waited);
        QCOMPARE(rig.state.BusyFlag, qint16(delivered ? 0 : 1));
        if (body.isEmpty()) {
            QVERIFY(rig.boxes.boxes.isEmpty());
        } else {
            QCOMPARE(rig.boxes.boxes.size(), 1);
            QCOMPARE(rig.boxes.boxes[0].body, body);
            QCOMPARE(rig.boxes.boxes[0].title, QStringLiteral("error--sending byte..."));
            QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Exclamation);
        }
        // The wait handled window events on every pass.
        QVERIFY(rig.pump.pendingCalls >= 1);
    }

    void strayAckBeforeTheSendIsDiscarded()
    {
        Rig rig;
        rig.port.input = hex("06");
        rig.send(1, 10, hex("0000"));
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QCOMPARE(rig.boxes.boxes.size(), 1);
    }

    void timeoutIsExactAcrossTheClockWrap_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<int>("screen");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("3000 ms across the wrap") << 0xFFFFF000u << 1 << 3000u;
        QTest::newRow("50 ms across the wrap") << 0xFFFFFFF0u << 255 << 50u;
        QTest::newRow("right at the top") << 0xFFFFFFFFu << 1 << 3000u;
    }
    void timeoutIsExactAcrossTheClockWrap()
    {
        QFETCH(quint32, start);
        QFETCH(int, screen);
        QFETCH(quint32, expected);
        Rig rig;
        rig.clock.now = start;
        QCOMPARE(rig.send(screen, 10, hex("0000")), expected);
    }

    void portFaultDuringTheWaitClosesThePort()
    {
        Rig rig;
        rig.pump.script = {{200, {}, QStringLiteral("the line went away")}};
        const quint32 waited = rig.send(1, 10, hex("0000"));
        QVERIFY(waited < 3000);
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].body, QStringLiteral("the line went away"));
        QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Critical);
    }

    void sendingOnAClosedPortFails()
    {
        Rig rig;
        rig.port.open_ = false;
        rig.state.FrameSequence = 4;
        rig.send(1, 10, hex("0000"));
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QCOMPARE(rig.state.FrameSequence, 5); // the number was used up
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].title, QStringLiteral("error--sending byte..."));
        QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Critical);
    }

    void openLink_data()
    {
        QTest::addColumn<int>("portIndex");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("busy");

        const QString head = QStringLiteral("The hardware control system can't be find!\r\nNumber");
        QTest::newRow("first port") << 0 << "9600"
                                    << "12"
                                    << "/dev/one@9600,O,8,1" << head + " 12" << 0;
        QTest::newRow("sixteenth port") << 15 << "19200"
                                        << "0"
                                        << "/dev/sixteen@19200,O,8,1" << head + " 0" << 0;
        QTest::newRow("no screen chosen") << 0 << "57600"
                                          << ""
                                          << "/dev/one@57600,O,8,1" << head + " 0" << 0;
        QTest::newRow("negative screen") << 0 << "9600"
                                         << "-4"
                                         << "/dev/one@9600,O,8,1" << head + "-4" << 0;
        QTest::newRow("no port chosen") << -1 << "9600"
                                        << "1"
                                        << "" << head + " 1" << 1;
        QTest::newRow("unmapped port") << 4 << "9600"
                                       << "1"
                                       << "" << head + " 1" << 1;
        QTest::newRow("speed too large") << 0 << "1e12"
                                         << "1"
                                         << ""
                                         << "untouched" << 7;
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
        rig.settings.writeText(u"Ports", u"5", QString()); // an empty mapping maps nothing
        if (portIndex == 4 && PortMap::systemDevices().size() >= 5)
            QSKIP("this machine lists five serial devices; the unmapped case needs fewer");

        rig.link.OpenLink({portIndex, baud, screen});
        QCOMPARE(rig.port.configured.join(QLatin1Char('|')), configured);
        QCOMPARE(rig.port.isOpen(), !configured.isEmpty());
        QCOMPARE(rig.state.StatusMessage, status);
        QCOMPARE(int(rig.state.BusyFlag), busy);
        QCOMPARE(rig.boxes.boxes.size(), busy == 0 ? 0 : 1);
        if (busy != 0)
            QCOMPARE(rig.boxes.boxes[0].title, QStringLiteral("Error prompt"));
    }

    void openPortKeepsAnOpenPortAsItIs()
    {
        Rig rig; // the port starts open
        rig.state.PortNumber = 2;
        rig.state.BusyFlag = 1;
        rig.link.OpenPort();
        QVERIFY(rig.port.configured.isEmpty());
        QCOMPARE(rig.state.BusyFlag, qint16(0));

        rig.link.ClosePort();
        rig.link.ClosePort(); // closing a closed port does nothing
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.boxes.boxes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSendFrame)
#include "tst_sendframe.moc"
