#pragma once

#include "serialport.h"

#include <QSerialPort>

namespace krn {

// The real serial port. A fault while open (the adapter pulled out, the other
// end hung up) closes the port at once: QSerialPort would otherwise report the
// same error over and over from its notifier and keep a core busy.
class QtSerialPort : public SerialPort {
public:
    QtSerialPort();

    bool isOpen() const override;
    void configure(const QString& device, const LineSettings& settings) override;
    void open() override;
    void close() override;
    qint64 bytesWaiting() override;
    void discardInput() override;
    QByteArray readAll() override;
    void write(const QByteArray& bytes) override;
    QString takeFault() override;

private:
    // Plain words for a port that would not open.
    static QString openFailureText(const QString& device, QSerialPort::SerialPortError error,
                                   const QString& systemText);
    void onError(QSerialPort::SerialPortError error);
    void requireOpen(const char* what);

    QSerialPort m_port;
    QString m_fault;
};

} // namespace krn
