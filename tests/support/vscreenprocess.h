#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace krn::test {

// Runs the virtual screen (krntools-vscreen) as a child process for a test.
//
//   VScreenProcess screen;
//   QVERIFY2(screen.start({"--mode", "nak"}), qPrintable(screen.errorText()));
//   ... open screen.device() with the code under test, send frames ...
//   QVERIFY(screen.waitForLines(1));
//   QVERIFY(screen.logLines().first().contains("answer 15"));
//   const QString summary = screen.stop();   // SIGTERM, then its state summary
//
// Each frame line reads
//   "HH:mm:ss.zzz | 5A A5 07 01 00 0D 02 F6 | screen 1 seq 0 cmd 0x0D line-speed
//    payload 02 | checksum good | <what changed> | answer 06"
// where the last field is "answer 06", "answer 15", "answer 15 06", "answer 06
// after N ms", "hang-up" or "no answer (...)"; a bad frame ends in "checksum bad
// (XX expected) | ignored"; skipped bytes give "HH:mm:ss.zzz | 01 02 | no frame,
// 2 bytes skipped". Summary lines ("screen number 5", "glyph table 912 bytes in
// 29 frames", ...) come when the process ends.
//
// The waits run a local event loop, so serial ports and timers of the test
// keep working while they wait.
class VScreenProcess {
public:
    VScreenProcess();
    ~VScreenProcess(); // ends a process still running
    VScreenProcess(const VScreenProcess&) = delete;
    VScreenProcess& operator=(const VScreenProcess&) = delete;

    // The executable: $KRN_VSCREEN, else krntools-vscreen in the build directory.
    static QString executable();

    // Starts it with these options and waits for its "ready DEVICE" line.
    bool start(const QStringList& arguments = {}, int timeoutMs = 5000);
    QString device() const { return m_device; }
    qint64 processId() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // Lines after "ready", without the summary.
    QStringList logLines() const { return m_lines; }
    // Until at least n log lines have come.
    bool waitForLines(int n, int timeoutMs = 5000);
    // Until some log line contains text.
    bool waitForLineContaining(const QString& text, int timeoutMs = 5000);

    // SIGTERM, wait for the end, return the summary (one item per line).
    // Also right after the process ended by itself (--hangup-after).
    QString stop(int timeoutMs = 5000);
    // Until the process ends by itself.
    bool waitForExit(int timeoutMs = 5000);
    // The exit code, or -1 when it ended by a signal or a crash.
    int exitCode() const
    {
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    QString summary() const { return m_summary.join(QLatin1Char('\n')); }
    // What went wrong when start() failed, or what the process wrote to stderr.
    QString errorText() const;

private:
    void readOutput();
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);

    QProcess m_process;
    QByteArray m_partial;
    QString m_device;
    QStringList m_lines;
    QStringList m_summary;
    QString m_error;
    QByteArray m_stderr;
};

} // namespace krn::test
