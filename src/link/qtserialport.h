#pragma once

#include "line.h"

#include <QSerialPort>

namespace krn {

// A local serial port. A fault while open (the adapter pulled out, the other
// end hung up) closes the port at once: QSerialPort would otherwise report the
// same error over and over from its notifier and keep a core busy.
class QtSerialPort : public Line {
public:
    QtSerialPort();

    bool isOpen() const override;
    void open(const QString& address, const LineSettings& settings) override;
    void close() override;
    qint64 bytesWaiting() override;
    void discardInput() override;
    QByteArray readAll() override;
    void write(const QByteArray& bytes) override;
    std::optional<Message> takeFault() override;
    LineKind kind() const override { return LineKind::Serial; }
    bool setSpeed(const LineSettings& settings) override;
    qint64 wireBytes() const override { return m_wireBytes; }

    // Plain words for a port that would not open.
    static Message openFailure(const QString& device, QSerialPort::SerialPortError error,
                               const QString& systemText, qint32 baudRate);
    // Plain words for a fault met while open.
    static Message faultMessage(const QString& device, QSerialPort::SerialPortError error,
                                const QString& systemText);

private:
    void onError(QSerialPort::SerialPortError error);
    void requireOpen();
    bool tryOpen(const LineSettings& settings);

    QSerialPort m_port;
    std::optional<Message> m_fault;
    QString m_address; // as given, not shortened as QSerialPort names it
    qint64 m_wireBytes = 0;
};

} // namespace krn
