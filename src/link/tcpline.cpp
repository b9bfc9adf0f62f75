#include "tcpline.h"

#include "core/failure.h"
#include "core/textids.h"
#include "netaddress.h"

#include <QElapsedTimer>

#include <QEventLoop>
#include <QTimer>

namespace krn {

TcpLine::TcpLine(std::chrono::milliseconds limit) : m_limit(limit)
{
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { onReadyRead(); });
    QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &m_socket,
                     [this](QAbstractSocket::SocketError e) { onError(e); });
    QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket, [this] { onDisconnected(); });
}

TcpLine::~TcpLine()
{
    // Aborting emits signals whose handlers would reach into a half-destroyed line.
    m_socket.blockSignals(true);
    m_socket.abort();
}

bool TcpLine::isOpen() const
{
    return m_phase == Phase::Open;
}

QString TcpLine::settingsText(const LineSettings& settings)
{
    return QStringLiteral("%1 8O1").arg(settings.baudRate);
}

QString TcpLine::limitSeconds() const
{
    return QString::number(double(m_limit.count()) / 1000.0);
}

void TcpLine::startSession(const LineSettings&)
{
    // Over a raw port nothing else would tell a busy server from a silent
    // screen: it would show as a connection closed under the first frame.
    const auto grace = std::max<std::chrono::milliseconds>(
        BusyServerGrace, std::chrono::ceil<std::chrono::milliseconds>(3 * m_roundTrip));
    m_stepDeadline = QDeadlineTimer(grace, Qt::PreciseTimer);
    waitUntil([this] { return !connected(); });
    if (!connected())
        throw Failure(Message(strings::NetClosedWhileOpening, {m_hostPort}));
}

bool TcpLine::setSpeed(const LineSettings&)
{
    requireOpen();
    return false;
}

void TcpLine::open(const QString& address, const LineSettings& settings)
{
    const NetAddress net = NetAddress::parse(address);
    m_socket.abort(); // whatever the last close left lingering
    m_phase = Phase::Opening;
    m_input.clear();
    m_wireBytes = 0;
    m_roundTrip = {};
    m_fault.reset();
    m_openError.reset();
    m_host = net.host;
    m_hostPort = net.hostPort();
    resetSession();

    startStep();
    QElapsedTimer handshake;
    handshake.start();
    m_socket.connectToHost(net.host, net.port);
    waitUntil([this] { return connected() || m_openError; });
    if (!connected()) {
        const Message why = connectFailure(m_openError);
        m_socket.abort();
        m_phase = Phase::Closed;
        throw Failure(why);
    }
    // The connection's handshake is one round trip to the server.
    noteRoundTrip(std::chrono::microseconds(handshake.nsecsElapsed() / 1000));
    // A frame is one write; it goes at once instead of waiting for the
    // server's acknowledgement of the last segment.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    try {
        startSession(settings);
    } catch (...) {
        m_socket.abort();
        m_phase = Phase::Closed;
        m_input.clear();
        throw;
    }
    m_phase = Phase::Open;
}

Message TcpLine::connectFailure(std::optional<QAbstractSocket::SocketError> error) const
{
    if (!error)
        return Message(strings::NetTimedOut, {m_hostPort, limitSeconds()});
    switch (*error) {
    case QAbstractSocket::ConnectionRefusedError:
        return Message(strings::NetRefused, {m_hostPort});
    case QAbstractSocket::HostNotFoundError:
        return Message(strings::NetHostNotFound, {m_host});
    case QAbstractSocket::NetworkError: // no route to the host or its network
        return Message(strings::NetNoRoute, {m_hostPort});
    case QAbstractSocket::SocketTimeoutError:
        return Message(strings::NetTimedOut, {m_hostPort, limitSeconds()});
    case QAbstractSocket::RemoteHostClosedError:
        return Message(strings::NetClosedWhileOpening, {m_hostPort});
    default:
        return Message(strings::NetConnectFailed, {m_hostPort, m_socket.errorString()});
    }
}

void TcpLine::close()
{
    if (m_phase == Phase::Closed)
        return;
    m_phase = Phase::Closed;
    m_input.clear();
    // Lets what is still queued go out before the FIN; open() aborts what is left.
    m_socket.disconnectFromHost();
}

bool TcpLine::waitUntil(const std::function<bool()>& done)
{
    if (done() || m_stepDeadline.hasExpired())
        return done();
    QEventLoop loop;
    // Each socket event may be the one waited for; the line's own handlers run
    // first (they were connected first).
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&m_socket, &QTcpSocket::stateChanged, &loop, &QEventLoop::quit);
    QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(std::chrono::milliseconds(m_stepDeadline.remainingTime()));
    while (!done() && deadline.isActive()) {
        if (loop.exec() != 0)
            break; // the application is quitting: stop waiting
    }
    return done();
}

void TcpLine::onReadyRead()
{
    if (m_phase == Phase::Closed)
        return;
    const QByteArray bytes = m_socket.readAll();
    m_wireBytes += bytes.size();
    fromWire(bytes, m_input);
    // Unread data beyond the limit is dropped: a flooding server must not
    // fill the memory. The link counts the flood by the wire bytes.
    if (m_input.size() > InputLimit)
        m_input.truncate(InputLimit);
}

void TcpLine::onError(QAbstractSocket::SocketError error)
{
    switch (m_phase) {
    case Phase::Closed:
        return;
    case Phase::Opening:
        if (!m_openError)
            m_openError = error;
        return;
    case Phase::Open:
        break;
    }
    // Like an adapter pulled out: the line closes and says why, once.
    m_phase = Phase::Closed;
    m_input.clear();
    if (error == QAbstractSocket::RemoteHostClosedError || error == QAbstractSocket::NetworkError)
        m_fault = Message(strings::NetClosedByServer, {m_hostPort});
    else
        m_fault = Message(strings::NetSendFailed, {m_hostPort, m_socket.errorString()});
}

void TcpLine::onDisconnected()
{
    if (m_phase != Phase::Open)
        return;
    m_phase = Phase::Closed;
    m_input.clear();
    if (!m_fault)
        m_fault = Message(strings::NetClosedByServer, {m_hostPort});
}

void TcpLine::requireOpen()
{
    if (m_phase == Phase::Open)
        return;
    // A fault closed it: say what happened rather than that it is closed.
    if (auto fault = takeFault())
        throw Failure(std::move(*fault));
    throw Failure(Message(strings::NetNotOpen));
}

qint64 TcpLine::bytesWaiting()
{
    requireOpen();
    if (m_socket.bytesAvailable() > 0)
        onReadyRead();
    return m_input.size();
}

void TcpLine::discardInput()
{
    requireOpen();
    if (m_socket.bytesAvailable() > 0)
        onReadyRead();
    m_input.clear();
}

QByteArray TcpLine::readAll()
{
    requireOpen();
    if (m_socket.bytesAvailable() > 0)
        onReadyRead();
    return std::exchange(m_input, QByteArray());
}

void TcpLine::write(const QByteArray& bytes)
{
    requireOpen();
    sendRaw(toWire(bytes));
}

void TcpLine::sendRaw(const QByteArray& bytes)
{
    // A server serving someone else accepts, says so and hangs up at once.
    if (m_phase == Phase::Opening && !connected())
        throw Failure(Message(strings::NetClosedWhileOpening, {m_hostPort}));
    if (m_socket.write(bytes) != bytes.size())
        throw Failure(Message(strings::NetSendFailed, {m_hostPort, m_socket.errorString()}));
    // To the system now rather than at the next pass of the event loop.
    m_socket.flush();
}

void TcpLine::sendQuietly(const QByteArray& bytes)
{
    if (!connected())
        return;
    m_socket.write(bytes);
    m_socket.flush();
}

std::optional<Message> TcpLine::takeFault()
{
    return std::exchange(m_fault, std::nullopt);
}

} // namespace krn
