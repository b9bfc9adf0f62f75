#pragma once

#include "core/message.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace krn {

// Line settings of every command: the chosen speed, odd parity, 8 data bits,
// 1 stop bit.
struct LineSettings {
    qint32 baudRate = 9600;
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
    // How the line settings reach the wire, for the traffic log: "9600 8O1",
    // or that a device server applies its own.
    virtual QString settingsNote(const LineSettings& settings) const = 0;
};

} // namespace krn
