#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace krn::test {

// ser2net, the serial device server, as our child: one connection from a
// free port on 127.0.0.1 to a serial device, stopped by its process id.
struct Ser2net {
    QTemporaryDir dir;
    QProcess process;
    quint16 port = 0;

    ~Ser2net() { stop(); }
    // Seen in the kernel's table rather than by connecting: a connection
    // would make ser2net open the serial device.
    bool listening() const;
    // `accepter`: "tcp" or "telnet(rfc2217),tcp". The device is set to
    // `settings`, by default 9600n81, unlike every command's settings, so a
    // test sees who set them.
    bool start(const QString& accepter, const QString& device,
               const QString& settings = QStringLiteral("9600n81"));
    void stop();
    // "rfc2217://127.0.0.1:PORT" or "tcp://...".
    QString url(bool rfc2217) const;
};

} // namespace krn::test
