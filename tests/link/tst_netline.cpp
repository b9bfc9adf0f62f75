// The network lines against servers the test scripts itself: the corners
// ser2net does not show on demand (refusing the com-port option, wrong
// settings, silence, a full accept queue, commands cut across reads). What
// ser2net does show is in the real-lines test. And the Telnet decoder of the
// RFC 2217 line: data and commands apart, whatever pieces the stream arrives in.

#include "core/failure.h"
#include "link/rfc2217line.h"
#include "link/tcpline.h"
#include "link/telnetdecoder.h"
#include "strings/stringtable.h"
#include "support/enginerig.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

using namespace krn;
using namespace std::chrono_literals;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

// What a scripted device server does.
enum class Script {
    Raw,            // says nothing, keeps what arrives
    Rfc2217,        // greets as ser2net does and confirms every setting
    RefusesComPort, // Telnet without the com-port option
    WrongSpeed,     // confirms 9600 bit/s whatever was asked
};

class Server {
public:
    explicit Server(Script script) : m_script(script)
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            peer = m_server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, peer, [this] { onData(); });
            if (m_script != Script::Raw) // ser2net's greeting, and a request for our signature
                send(hex("fffb03fffd03fffb01fffe01fffd00fffb00") +
                     (m_script == Script::RefusesComPort ? QByteArray() : hex("fffd2c")) +
                     hex("fffa2c64fff0"));
        });
    }
    QString hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    QString address(const char* scheme) const
    {
        return QStringLiteral("%1://%2").arg(QLatin1String(scheme), hostPort());
    }
    void send(const QByteArray& bytes)
    {
        peer->write(bytes);
        peer->flush();
    }
    bool waitForHangUp()
    {
        return QTest::qWaitFor(
            [this] { return peer->state() == QAbstractSocket::UnconnectedState; }, 2000);
    }

    // From the first data byte on, `bytesPerSecond` of `filler` (after
    // `lead`, sent once) in 10 ms pieces: a broken server, or a wrong port.
    void floodAfterData(qint64 bytesPerSecond, QByteArray lead, char filler)
    {
        m_flood = bytesPerSecond;
        m_lead = std::move(lead);
        m_filler = filler;
        QObject::connect(&m_floodTimer, &QTimer::timeout, &m_floodTimer, [this] {
            if (peer && peer->bytesToWrite() < 4 * 1024 * 1024)
                send(std::exchange(m_lead, {}) + QByteArray(m_flood / 100, m_filler));
        });
    }

    QTcpSocket* peer = nullptr;
    QByteArray received; // as it came over the wire

private:
    void onData()
    {
        const QByteArray bytes = peer->readAll();
        received += bytes;
        if (m_flood > 0 && !m_floodTimer.isActive() && bytes.contains(char(0x5A)))
            m_floodTimer.start(10);
        QByteArray data;
        QList<TelnetEvent> events;
        m_decoder.feed(bytes, data, events);
        for (const TelnetEvent& e : events) {
            if (m_script == Script::RefusesComPort && e.kind == TelnetEvent::Kind::Negotiation &&
                e.code == telnet::Will && e.option == telnet::ComPort)
                send(hex("fffe2c"));
            if (e.kind != TelnetEvent::Kind::Subnegotiation || e.option != telnet::ComPort)
                continue;
            QByteArray answer = e.payload;
            if (answer.isEmpty() || answer[0] == 0 /* our signature */ ||
                (m_script != Script::Rfc2217 && m_script != Script::WrongSpeed))
                continue;
            if (m_script == Script::WrongSpeed && answer[0] == 1)
                answer = hex("0100002580");
            answer[0] = char(answer[0] + 100);
            send(telnet::subnegotiation(telnet::ComPort, answer));
        }
    }

    Script m_script;
    QTcpServer m_server;
    TelnetDecoder m_decoder;
    qint64 m_flood = 0;
    QByteArray m_lead;
    char m_filler = 0;
    QTimer m_floodTimer;
};

// The failure `open` throws, or an empty message if it throws none.
Message openFailure(Line& line, const QString& address)
{
    try {
        line.open(address, LineSettings{19200});
    } catch (const Failure& f) {
        return f.message();
    }
    return {};
}

QStringList literals(const Message& m)
{
    QStringList out;
    for (const TextArg& a : m.args)
        out << a.literal;
    return out;
}

// Feeds `wire` cut at `cuts` (ascending). Returns the data in hex, then the
// events: "C f1" (IAC NOP), "N fd 2c" (IAC DO COM-PORT), "S 2c 6608" (a
// subnegotiation and its payload).
QString decode(const QByteArray& wire, const QList<qsizetype>& cuts)
{
    TelnetDecoder decoder;
    QByteArray data;
    QList<TelnetEvent> events;
    qsizetype from = 0;
    for (qsizetype cut : cuts + QList<qsizetype>{wire.size()}) {
        decoder.feed(QByteArrayView(wire).sliced(from, cut - from), data, events);
        from = cut;
    }
    QStringList out{QString::fromLatin1(data.toHex(' '))};
    for (const TelnetEvent& e : events) {
        if (e.kind == TelnetEvent::Kind::Command)
            out << QString::asprintf("C %02x", e.code);
        else if (e.kind == TelnetEvent::Kind::Negotiation)
            out << QString::asprintf("N %02x %02x", e.code, e.option);
        else
            out << QString::asprintf("S %02x ", e.option) + QString::fromLatin1(e.payload.toHex());
    }
    return out.join(u"; ");
}
} // namespace

class TestNetLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each told in its own words; the silent one within the limit, with the
    // window's events handled meanwhile. (Nothing listening: the real-lines
    // test, once ser2net has stopped.)
    void connectFailures()
    {
        // An accept queue of one, filled and never taken from: the next
        // connection is never answered.
        QTcpServer listener;
        listener.setListenBacklogSize(0);
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        listener.pauseAccepting();
        QTcpSocket filler;
        filler.connectToHost(QHostAddress::LocalHost, listener.serverPort());
        QVERIFY(filler.waitForConnected(2000));

        const QString full = QStringLiteral("127.0.0.1:%1").arg(listener.serverPort());
        TcpLine line(600ms);
        int ticks = 0;
        QTimer clock;
        connect(&clock, &QTimer::timeout, this, [&] { ++ticks; });
        clock.start(20);
        QElapsedTimer elapsed;
        elapsed.start();
        Message m = openFailure(line, "tcp://" + full);
        const qint64 ms = elapsed.elapsed();
        QCOMPARE(int(m.id), int(strings::NetTimedOut));
        QCOMPARE(literals(m), QStringList({full, QStringLiteral("0.6")}));
        QVERIFY2(ms >= 590 && ms < 3000, qPrintable(QString::number(ms)));
        QVERIFY2(ticks >= 15, qPrintable(QStringLiteral("%1 ticks").arg(ticks)));

        m = openFailure(line, QStringLiteral("rfc2217://no-such-host.invalid:4001"));
        QCOMPARE(int(m.id), int(strings::NetHostNotFound));
        QCOMPARE(literals(m), QStringList{QStringLiteral("no-such-host.invalid")});
        QVERIFY(!line.isOpen());
    }

    void incoming_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("tcp://: as it comes") << false << hex("06fff1ffff15fffa2c6a60fff016ffff");
        QTest::newRow("rfc2217://: commands and notices apart") << true << hex("06ff1516ff");
    }
    // What was discarded is not read; over RFC 2217, commands and notices cut
    // across reads never reach the data, and the server's questions are
    // answered once each.
    void incoming()
    {
        QFETCH(bool, rfc2217);
        Server server(rfc2217 ? Script::Rfc2217 : Script::Raw);
        const std::unique_ptr<Line> line =
            rfc2217 ? std::unique_ptr<Line>(std::make_unique<Rfc2217Line>(2s))
                    : std::make_unique<TcpLine>(2s);
        line->open(server.address(rfc2217 ? "rfc2217" : "tcp"), LineSettings{9600});
        server.send(hex("15"));
        QVERIFY(QTest::qWaitFor([&] { return line->bytesWaiting() >= 1; }, 2000));
        line->discardInput();
        for (const char* piece : {"06ff", "f1ff", "ff15fffa2c", "6a60ff", "f016ff", "ff"}) {
            server.send(hex(piece));
            QTest::qWait(30); // separate reads
            line->bytesWaiting();
        }
        QFETCH(QByteArray, data);
        QVERIFY(QTest::qWaitFor([&] { return line->bytesWaiting() >= data.size(); }, 2000));
        QCOMPARE(line->readAll().toHex(' '), data.toHex(' '));
        if (rfc2217) {
            // No echo (it would read as a reply); each request answered once;
            // our name when asked for it.
            QCOMPARE(server.received.count(hex("fffe01")), 1);
            QCOMPARE(server.received.count(hex("fffb03")), 1);
            QVERIFY(server.received.contains(hex("fffb00fffd00"))); // binary both ways
            QVERIFY(server.received.contains(hex("fffa2c00") + "krntools" + hex("fff0")));
        }
        line->close();
        QVERIFY(server.waitForHangUp());
    }

    void flood_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<qint64>("rate"); // bytes a second
        QTest::addColumn<QByteArray>("lead");
        QTest::newRow("tcp://, 1 MB/s of data") << false << qint64(1'000'000) << QByteArray();
        QTest::newRow("tcp://, 12 MB/s of data") << false << qint64(12'000'000) << QByteArray();
        QTest::newRow("rfc2217://, an endless subnegotiation")
            << true << qint64(4'000'000) << hex("fffa2c");
    }
    // A server that floods: the wait keeps the first 64 bytes, counts the
    // rest, ends on time and says what it is. The frame was sent first.
    void flood()
    {
        QFETCH(bool, rfc2217);
        QFETCH(qint64, rate);
        QFETCH(QByteArray, lead);
        Server server(rfc2217 ? Script::Rfc2217 : Script::Raw);
        server.floodAfterData(rate, lead, char(0x15));
        krn::test::EngineRig rig; // the link as the programs assemble it
        Link& link = rig.link;
        const QString address = server.address(rfc2217 ? "rfc2217" : "tcp");
        QVERIFY(!link.OpenPort(LinkTarget{0, address, 9600, 1}));
        QElapsedTimer took;
        took.start();
        const Delivery d = link.SendFrame(1, 0x0A, hex("00"), AckWait{1000ms});
        QVERIFY2(took.elapsed() < 1500, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(d.kind, DeliveryKind::LineFault);
        QCOMPARE(int(d.message.id), int(strings::LineFlood));
        QCOMPARE(d.message.args.value(0).literal, address);
        QVERIFY(d.reply.size() <= ReplyKept);
        QCOMPARE(d.reply.isEmpty(), rfc2217); // a subnegotiation holds no data
        QVERIFY(server.received.contains(hex("5aa50701000a00f3")));
    }

    void rfc2217SetupFailures_data()
    {
        QTest::addColumn<int>("script");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("args"); // %1: host:port
        // clang-format off
        QTest::newRow("com-port option refused") << int(Script::RefusesComPort) << int(strings::Rfc2217Refused) << "%1";
        QTest::newRow("server says nothing") << int(Script::Raw) << int(strings::Rfc2217NoAnswer) << "%1|0.4";
        QTest::newRow("other speed confirmed") << int(Script::WrongSpeed) << int(strings::Rfc2217SettingsRefused) << "%1|19200 8O1|9600 8O1";
        // clang-format on
    }
    // Told in plain words, the line stays closed, and the connection is not
    // left behind. (A server that hangs up: the second user of ser2net in the real-lines test.)
    void rfc2217SetupFailures()
    {
        QFETCH(int, script);
        QFETCH(int, failure);
        QFETCH(QString, args);
        Server server{Script(script)};
        Rfc2217Line line(400ms);
        const Message m = openFailure(line, server.address("rfc2217"));
        QCOMPARE(int(m.id), failure);
        QCOMPARE(literals(m).join(u'|'), args.arg(server.hostPort()));
        QVERIFY(!line.isOpen());
        QVERIFY(server.waitForHangUp());
    }

    void splitAnywhere_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("decoded");
        // clang-format off
        QTest::newRow("doubled FF is one data FF, a lone one waits") << hex("5affffffff00ff") << "5a ff ff 00";
        QTest::newRow("negotiations") << hex("fffb03fffd2c") << "; N fb 03; N fd 2c";
        QTest::newRow("setting answers around reply bytes") << hex("06fffa2c6500004b00fff015fffa2c6608fff0") << "06 15; S 2c 6500004b00; S 2c 6608";
        QTest::newRow("FF inside a subnegotiation") << hex("fffa2c650000fffffffffff041") << "41; S 2c 650000ffff";
        QTest::newRow("commands, a stray SE among them") << hex("01fff102fff003") << "01 02 03; C f1; C f0";
        QTest::newRow("a command inside a subnegotiation is dropped") << hex("fffa2c6bfff110fff041") << "41; S 2c 6b10";
        QTest::newRow("an empty subnegotiation is nothing") << hex("fffafff041") << "41";
        // clang-format on
    }
    // Byte by byte, and cut at every pair of positions, decodes as in one piece.
    void splitAnywhere()
    {
        QFETCH(QByteArray, wire);
        QFETCH(QString, decoded);
        QList<qsizetype> everyByte;
        for (qsizetype i = 1; i < wire.size(); ++i)
            everyByte << i;
        QCOMPARE(decode(wire, everyByte), decoded);
        for (qsizetype i = 0; i <= wire.size(); ++i) {
            for (qsizetype j = i; j <= wire.size(); ++j) {
                const QString got = decode(wire, {i, j});
                if (got != decoded)
                    QFAIL(
                        qPrintable(QStringLiteral("cut at %1 and %2: %3").arg(i).arg(j).arg(got)));
            }
        }
    }

    // Every byte value comes back as it was escaped; a subnegotiation doubles
    // its FF bytes too.
    void escaping()
    {
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every.append(char(b)).append('\xFF');
        QCOMPARE(decode(telnet::escape(every), {1, 255, 256, 257}),
                 QString::fromLatin1(every.toHex(' ')));
        QCOMPARE(telnet::subnegotiation(44, hex("0100ffff")).toHex(' '),
                 hex("fffa2c0100fffffffffff0").toHex(' '));
    }

    // A peer that never ends its subnegotiation costs bounded memory, and the
    // data after its end still arrives.
    void endlessSubnegotiationIsCutShort()
    {
        TelnetDecoder decoder;
        QByteArray data;
        QList<TelnetEvent> events;
        decoder.feed(hex("fffa2c6a") + QByteArray(100000, '\x11') + hex("fff006"), data, events);
        QCOMPARE(data.toHex(), QByteArray("06"));
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].payload.size(), TelnetDecoder::MaxSubnegotiation - 1);
    }
};

QTEST_GUILESS_MAIN(TestNetLine)
#include "tst_netline.moc"
