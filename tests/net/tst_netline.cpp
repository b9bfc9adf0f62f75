// The network lines against servers the test scripts itself: the corners a
// real device server does not show on demand (refusing the com-port option,
// wrong settings, silence, a full accept queue, commands cut across reads).

#include "core/failure.h"
#include "link/rfc2217line.h"
#include "link/tcpline.h"
#include "strings/stringtable.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
    ClosesInSetup,  // hangs up when offered the com-port option
};

class Server {
public:
    explicit Server(Script script) : m_script(script)
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            peer = m_server.nextPendingConnection();
            received.clear();
            comPort.clear();
            m_decoder.reset();
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

    QTcpSocket* peer = nullptr;
    QByteArray received;       // as it came over the wire
    QList<QByteArray> comPort; // the com-port commands in it, FF undoubled

private:
    void onData()
    {
        const QByteArray bytes = peer->readAll();
        received += bytes;
        QByteArray data;
        QList<TelnetEvent> events;
        m_decoder.feed(bytes, data, events);
        for (const TelnetEvent& e : events) {
            if (e.kind == TelnetEvent::Kind::Negotiation && e.code == telnet::Will &&
                e.option == telnet::ComPort) {
                if (m_script == Script::ClosesInSetup)
                    return peer->close();
                if (m_script == Script::RefusesComPort)
                    send(hex("fffe2c"));
            }
            if (e.kind != TelnetEvent::Kind::Subnegotiation || e.option != telnet::ComPort)
                continue;
            comPort << e.payload;
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
} // namespace

class TestNetLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void connectFailures_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("failure");
        QTest::newRow("no such host") << "nohost" << int(strings::NetHostNotFound);
        QTest::newRow("no answer to the connection") << "full" << int(strings::NetTimedOut);
    }
    // Each told in its own words, within the limit, with the window's events
    // handled meanwhile. (Nothing listening: the link over ser2net.)
    void connectFailures()
    {
        QFETCH(QString, what);
        QFETCH(int, failure);
        quint16 port = 0;
        int listener = -1;
        QTcpSocket filler;
        if (what == QLatin1String("full")) {
            // An accept queue of one, filled: the next connection is never answered.
            listener = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t len = sizeof a;
            QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
                    ::listen(listener, 0) == 0 &&
                    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) == 0);
            port = ntohs(a.sin_port);
            filler.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(filler.waitForConnected(2000));
        }
        const QString hostPort = QStringLiteral("127.0.0.1:%1").arg(port);
        QStringList args{port ? hostPort : QStringLiteral("no-such-host.invalid")};
        if (listener >= 0)
            args << QStringLiteral("0.6");

        TcpLine line(600ms);
        int ticks = 0;
        QTimer clock;
        connect(&clock, &QTimer::timeout, this, [&] { ++ticks; });
        clock.start(20);
        QElapsedTimer elapsed;
        elapsed.start();
        const Message m = openFailure(
            line, port ? "tcp://" + hostPort : QStringLiteral("rfc2217://%1:4001").arg(args[0]));
        const qint64 ms = elapsed.elapsed();
        if (listener >= 0)
            ::close(listener);
        QCOMPARE(int(m.id), failure);
        QCOMPARE(literals(m), args);
        QVERIFY(!line.isOpen());
        QVERIFY2(ms < 3000, qPrintable(QString::number(ms)));
        if (listener >= 0) {
            QVERIFY2(ms >= 590, qPrintable(QString::number(ms)));
            QVERIFY2(ticks >= 15, qPrintable(QStringLiteral("%1 ticks").arg(ticks)));
        }
    }

    // FF comes in unchanged; what was discarded is not read.
    void rawLinePassesBytesAsTheyAre()
    {
        Server server(Script::Raw);
        TcpLine line(2s);
        line.open(server.address("tcp"), LineSettings{19200});
        server.send(hex("15"));
        QVERIFY(QTest::qWaitFor([&] { return line.bytesWaiting() >= 1; }, 2000));
        line.discardInput();
        server.send(hex("06ff"));
        QVERIFY(QTest::qWaitFor([&] { return line.bytesWaiting() >= 2; }, 2000));
        QCOMPARE(line.readAll().toHex(' '), hex("06ff").toHex(' '));
        line.close();
        QVERIFY(!line.isOpen());
        QVERIFY(server.waitForHangUp());
    }

    // The com-port option negotiated, the settings sent and confirmed, Telnet
    // requests answered once, and the server's question for our name answered.
    void rfc2217SetsTheLine()
    {
        Server server(Script::Rfc2217);
        Rfc2217Line line(2s);
        for (int round = 0; round < 2; ++round) { // the link opens the line for every command
            line.open(server.address("rfc2217"), LineSettings{19200});
            QVERIFY(line.isOpen());
            const QByteArray& got = server.received;
            QVERIFY(got.contains(hex("fffb2c")));       // WILL COM-PORT-OPTION
            QVERIFY(got.contains(hex("fffb00fffd00"))); // binary both ways
            QCOMPARE(got.count(hex("fffe01")), 1);      // no echo: it would read as a reply
            QCOMPARE(got.count(hex("fffb03")), 1);
            QCOMPARE(server.comPort,
                     QList<QByteArray>({hex("00") + "krntools", hex("0100004b00") /* 19200 */,
                                        hex("0208"), hex("0302"), hex("0401")}));
            line.close();
            QVERIFY(server.waitForHangUp());
        }
    }

    // FF doubled on the way out; on the way in, commands and notices cut
    // across reads never reach the data.
    void rfc2217Data()
    {
        Server server(Script::Rfc2217);
        Rfc2217Line line(2s);
        line.open(server.address("rfc2217"), LineSettings{9600});
        line.write(hex("5aa50d01000bffff0010"));
        QVERIFY(QTest::qWaitFor(
            [&] { return server.received.endsWith(hex("5aa50d01000bffffffff0010")); }, 2000));

        for (const char* piece : {"06ff", "f1ff", "ff15fffa2c", "6a60ff", "f016ff", "ff"}) {
            server.send(hex(piece));
            QTest::qWait(30); // separate reads
            line.bytesWaiting();
        }
        QVERIFY(QTest::qWaitFor([&] { return line.bytesWaiting() >= 5; }, 2000));
        QCOMPARE(line.readAll().toHex(' '), hex("06ff1516ff").toHex(' '));
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
        QTest::newRow("hangs up during setup") << int(Script::ClosesInSetup) << int(strings::NetClosedWhileOpening) << "%1";
        // clang-format on
    }
    // Told in plain words, the line stays closed, and the connection is not
    // left behind.
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
};

QTEST_GUILESS_MAIN(TestNetLine)
#include "tst_netline.moc"
