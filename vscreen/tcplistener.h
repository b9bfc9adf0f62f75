#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

namespace krn::vscreen {

// A raw TCP port in front of the screens, as a serial device server would be:
// bytes in, bytes out, one client at a time. A second client is turned away
// (its connection closed at once) while the first is connected.
class TcpListener : public QObject {
    Q_OBJECT

public:
    using LineSink = std::function<void(const QString&)>;

    explicit TcpListener(LineSink log, QObject* parent = nullptr);

    // Port 0 takes a free port; port() tells which.
    bool listen(const QHostAddress& host, quint16 port, QString* error);
    // "tcp://HOST:PORT", the form a port mapping takes.
    QString url() const;
    quint16 port() const { return m_server.serverPort(); }
    void close();
    // In one write to the connected client; returns why it failed, or nothing.
    QString write(const QByteArray& bytes);

Q_SIGNALS:
    // A client connected; bytes from now on belong to a new stream.
    void clientConnected();
    void received(const QByteArray& bytes);

private:
    void onNewConnection();

    LineSink m_log;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
};

} // namespace krn::vscreen
