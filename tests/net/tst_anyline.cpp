// Which line an address opens, and what a malformed address is told as.

#include "core/failure.h"
#include "link/anyline.h"
#include "link/netaddress.h"
#include "strings/stringtable.h"

#include <QTest>

using namespace krn;

namespace {
// Notes what is asked of it in a log shared by the three lines.
class RecordingLine : public Line {
public:
    RecordingLine(const char* name, QStringList& log) : m_name(QLatin1String(name)), m_log(log) {}
    bool isOpen() const override { return m_open; }
    void open(const QString& address, const LineSettings& s) override
    {
        note(QStringLiteral("open %1 %2").arg(address).arg(s.baudRate));
        m_open = true;
    }
    void close() override { m_open = false, note("close"); }
    qint64 bytesWaiting() override { return note("bytesWaiting"), 1; }
    void discardInput() override { note("discardInput"); }
    QByteArray readAll() override { return note("readAll"), m_name.toLatin1(); }
    void write(const QByteArray& bytes) override
    {
        note(QStringLiteral("write ") + QString::fromLatin1(bytes.toHex()));
    }
    std::optional<Message> takeFault() override { return note("takeFault"), std::nullopt; }
    QString settingsNote(const LineSettings&) const override { return m_name; }

private:
    void note(const QString& what) const { m_log << m_name + u' ' + what; }
    QString m_name;
    QStringList& m_log;
    bool m_open = false;
};

struct Rig {
    QStringList log;
    AnyLine line{std::make_unique<RecordingLine>("serial", log),
                 std::make_unique<RecordingLine>("tcp", log),
                 std::make_unique<RecordingLine>("rfc2217", log)};
};
} // namespace

class TestAnyLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

    void picksByAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("line");
        QTest::newRow("serial device") << "/dev/ttyUSB0"
                                       << "serial";
        QTest::newRow("raw TCP") << "tcp://10.0.0.5:4001"
                                 << "tcp";
        QTest::newRow("RFC 2217") << "rfc2217://10.0.0.5:2217"
                                  << "rfc2217";
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
        QCOMPARE(rig.log.join(u','),
                 QStringLiteral("%1 open %2 19200,%1 discardInput,%1 write 5aa5,"
                                "%1 bytesWaiting,%1 readAll,%1 takeFault,%1 close")
                     .arg(line, address));
    }

    // A malformed address is refused before anything is closed; a line of
    // another kind never stays open behind the one opened now.
    void switchingLines()
    {
        Rig rig;
        rig.line.open(QStringLiteral("tcp://10.0.0.5:4001"), LineSettings{});
        QVERIFY_THROWS_EXCEPTION(Failure, rig.line.open(QStringLiteral("rfc2217://10.0.0.5"), {}));
        QCOMPARE(rig.log.size(), 1);
        QVERIFY(rig.line.isOpen());
        rig.line.open(QStringLiteral("/dev/ttyS0"), LineSettings{});
        QCOMPARE(rig.log, QStringList({"tcp open tcp://10.0.0.5:4001 9600", "tcp close",
                                       "serial open /dev/ttyS0 9600"}));
    }
};

QTEST_GUILESS_MAIN(TestAnyLine)
#include "tst_anyline.moc"
