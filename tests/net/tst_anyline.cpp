// Which line an address opens, and what a malformed address is told as.

#include "core/failure.h"
#include "link/anyline.h"
#include "link/netaddress.h"
#include "strings/stringtable.h"

#include <QTest>

using namespace krn;

namespace {
// Records what is asked of it in a log shared by the three lines.
class RecordingLine : public Line {
public:
    RecordingLine(QString name, QStringList& log) : m_name(std::move(name)), m_log(log) {}
    bool isOpen() const override { return m_open; }
    void open(const QString& address, const LineSettings& settings) override
    {
        note(QStringLiteral("open %1 %2").arg(address).arg(settings.baudRate));
        m_open = true;
    }
    void close() override
    {
        note(QStringLiteral("close"));
        m_open = false;
    }
    qint64 bytesWaiting() override { return note(QStringLiteral("bytesWaiting")), 1; }
    void discardInput() override { note(QStringLiteral("discardInput")); }
    QByteArray readAll() override { return note(QStringLiteral("readAll")), m_name.toLatin1(); }
    void write(const QByteArray& bytes) override
    {
        note(QStringLiteral("write ") + QString::fromLatin1(bytes.toHex()));
    }
    std::optional<Message> takeFault() override
    {
        note(QStringLiteral("takeFault"));
        return std::nullopt;
    }
    QString settingsNote(const LineSettings&) const override { return m_name; }

private:
    void note(const QString& what) const { m_log << m_name + QLatin1Char(' ') + what; }
    QString m_name;
    QStringList& m_log;
    bool m_open = false;
};

struct Rig {
    QStringList log;
    AnyLine line{std::make_unique<RecordingLine>(QStringLiteral("serial"), log),
                 std::make_unique<RecordingLine>(QStringLiteral("tcp"), log),
                 std::make_unique<RecordingLine>(QStringLiteral("rfc2217"), log)};
};
} // namespace

class TestAnyLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("failure"); // text id, 0 = parses
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("hostPort");

        const auto ok = [](const char* name, const char* address, bool rfc, const char* host,
                           int port, const char* hostPort) {
            QTest::newRow(name) << QString::fromUtf8(address) << 0 << rfc << QString::fromUtf8(host)
                                << port << QString::fromUtf8(hostPort);
        };
        const auto bad = [](const char* name, const char* address, int id) {
            QTest::newRow(name) << QString::fromUtf8(address) << id << false << QString() << 0
                                << QString();
        };
        ok("raw", "tcp://192.168.1.20:4001", false, "192.168.1.20", 4001, "192.168.1.20:4001");
        ok("scheme in capitals", "TCP://dev-server:1", false, "dev-server", 1, "dev-server:1");
        ok("rfc2217", "rfc2217://10.0.0.5:2217", true, "10.0.0.5", 2217, "10.0.0.5:2217");
        ok("IPv6 in brackets, blanks and a slash", " rfc2217://[::1]:65535/ ", true, "::1", 65535,
           "[::1]:65535");
        bad("no port", "tcp://dev-server", strings::NetNoPort);
        bad("empty port", "tcp://dev-server:", strings::NetNoPort);
        bad("IPv6 without a port", "tcp://[::1]", strings::NetNoPort);
        bad("no host", "tcp://:4001", strings::NetNoHost);
        bad("IPv6 without brackets", "rfc2217://::1:4001", strings::NetNoHost);
        bad("port 0", "tcp://h:0", strings::NetBadPort);
        bad("port 65536", "tcp://h:65536", strings::NetBadPort);
        bad("port with a letter", "tcp://h:40O1", strings::NetBadPort);
        bad("negative port", "tcp://h:-4001", strings::NetBadPort);
        bad("another scheme", "telnet://h:23", strings::NetNotAnAddress);
    }
    void parse()
    {
        QFETCH(QString, address);
        QFETCH(int, failure);
        try {
            const NetAddress net = NetAddress::parse(address);
            QCOMPARE(0, failure);
            QFETCH(bool, rfc2217);
            QFETCH(QString, host);
            QFETCH(int, port);
            QFETCH(QString, hostPort);
            QCOMPARE(net.kind == NetAddress::Kind::Rfc2217, rfc2217);
            QCOMPARE(net.host, host);
            QCOMPARE(int(net.port), port);
            QCOMPARE(net.hostPort(), hostPort);
        } catch (const Failure& f) {
            QCOMPARE(int(f.message().id), failure);
            // The message names what the operator wrote.
            QVERIFY(!f.message().args.isEmpty());
            QCOMPARE(f.message().args.first().literal, address.trimmed());
        }
    }

    void picksByAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("line");
        QTest::newRow("serial device")
            << QStringLiteral("/dev/ttyUSB0") << QStringLiteral("serial");
        QTest::newRow("COM port") << QStringLiteral("COM3") << QStringLiteral("serial");
        QTest::newRow("raw TCP") << QStringLiteral("tcp://10.0.0.5:4001") << QStringLiteral("tcp");
        QTest::newRow("RFC 2217") << QStringLiteral("rfc2217://10.0.0.5:2217")
                                  << QStringLiteral("rfc2217");
    }
    // Opening goes to the line the address names, and every operation after
    // it goes to the same line.
    void picksByAddress()
    {
        QFETCH(QString, address);
        QFETCH(QString, line);
        Rig rig;
        rig.line.open(address, LineSettings{19200});
        QVERIFY(rig.line.isOpen());
        rig.line.discardInput();
        rig.line.write(QByteArray::fromHex("5aa5"));
        QCOMPARE(rig.line.bytesWaiting(), 1);
        QCOMPARE(rig.line.readAll(), line.toLatin1());
        QVERIFY(!rig.line.takeFault());
        QCOMPARE(rig.line.settingsNote(LineSettings{19200}), line);
        rig.line.close();
        QVERIFY(!rig.line.isOpen());
        const QString p = line + QLatin1Char(' ');
        QCOMPARE(rig.log,
                 QStringList({p + QStringLiteral("open ") + address + QStringLiteral(" 19200"),
                              p + QStringLiteral("discardInput"), p + QStringLiteral("write 5aa5"),
                              p + QStringLiteral("bytesWaiting"), p + QStringLiteral("readAll"),
                              p + QStringLiteral("takeFault"), p + QStringLiteral("close")}));
    }

    void malformedAddressOpensNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("failure");
        QTest::newRow("no port") << QStringLiteral("rfc2217://10.0.0.5") << int(strings::NetNoPort);
        QTest::newRow("unknown scheme")
            << QStringLiteral("udp://10.0.0.5:4001") << int(strings::NetNotAnAddress);
    }
    void malformedAddressOpensNothing()
    {
        QFETCH(QString, address);
        QFETCH(int, failure);
        Rig rig;
        rig.line.open(QStringLiteral("tcp://10.0.0.5:4001"), LineSettings{});
        rig.log.clear();
        try {
            rig.line.open(address, LineSettings{});
            QFAIL("opened a malformed address");
        } catch (const Failure& f) {
            QCOMPARE(int(f.message().id), failure);
        }
        // Nothing was closed or opened for it.
        QCOMPARE(rig.log, QStringList());
        QVERIFY(rig.line.isOpen());
    }

    // A line of another kind never stays open behind the one opened now.
    void switchingKindClosesTheOther()
    {
        Rig rig;
        rig.line.open(QStringLiteral("tcp://10.0.0.5:4001"), LineSettings{});
        rig.line.open(QStringLiteral("/dev/ttyS0"), LineSettings{});
        QCOMPARE(rig.log, QStringList({QStringLiteral("tcp open tcp://10.0.0.5:4001 9600"),
                                       QStringLiteral("tcp close"),
                                       QStringLiteral("serial open /dev/ttyS0 9600")}));
    }
};

QTEST_GUILESS_MAIN(TestAnyLine)
#include "tst_anyline.moc"
