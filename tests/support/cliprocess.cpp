#include "cliprocess.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

namespace krn::test {

QString cliExecutable()
{
    const QString path = qEnvironmentVariable("KRN_CLI");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + "/../krntools-cli" : path;
}

CliRun runCli(const QStringList& arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name); // the tool needs no display, not even for the clock's glyphs
    env.insert("LC_ALL", "en_US.UTF-8");
    p.setProcessEnvironment(env);
    p.start(cliExecutable(), arguments);
    p.closeWriteChannel();
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 120000)) {
        p.kill();
        p.waitForFinished(2000);
        return {};
    }
    return CliRun{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                  QString::fromUtf8(p.readAllStandardOutput()),
                  QString::fromUtf8(p.readAllStandardError())};
}

} // namespace krn::test
