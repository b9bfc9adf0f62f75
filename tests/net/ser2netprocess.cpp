#include "ser2netprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <csignal>
#include <sys/prctl.h>

namespace krn::test {

Ser2netProcess::~Ser2netProcess()
{
    stop();
}

QString Ser2netProcess::executable()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    if (!found.isEmpty())
        return found;
    const QString sbin = QStringLiteral("/usr/sbin/ser2net");
    return QFileInfo(sbin).isExecutable() ? sbin : QString();
}

bool Ser2netProcess::listening(quint16 port)
{
    // Checked in the kernel's table rather than by connecting: a connection
    // would make ser2net open the serial device.
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        QStringLiteral("0100007F:%1").arg(port, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A") // LISTEN
            return true;
    }
    return false;
}

bool Ser2netProcess::start(const QString& accepter, const QString& device, const QString& serial)
{
    const QString program = executable();
    if (program.isEmpty()) {
        m_error = QStringLiteral("ser2net is not installed (scripts/deps.sh installs it)");
        return false;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    { // A free port: the system picks one, ser2net takes it over.
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        m_port = probe.serverPort();
    }
    const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    // "local": a pty has no modem lines to watch.
    file.write(QStringLiteral("connection: &screen\n"
                              "  accepter: %1,127.0.0.1,%2\n"
                              "  connector: serialdev,%3,%4,local\n")
                   .arg(accepter)
                   .arg(m_port)
                   .arg(device, serial)
                   .toUtf8());
    file.close();

    // Should the test crash, ser2net must not outlive it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // -n: stay in the foreground (our child, our pid); -u: no lock files.
    m_process.start(program,
                    {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config,
                     QStringLiteral("-P"), m_dir.filePath(QStringLiteral("ser2net.pid"))});
    const QDeadlineTimer deadline(5000);
    while (!listening(m_port) && isRunning() && !deadline.hasExpired())
        QTest::qWait(20);
    if (!listening(m_port)) {
        m_error = QStringLiteral("ser2net did not listen on %1").arg(m_port);
        stop();
        return false;
    }
    return true;
}

void Ser2netProcess::stop()
{
    if (!isRunning())
        return;
    m_process.terminate(); // SIGTERM to its process id
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

QString Ser2netProcess::errorText()
{
    return (m_error + QLatin1Char(' ') + QString::fromLocal8Bit(m_process.readAll())).trimmed();
}

} // namespace krn::test
