#include "vscreenprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <csignal>
#include <sys/prctl.h>

namespace krn::test {

VScreenProcess::VScreenProcess()
{
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { readOutput(); });
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                     [this] { m_stderr += m_process.readAllStandardError(); });
}

VScreenProcess::~VScreenProcess()
{
    if (isRunning()) { // SIGTERM first; QProcess kills whatever is left
        m_process.terminate();
        m_process.waitForFinished(3000);
    }
}

QString VScreenProcess::executable()
{
    const QString fromEnvironment = qEnvironmentVariable("KRN_VSCREEN");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // Tests live in build/tests, the executables in build/.
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../krntools-vscreen"));
}

bool VScreenProcess::start(const QStringList& arguments)
{
    const QString program = executable();
    if (!QFileInfo(program).isExecutable()) {
        m_error = QStringLiteral("no virtual screen at %1 (set KRN_VSCREEN)").arg(program);
        return false;
    }
    // Should the test crash, the virtual screen must not outlive it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(program, arguments);
    waitUntil([this] { return !m_device.isEmpty() || !isRunning(); }, 5000);
    if (m_device.isEmpty()) {
        m_error = QStringLiteral("no ready line: ") + m_process.errorString();
        return false;
    }
    return true;
}

void VScreenProcess::readOutput()
{
    m_stderr += m_process.readAllStandardError();
    m_partial += m_process.readAllStandardOutput();
    for (qsizetype end; (end = m_partial.indexOf('\n')) >= 0; m_partial.remove(0, end + 1)) {
        const QString line = QString::fromLocal8Bit(m_partial.left(end));
        if (m_device.isEmpty() && line.startsWith(QLatin1String("ready ")))
            m_device = line.mid(6);
        else if (m_device.isEmpty() && line.startsWith(QLatin1String("listening ")))
            m_listenUrl = line.mid(10);
        else if (line.startsWith(QLatin1String("summary: ")))
            m_summary << line.mid(9);
        else
            m_lines << line;
    }
}

bool VScreenProcess::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    bool timedOut = false;
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
    QObject::connect(&m_process, &QProcess::stateChanged, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    while (!done() && !timedOut)
        loop.exec();
    return done();
}

bool VScreenProcess::waitForLines(int n, int timeoutMs)
{
    return waitUntil([&] { return m_lines.size() >= n; }, timeoutMs);
}

quint16 VScreenProcess::listenPort() const
{
    return m_listenUrl.isEmpty() ? 0 : static_cast<quint16>(m_listenUrl.section(u':', -1).toUInt());
}

QString VScreenProcess::stop(int timeoutMs)
{
    if (isRunning())
        m_process.terminate();
    waitUntil([this] { return !isRunning(); }, timeoutMs);
    readOutput();
    return summary();
}

QString VScreenProcess::errorText() const
{
    return (m_error + QLatin1Char(' ') + QString::fromLocal8Bit(m_stderr)).trimmed();
}

} // namespace krn::test
