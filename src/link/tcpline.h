#pragma once

#include "line.h"

#include <QAbstractSocket>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <chrono>
#include <functional>

namespace krn {

// How long opening a network line may take: connecting, and for RFC 2217 the
// answers the device server owes while the line is set up, all together.
inline constexpr std::chrono::milliseconds NetLineLimit{5000};
// A device server busy with another user accepts, says so and hangs up within
// a round trip or two; this long (or three round trips) is waited for it.
inline constexpr std::chrono::milliseconds BusyServerGrace{50};

// A line through a serial device server's raw TCP port (tcp://HOST:PORT): the
// frame bytes go as they are, and the server's serial port keeps the speed
// and parity the server is set to.
class TcpLine : public Line {
public:
    explicit TcpLine(std::chrono::milliseconds limit = NetLineLimit);
    ~TcpLine() override;
    TcpLine(const TcpLine&) = delete;
    TcpLine& operator=(const TcpLine&) = delete;

    bool isOpen() const override;
    // Connects, running a local event loop while it waits so the window keeps
    // painting and its clock keeps ticking; gives up after the limit.
    void open(const QString& address, const LineSettings& settings) override;
    void close() override;
    qint64 bytesWaiting() override;
    void discardInput() override;
    QByteArray readAll() override;
    void write(const QByteArray& bytes) override;
    std::optional<Message> takeFault() override;
    LineKind kind() const override { return LineKind::RawTcp; }
    // The server's serial port keeps the speed the server is set to.
    bool setSpeed(const LineSettings& settings) override;
    qint64 wireBytes() const override { return m_wireBytes; }
    std::chrono::microseconds roundTrip() const override { return m_roundTrip; }

    // What the line keeps of data nobody has read yet; more is counted, not kept.
    static constexpr qsizetype InputLimit = 64 * 1024;

protected:
    // Forgets the last connection's protocol state; before each connect.
    virtual void resetSession() {}
    // Runs once connected, before open() returns; may throw krn::Failure.
    // The raw line waits a moment for a server that hangs up at once.
    virtual void startSession(const LineSettings& settings);
    // Bytes from the server: appends their data to `input`.
    virtual void fromWire(const QByteArray& bytes, QByteArray& input) { input += bytes; }
    // Data to send, as it goes on the wire.
    virtual QByteArray toWire(const QByteArray& data) const { return data; }

    // Hands bytes to the socket now; throws when it will not take them.
    void sendRaw(const QByteArray& bytes);
    // For answers sent from inside the socket's own handlers, where nothing
    // may throw: a connection that is gone reports itself through takeFault().
    void sendQuietly(const QByteArray& bytes);
    // Runs a local event loop until `done` holds or the time given to the
    // step at hand (opening, a change of settings) has run out; wakes on every
    // socket event. Returns done().
    bool waitUntil(const std::function<bool()>& done);
    // Starts the time of a step that waits for the server.
    void startStep() { m_stepDeadline = QDeadlineTimer(m_limit, Qt::PreciseTimer); }
    // A round trip to the server just measured. The smallest is kept: it is
    // the network's own, without the server's work on a request.
    void noteRoundTrip(std::chrono::microseconds rtt)
    {
        m_roundTrip = m_roundTrip.count() > 0 ? std::min(m_roundTrip, rtt) : rtt;
    }
    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    const QString& hostPort() const { return m_hostPort; }
    // The limit in seconds for a message: "5", "0.5".
    QString limitSeconds() const;
    // "9600 8O1": the line settings every command asks for.
    static QString settingsText(const LineSettings& settings);

private:
    enum class Phase { Closed, Opening, Open };

    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);
    void onDisconnected();
    void requireOpen();
    Message connectFailure(std::optional<QAbstractSocket::SocketError> error) const;

    std::chrono::milliseconds m_limit;
    QDeadlineTimer m_stepDeadline;
    Phase m_phase = Phase::Closed;
    QString m_host;
    QString m_hostPort;
    QByteArray m_input; // data received and not yet read
    qint64 m_wireBytes = 0;
    std::chrono::microseconds m_roundTrip{0};
    std::optional<QAbstractSocket::SocketError> m_openError;
    std::optional<Message> m_fault;
    QTcpSocket m_socket; // last: goes first, before what its handlers touch
};

} // namespace krn
