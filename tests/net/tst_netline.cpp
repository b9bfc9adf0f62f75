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
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace krn;
using namespace std::chrono_literals;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// What a scripted device server does.
enum class Script {
    Raw,            // says nothing, keeps what arrives
    Rfc2217,        // greets as ser2net does and confirms every setting
    RefusesComPort, // Telnet without the com-port option
    WrongSpeed,     // confirms 9600 bit/s whatever was asked
    ClosesInSetup,  // hangs up when asked for the com-port option
};

// Com-port commands (IAC SB 2C cmd value IAC SE) found in `bytes`, value unescaped.
QList<QByteArray> comPortCommands(const QByteArray& bytes)
{
    QList<QByteArray> found;
    for (qsizetype at = bytes.indexOf(hex("fffa2c")); at >= 0;
         at = bytes.indexOf(hex("fffa2c"), at + 1)) {
        QByteArray body;
        for (qsizetype i = at + 3; i + 1 < bytes.size(); ++i) {
            if (quint8(bytes[i]) == 0xFF && quint8(bytes[i + 1]) == 0xF0) {
                found << body;
                break;
            }
            body.append(bytes[i]);
            if (quint8(bytes[i]) == 0xFF)
                ++i; // a doubled FF
        }
    }
    return found;
}

class Server {
public:
    explicit Server(Script script) : m_script(script)
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            peer = m_server.nextPendingConnection();
            received.clear();
            m_answered = 0;
            QObject::connect(peer, &QTcpSocket::readyRead, peer, [this] { onData(); });
            if (m_script != Script::Raw)
                // ser2net's own greeting, and a request for our signature.
                send(hex("fffb03fffd03fffb01fffe01fffd00fffb00") +
                     (m_script == Script::RefusesComPort ? QByteArray() : hex("fffd2c")) +
                     hex("fffa2c64fff0"));
        });
    }
    QString address(const char* scheme) const
    {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(QLatin1String(scheme))
            .arg(m_server.serverPort());
    }
    QString hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    void send(const QByteArray& bytes)
    {
        peer->write(bytes);
        peer->flush();
    }
    // Data that arrived after the Telnet setup (the last com-port command).
    QByteArray dataAfterSetup() const
    {
        const qsizetype stop = received.lastIndexOf(hex("fffa2c04"));
        return stop < 0 ? received : received.mid(received.indexOf(hex("fff0"), stop) + 2);
    }

    QTcpSocket* peer = nullptr;
    QByteArray received;

private:
    void onData()
    {
        received += peer->readAll();
        if (m_script == Script::RefusesComPort && received.contains(hex("fffb2c")) && !m_answered++)
            send(hex("fffe2c"));
        if (m_script == Script::ClosesInSetup && received.contains(hex("fffb2c")))
            peer->close();
        if (m_script != Script::Rfc2217 && m_script != Script::WrongSpeed)
            return;
        const QList<QByteArray> commands = comPortCommands(received);
        for (; m_answered < commands.size(); ++m_answered) {
            QByteArray answer = commands[m_answered];
            if (answer.isEmpty() || answer[0] == 0 /* our signature */)
                continue;
            if (m_script == Script::WrongSpeed && answer[0] == 1)
                answer = hex("0100002580");
            answer[0] = char(answer[0] + 100);
            QByteArray wire = hex("fffa2c");
            for (char c : answer)
                wire.append(c).append(quint8(c) == 0xFF ? QByteArray(1, c) : QByteArray());
            send(wire + hex("fff0"));
        }
    }

    Script m_script;
    QTcpServer m_server;
    int m_answered = 0;
};

// The failure `open` throws, or an empty message if it throws none.
Message openFailure(Line& line, const QString& address, qint32 baud = 19200)
{
    try {
        line.open(address, LineSettings{baud});
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
        QTest::newRow("nothing listens") << QStringLiteral("refused") << int(strings::NetRefused);
        QTest::newRow("no such host") << QStringLiteral("nohost") << int(strings::NetHostNotFound);
        QTest::newRow("no answer to the connection")
            << QStringLiteral("full") << int(strings::NetTimedOut);
    }
    // Each told in its own words, within the limit, with the window's events
    // handled meanwhile.
    void connectFailures()
    {
        QFETCH(QString, what);
        QFETCH(int, failure);
        QString address;
        QStringList args;
        int listener = -1;
        QTcpSocket filler;
        if (what == QLatin1String("refused")) {
            QTcpServer closed;
            closed.listen(QHostAddress::LocalHost);
            const quint16 port = closed.serverPort();
            closed.close();
            address = QStringLiteral("tcp://127.0.0.1:%1").arg(port);
            args << QStringLiteral("127.0.0.1:%1").arg(port);
        } else if (what == QLatin1String("nohost")) {
            address = QStringLiteral("rfc2217://no-such-host.invalid:4001");
            args << QStringLiteral("no-such-host.invalid");
        } else {
            // An accept queue of one, filled: the next connection is never answered.
            listener = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t len = sizeof a;
            QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0);
            QVERIFY(::listen(listener, 0) == 0);
            QVERIFY(::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) == 0);
            const quint16 port = ntohs(a.sin_port);
            filler.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(filler.waitForConnected(2000));
            address = QStringLiteral("tcp://127.0.0.1:%1").arg(port);
            args << QStringLiteral("127.0.0.1:%1").arg(port) << QStringLiteral("0.6");
        }

        TcpLine line(600ms);
        int ticks = 0;
        QTimer clock;
        connect(&clock, &QTimer::timeout, this, [&] { ++ticks; });
        clock.start(20);
        QElapsedTimer elapsed;
        elapsed.start();
        const Message m = openFailure(line, address);
        const qint64 ms = elapsed.elapsed();
        if (listener >= 0)
            ::close(listener);
        QCOMPARE(int(m.id), failure);
        QCOMPARE(literals(m), args);
        QVERIFY(!line.isOpen());
        QVERIFY2(ms < 3000, qPrintable(QString::number(ms)));
        if (what == QLatin1String("full")) {
            QVERIFY2(ms >= 590, qPrintable(QString::number(ms)));
            QVERIFY2(ticks >= 15, qPrintable(QStringLiteral("%1 ticks").arg(ticks)));
        }
    }

    void rawLinePassesBytesAsTheyAre()
    {
        Server server(Script::Raw);
        TcpLine line(2s);
        line.open(server.address("tcp"), LineSettings{19200});
        QVERIFY(line.isOpen());
        line.write(hex("5aa5ffff00"));
        QVERIFY(QTest::qWaitFor([&] { return server.received.size() >= 5; }, 2000));
        QCOMPARE(server.received.toHex(' '), hex("5aa5ffff00").toHex(' '));
        server.send(hex("06ff"));
        QVERIFY(QTest::qWaitFor([&] { return line.bytesWaiting() >= 2; }, 2000));
        QCOMPARE(line.readAll().toHex(' '), hex("06ff").toHex(' '));
        server.send(hex("15"));
        QVERIFY(QTest::qWaitFor([&] { return line.bytesWaiting() >= 1; }, 2000));
        line.discardInput();
        QCOMPARE(line.bytesWaiting(), 0);
        line.close();
        QVERIFY(!line.isOpen());
        QVERIFY(QTest::qWaitFor(
            [&] { return server.peer->state() == QAbstractSocket::UnconnectedState; }, 2000));
    }

    void serverClosingIsAFault_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::newRow("raw TCP") << false;
        QTest::newRow("RFC 2217") << true;
    }
    // Like an adapter pulled out: the line closes, says why once, and nothing spins.
    void serverClosingIsAFault()
    {
        QFETCH(bool, rfc2217);
        Server server(rfc2217 ? Script::Rfc2217 : Script::Raw);
        std::unique_ptr<TcpLine> line =
            rfc2217 ? std::make_unique<Rfc2217Line>(2s) : std::make_unique<TcpLine>(2s);
        line->open(server.address(rfc2217 ? "rfc2217" : "tcp"), LineSettings{9600});
        QVERIFY(line->isOpen());
        server.peer->close();
        QVERIFY(QTest::qWaitFor([&] { return !line->isOpen(); }, 2000));
        const double cpuBefore = cpuMs();
        QTest::qWait(300);
        const double cpu = cpuMs() - cpuBefore;
        QVERIFY2(cpu < 100, qPrintable(QStringLiteral("%1 ms of CPU in 300 ms").arg(cpu)));

        const std::optional<Message> fault = line->takeFault();
        QVERIFY(fault);
        QCOMPARE(int(fault->id), int(strings::NetClosedByServer));
        QCOMPARE(literals(*fault), QStringList{server.hostPort()});
        QVERIFY(!line->takeFault());
        try {
            line->write(hex("5aa5"));
            QFAIL("wrote to a closed line");
        } catch (const Failure& f) {
            QCOMPARE(int(f.message().id), int(strings::NetNotOpen));
        }
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
            QVERIFY(got.contains(hex("fffe01")));       // no echo: it would read as a reply
            QCOMPARE(got.count(hex("fffe01")), 1);
            QCOMPARE(got.count(hex("fffb03")), 1);
            QCOMPARE(comPortCommands(got),
                     QList<QByteArray>({hex("00") + "krntools", hex("0100004b00") /* 19200 */,
                                        hex("0208"), hex("0302"), hex("0401")}));
            line.close();
            QVERIFY(QTest::qWaitFor(
                [&] { return server.peer->state() == QAbstractSocket::UnconnectedState; }, 2000));
        }
    }

    // FF doubled on the way out; on the way in, commands and notices cut
    // across reads never reach the data.
    void rfc2217Data()
    {
        Server server(Script::Rfc2217);
        Rfc2217Line line(2s);
        line.open(server.address("rfc2217"), LineSettings{9600});
        line.discardInput();
        line.write(hex("5aa50d01000bffff0010"));
        QVERIFY(QTest::qWaitFor([&] { return server.dataAfterSetup().size() >= 12; }, 2000));
        QCOMPARE(server.dataAfterSetup().toHex(' '), hex("5aa50d01000bffffffff0010").toHex(' '));

        for (const char* piece : {"06ff", "f1ff", "ff15fffa2c", "6a60ff", "f016ff", "ff"}) {
            server.send(hex(piece));
            QTest::qWait(30); // separate reads
            line.bytesWaiting();
        }
        QVERIFY(QTest::qWaitFor([&] { return line.bytesWaiting() >= 4; }, 2000));
        QCOMPARE(line.readAll().toHex(' '), hex("06ff1516ff").toHex(' '));
    }

    void rfc2217SetupFailures_data()
    {
        QTest::addColumn<int>("script");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("more"); // arguments after host:port
        QTest::newRow("com-port option refused")
            << int(Script::RefusesComPort) << int(strings::Rfc2217Refused) << QString();
        QTest::newRow("server says nothing")
            << int(Script::Raw) << int(strings::Rfc2217NoAnswer) << QStringLiteral("0.4");
        QTest::newRow("other speed confirmed")
            << int(Script::WrongSpeed) << int(strings::Rfc2217SettingsRefused)
            << QStringLiteral("19200 8O1|9600 8O1");
        QTest::newRow("hangs up during setup")
            << int(Script::ClosesInSetup) << int(strings::NetClosedWhileOpening) << QString();
    }
    // Told in plain words, the line stays closed, and the connection is not
    // left behind.
    void rfc2217SetupFailures()
    {
        QFETCH(int, script);
        QFETCH(int, failure);
        QFETCH(QString, more);
        Server server{Script(script)};
        Rfc2217Line line(400ms);
        const Message m = openFailure(line, server.address("rfc2217"));
        QCOMPARE(int(m.id), failure);
        QStringList args{server.hostPort()};
        if (!more.isEmpty())
            args += more.split(QLatin1Char('|'));
        QCOMPARE(literals(m), args);
        QVERIFY(!line.isOpen());
        QVERIFY(QTest::qWaitFor(
            [&] { return server.peer->state() == QAbstractSocket::UnconnectedState; }, 2000));
    }
};

QTEST_GUILESS_MAIN(TestNetLine)
#include "tst_netline.moc"
