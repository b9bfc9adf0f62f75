#pragma once

#include "core/message.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <optional>

namespace krn {

// Line settings of every command: the chosen speed, odd parity, 8 data bits,
// 1 stop bit.
struct LineSettings {
    qint32 baudRate = 9600;
};

// What kind of line a port leads to.
enum class LineKind {
    Serial,  // a local serial port: the line runs at the settings asked for
    RawTcp,  // a device server's raw port: the server keeps its own line settings
    Rfc2217, // a device server that takes the line settings over Telnet (RFC 2217)
};

// The line to the screens: a local serial port or a network line through a
// serial device server. Everything the link needs of it, and nothing more;
// every operation may throw krn::Failure with a message for the operator.
class Line {
public:
    virtual ~Line() = default;

    virtual bool isOpen() const = 0;
    // Opens `address` (a device path, or a network address such as
    // tcp://host:port) with `settings`. Only while closed.
    virtual void open(const QString& address, const LineSettings& settings) = 0;
    virtual void close() = 0;
    // Bytes received and not yet read. Arrival wakes the event loop, so the
    // link can sleep between polls.
    virtual qint64 bytesWaiting() = 0;
    virtual void discardInput() = 0;
    virtual QByteArray readAll() = 0;
    // Queues the bytes and returns without waiting for them to leave the line.
    virtual void write(const QByteArray& bytes) = 0;
    // A fault the line met while open (adapter pulled out, server gone),
    // taken once. The line is already closed then.
    virtual std::optional<Message> takeFault() = 0;

    // The kind of the line last opened.
    virtual LineKind kind() const = 0;
    // Changes the speed of the open line. False when the line has no say in
    // it (a raw device server port); throws when the change is refused.
    virtual bool setSpeed(const LineSettings& settings) = 0;
    // Every byte that came in since the line opened, a device server's own
    // protocol bytes included: a flood shows here even when no data does.
    virtual qint64 wireBytes() const = 0;
    // The network's round trip, measured while opening; zero for a local port.
    virtual std::chrono::microseconds roundTrip() const { return {}; }
};

} // namespace krn
