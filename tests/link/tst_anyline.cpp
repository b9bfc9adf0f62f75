// Which line an address opens, and what a malformed address is told as.

#include "core/failure.h"
#include "link/anyline.h"
#include "link/netaddress.h"
#include "strings/stringtable.h"

#include <QTest>

using namespace krn;

namespace {
// Notes its opening, closing and writes in a log shared by the three lines.
class RecordingLine : public Line {
public:
    RecordingLine(const char* name, LineKind kind, QStringList& log)
        : m_name(QLatin1String(name)), m_kind(kind), m_log(log)
    {
    }
    bool isOpen() const override { return m_open; }
    void open(const QString&, const LineSettings&) override { m_open = true, note("open"); }
    void close() override { m_open = false, note("close"); }
    qint64 bytesWaiting() override { return 0; }
    void discardInput() override {}
    QByteArray readAll() override { return {}; }
    void write(const QByteArray&) override { note("write"); }
    std::optional<Message> takeFault() override { return std::nullopt; }
    LineKind kind() const override { return m_kind; }
    bool setSpeed(const LineSettings&) override { return note("speed"), true; }
    qint64 wireBytes() const override { return 0; }

private:
    void note(const char* what) const { m_log << m_name + u' ' + QLatin1String(what); }
    QString m_name;
    LineKind m_kind;
    QStringList& m_log;
    bool m_open = false;
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

    // Each address opens the line it names, and the operations after it go
    // there. A malformed address is refused before anything is closed; a line
    // of another kind never stays open behind the one opened now. (The real
    // lines behind it: the link over ser2net and over a pty.)
    void picksByAddress()
    {
        QStringList log;
        AnyLine line{std::make_unique<RecordingLine>("serial", LineKind::Serial, log),
                     std::make_unique<RecordingLine>("tcp", LineKind::RawTcp, log),
                     std::make_unique<RecordingLine>("rfc2217", LineKind::Rfc2217, log)};
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

QTEST_GUILESS_MAIN(TestAnyLine)
#include "tst_anyline.moc"
