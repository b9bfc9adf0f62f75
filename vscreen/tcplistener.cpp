#include "tcplistener.h"

namespace krn::vscreen {

namespace {
QString peerText(const QTcpSocket& socket)
{
    return QStringLiteral("%1:%2").arg(socket.peerAddress().toString()).arg(socket.peerPort());
}
} // namespace

TcpListener::TcpListener(LineSink log, QObject* parent) : QObject(parent), m_log(std::move(log))
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpListener::onNewConnection);
}

bool TcpListener::listen(const QHostAddress& host, quint16 port, QString* error)
{
    if (m_server.listen(host, port))
        return true;
    *error = QStringLiteral("cannot listen on %1:%2: %3")
                 .arg(host.toString())
                 .arg(port)
                 .arg(m_server.errorString());
    return false;
}

QString TcpListener::url() const
{
    const QHostAddress host = m_server.serverAddress();
    const QString hostText = host.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QLatin1Char('[') + host.toString() + QLatin1Char(']')
                                 : host.toString();
    return QStringLiteral("tcp://%1:%2").arg(hostText).arg(m_server.serverPort());
}

void TcpListener::close()
{
    m_server.close();
    if (m_client) {
        m_client->disconnect(this);
        m_client->abort();
        m_client->deleteLater();
    }
}

void TcpListener::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_client) {
            m_log(QStringLiteral("tcp %1 turned away: %2 is connected")
                      .arg(peerText(*socket), peerText(*m_client)));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_client = socket;
        const QString peer = peerText(*socket);
        m_log(QStringLiteral("tcp %1 connected").arg(peer));
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket] { Q_EMIT received(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, peer] {
            m_log(QStringLiteral("tcp %1 disconnected").arg(peer));
            if (m_client == socket)
                m_client = nullptr;
            socket->deleteLater();
        });
        Q_EMIT clientConnected();
    }
}

QString TcpListener::write(const QByteArray& bytes)
{
    if (!m_client || m_client->state() != QAbstractSocket::ConnectedState)
        return QStringLiteral("no TCP client connected");
    if (m_client->write(bytes) != bytes.size())
        return m_client->errorString();
    m_client->flush();
    return {};
}

} // namespace krn::vscreen
