#include "ser2net.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <csignal>
#include <sys/prctl.h>

namespace krn::test {

bool Ser2net::listening() const
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    const QByteArray local =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    if (!table.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A") // LISTEN
            return true;
    }
    return false;
}

bool Ser2net::start(const QString& accepter, const QString& device, const QString& settings)
{
    const QString program = QStandardPaths::findExecutable(
        QStringLiteral("ser2net"), qEnvironmentVariable("PATH").split(u':') << "/usr/sbin");
    { // A free port: the system picks one, ser2net takes it over.
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
    }
    // "local": a pty has no modem lines to watch.
    const QString config = dir.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QStringLiteral("connection: &screen\n"
                                  "  accepter: %1,127.0.0.1,%2\n"
                                  "  connector: serialdev,%3,%4,local\n")
                       .arg(accepter)
                       .arg(port)
                       .arg(device, settings)
                       .toUtf8()) < 0)
        return qWarning("cannot write %s", qPrintable(config)), false;
    file.close();
    // Should the test crash, ser2net must not outlive it.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.setProcessChannelMode(QProcess::MergedChannels);
    // -n: in the foreground (our child, our pid); -u: no lock files.
    process.start(program, {"-n", "-u", "-c", config, "-P", dir.filePath("ser2net.pid")});
    if (QTest::qWaitFor([this] { return listening() || process.state() == QProcess::NotRunning; },
                        5000) &&
        listening())
        return true;
    qWarning("ser2net (scripts/deps.sh installs it) did not listen on %d: %s", port,
             process.readAll().constData());
    stop();
    return false;
}

void Ser2net::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate(); // SIGTERM to its process id
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}

QString Ser2net::url(bool rfc2217) const
{
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(QLatin1String(rfc2217 ? "rfc2217" : "tcp"))
        .arg(port);
}

} // namespace krn::test
