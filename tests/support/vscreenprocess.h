#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace krn::test {

// Runs the virtual screen (krntools-vscreen) once as a child process for a
// test: start() waits for its "ready DEVICE" line, logLines() are the frame
// lines it printed since, stop() ends it with SIGTERM and returns its state
// summary. The waits run a local event loop, so the test's serial ports and
// timers keep working meanwhile. Started with --listen, it also tells the TCP
// address (listenUrl(), listenPort()); with --no-pty device() is that address.
class VScreenProcess {
public:
    VScreenProcess();
    ~VScreenProcess();
    VScreenProcess(const VScreenProcess&) = delete;
    VScreenProcess& operator=(const VScreenProcess&) = delete;

    // $KRN_VSCREEN, else krntools-vscreen in the build directory.
    static QString executable();

    bool start(const QStringList& arguments = {});
    QString device() const { return m_device; }
    // "tcp://HOST:PORT" with --listen, else empty.
    QString listenUrl() const { return m_listenUrl; }
    // The TCP port with --listen (the one taken for port 0), else 0.
    quint16 listenPort() const;
    qint64 processId() const { return m_process.processId(); }
    QStringList logLines() const { return m_lines; }
    bool waitForLines(int n, int timeoutMs = 5000);
    // Also collects the summary of a process that ended by itself (--hangup-after).
    QString stop(int timeoutMs = 5000);
    QString summary() const { return m_summary.join(QLatin1Char('\n')); }
    // Why start() failed, and whatever the process wrote to stderr.
    QString errorText() const;

private:
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    void readOutput();
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);

    QProcess m_process;
    QByteArray m_partial;
    QString m_device;
    QString m_listenUrl;
    QStringList m_lines;
    QStringList m_summary;
    QString m_error;
    QByteArray m_stderr;
};

} // namespace krn::test
