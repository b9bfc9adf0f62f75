#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace krn {

// Line settings: speed, odd parity, 8 data bits, 1 stop bit.
struct LineSettings {
    qint32 baudRate = 9600;
    // The settings as the link writes them, e.g. "9600,O,8,1".
    QString text() const { return QString::number(baudRate) + QStringLiteral(",O,8,1"); }
};

// The operations the link needs of a serial port. Every operation may throw
// krn::Failure with a description the operator can read.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual bool isOpen() const = 0;
    // Only while closed. Reception is byte-exact.
    virtual void configure(const QString& device, const LineSettings& settings) = 0;
    virtual void open() = 0;
    virtual void close() = 0;
    virtual qint64 bytesWaiting() = 0;
    virtual void discardInput() = 0;
    virtual QByteArray readAll() = 0;
    // Queues the bytes and returns without waiting for them to leave the line.
    virtual void write(const QByteArray& bytes) = 0;
    // A fault the port met while open (adapter pulled out, other end hung up),
    // taken once; empty when there is none. The port is already closed then.
    virtual QString takeFault() = 0;
};

} // namespace krn
