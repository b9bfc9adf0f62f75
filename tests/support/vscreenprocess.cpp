#include "vscreenprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <sys/prctl.h>

namespace krn::test {

namespace {
const QString kReady = QStringLiteral("ready ");
const QString kSummary = QStringLiteral("summary: ");
} // namespace

VScreenProcess::VScreenProcess()
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { readOutput(); });
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                     [this] { m_stderr += m_process.readAllStandardError(); });
}

VScreenProcess::~VScreenProcess()
{
    if (!isRunning())
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
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

bool VScreenProcess::start(const QStringList& arguments, int timeoutMs)
{
    m_device.clear();
    m_lines.clear();
    m_summary.clear();
    m_partial.clear();
    m_error.clear();
    m_stderr.clear();
    const QString program = executable();
    if (!QFileInfo(program).isExecutable()) {
        m_error = QStringLiteral("no virtual screen at %1 (set KRN_VSCREEN)").arg(program);
        return false;
    }
    // Should the test crash, the virtual screen must not outlive it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = m_process.errorString();
        return false;
    }
    if (!waitUntil([this] { return !m_device.isEmpty() || !isRunning(); }, timeoutMs) ||
        m_device.isEmpty()) {
        m_error = QStringLiteral("no ready line: ") + errorText();
        return false;
    }
    return true;
}

void VScreenProcess::readOutput()
{
    m_stderr += m_process.readAllStandardError();
    m_partial += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        const QString line = QString::fromLocal8Bit(m_partial.left(end));
        m_partial.remove(0, end + 1);
        if (m_device.isEmpty() && line.startsWith(kReady))
            m_device = line.mid(kReady.size());
        else if (line.startsWith(kSummary))
            m_summary << line.mid(kSummary.size());
        else
            m_lines << line;
    }
}

bool VScreenProcess::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto check = [&] {
        if (done())
            loop.quit();
    };
    const QMetaObject::Connection a =
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &loop, check);
    const QMetaObject::Connection b =
        QObject::connect(&m_process, &QProcess::finished, &loop, check);
    deadline.start(timeoutMs);
    loop.exec();
    QObject::disconnect(a);
    QObject::disconnect(b);
    return done();
}

bool VScreenProcess::waitForLines(int n, int timeoutMs)
{
    return waitUntil([&] { return m_lines.size() >= n; }, timeoutMs);
}

bool VScreenProcess::waitForLineContaining(const QString& text, int timeoutMs)
{
    return waitUntil(
        [&] {
            return std::any_of(m_lines.cbegin(), m_lines.cend(),
                               [&](const QString& line) { return line.contains(text); });
        },
        timeoutMs);
}

bool VScreenProcess::waitForExit(int timeoutMs)
{
    const bool ended = waitUntil([this] { return !isRunning(); }, timeoutMs);
    readOutput();
    return ended;
}

QString VScreenProcess::stop(int timeoutMs)
{
    if (isRunning()) {
        m_process.terminate(); // SIGTERM
        waitForExit(timeoutMs);
    }
    readOutput();
    return summary();
}

QString VScreenProcess::errorText() const
{
    const QString stderrText = QString::fromLocal8Bit(m_stderr).trimmed();
    if (m_error.isEmpty() || stderrText.isEmpty())
        return m_error + stderrText;
    return m_error + QStringLiteral(": ") + stderrText;
}

} // namespace krn::test
