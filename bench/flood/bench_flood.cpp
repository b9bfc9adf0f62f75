// Prints what a flooding device server costs: the peak memory of the
// process, how long each 3000 ms wait took from its send, and the size of the
// JSON line the command-line tool would print, at 1, 4 and 12 MB/s of data
// and for an endless Telnet subnegotiation. Figures only; it never fails.

#include "cli/report.h"
#include "commands/engine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

using namespace krn;

namespace {

double peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

// Accepts one client; once a frame came, sends `rate` bytes a second in 10 ms
// pieces; for RFC 2217 it first agrees to the options and confirms settings.
class Flooder : public QObject {
public:
    Flooder(qint64 rate, bool rfc2217, bool subnegotiation)
        : m_rate(rate), m_rfc2217(rfc2217), m_sub(subnegotiation)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_peer = m_server.nextPendingConnection();
            connect(m_peer, &QTcpSocket::readyRead, this, [this] { onData(); });
        });
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (m_peer && m_peer->bytesToWrite() < 8 * 1024 * 1024)
                m_peer->write(std::exchange(m_lead, {}) + QByteArray(m_rate / 100, char(0x15)));
        });
        if (m_sub)
            m_lead = QByteArray::fromHex("fffa2c");
    }
    QString address() const
    {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(QLatin1String(m_rfc2217 ? "rfc2217" : "tcp"))
            .arg(m_server.serverPort());
    }

private:
    void onData()
    {
        const QByteArray bytes = m_peer->readAll();
        if (m_rfc2217) {
            // WILL/DO answered as asked; each com-port SET confirmed as sent.
            for (qsizetype i = 0; i + 2 < bytes.size(); ++i) {
                const quint8 verb = quint8(bytes[i + 1]);
                if (quint8(bytes[i]) == 0xFF && (verb == 0xFB || verb == 0xFD))
                    m_peer->write(QByteArray::fromHex(verb == 0xFB ? "fffd" : "fffb") +
                                  bytes.mid(i + 2, 1));
                if (quint8(bytes[i]) == 0xFF && verb == 0xFA && quint8(bytes[i + 2]) == 44) {
                    const qsizetype end = bytes.indexOf(QByteArray::fromHex("fff0"), i);
                    QByteArray answer = bytes.mid(i, end + 2 - i);
                    answer[3] = char(quint8(answer[3]) + 100);
                    m_peer->write(answer);
                }
            }
        }
        if (bytes.contains(char(0x5A)) && !m_timer.isActive())
            m_timer.start(10);
    }

    qint64 m_rate;
    bool m_rfc2217, m_sub;
    QByteArray m_lead;
    QTcpServer m_server;
    QTcpSocket* m_peer = nullptr;
    QTimer m_timer;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("%-40s %10s %12s %10s %10s\n", "device server", "wait", "received", "JSON line",
                "peak RSS");
    struct Case {
        const char* name;
        qint64 rate;
        bool rfc2217, sub;
    };
    for (const Case& c : {Case{"tcp://, 1 MB/s of data", 1'000'000, false, false},
                          Case{"tcp://, 4 MB/s of data", 4'000'000, false, false},
                          Case{"tcp://, 12 MB/s of data", 12'000'000, false, false},
                          Case{"rfc2217://, endless subnegotiation", 4'000'000, true, true}}) {
        Flooder server(c.rate, c.rfc2217, c.sub);
        LinkState state;
        Engine engine(state, nullptr);
        if (const auto why = engine.link.OpenPort(LinkTarget{0, server.address(), 9600, 1})) {
            std::printf("%-40s did not open\n", c.name);
            continue;
        }
        QElapsedTimer t;
        t.start();
        const Outcome o = engine.commander.execute(Command::Reset, 1, CommandValues{});
        const qint64 ms = t.elapsed();
        engine.link.ClosePort();
        const QByteArray json =
            cli::jsonLine(cli::targetReport(1, 9600, "reset", o, strings::Language::English));
        std::printf("%-40s %7lld ms %9lld B %8lld B %7.1f MB\n", c.name, (long long)ms,
                    (long long)o.replyBytes, (long long)json.size(), peakMb());
        std::fflush(stdout);
    }
    return 0;
}
