#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

namespace krn::test {

// Runs ser2net, the serial device server, as a child process for a test: one
// connection from a port on 127.0.0.1 to a serial device (the virtual
// screen's pty), with a configuration file it writes itself. stop() ends it by
// its process id.
class Ser2netProcess {
public:
    Ser2netProcess() = default;
    ~Ser2netProcess();
    Ser2netProcess(const Ser2netProcess&) = delete;
    Ser2netProcess& operator=(const Ser2netProcess&) = delete;

    // ser2net from the path, else /usr/sbin/ser2net; empty if neither.
    static QString executable();

    // `accepter` is the stack in front of the port, "tcp" or
    // "telnet(rfc2217),tcp"; `serial` the device's own settings ("9600n81").
    // Returns once ser2net listens.
    bool start(const QString& accepter, const QString& device, const QString& serial);
    quint16 port() const { return m_port; }
    qint64 processId() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    void stop();
    QString errorText();

private:
    static bool listening(quint16 port);

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};

} // namespace krn::test
