#pragma once

#include <QList>
#include <QString>

namespace krn {

// A serial device as the system describes it.
struct SerialDevice {
    QString location;     // what opens it: /dev/ttyUSB0, COM3
    QString description;  // "FT232R USB UART"
    QString manufacturer; // "FTDI"
    QString serialNumber; // "A10K3XQ2"
    QString
        stablePath; // a path that keeps naming this adapter (/dev/serial/by-id/...); "" when none
};

// The serial devices the system has now, in port order: port n is the n-th.
class SerialDevices {
public:
    virtual ~SerialDevices() = default;
    virtual QList<SerialDevice> list() const = 0;
};

// The system's own list (QSerialPortInfo), sorted by name with numbers compared
// as numbers, each device with the by-id link that points at it.
class SystemSerialDevices final : public SerialDevices {
public:
    explicit SystemSerialDevices(QString byIdFolder = QStringLiteral("/dev/serial/by-id"))
        : m_byIdFolder(std::move(byIdFolder))
    {
    }
    QList<SerialDevice> list() const override;

    // The link in `byIdFolder` that resolves to `location`; "" when none does.
    static QString stablePathFor(const QString& location, const QString& byIdFolder);

private:
    QString m_byIdFolder;
};

} // namespace krn
