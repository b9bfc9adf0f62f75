#pragma once

#include "core/message.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace krn {

class SerialDevices;
class Settings;

// Which device a serial port number opens. The [Ports] section of the
// settings file may name a device or a network line for n ("1=/dev/ttyUSB0",
// "2=rfc2217://10.0.0.5:2001"); otherwise port n is COMn on Windows and the
// n-th serial device the system lists, sorted by name, elsewhere.
class PortMap {
public:
    // `devices`: the system's list as a test sets it; absent, the system's own.
    explicit PortMap(const Settings* settings = nullptr, const SerialDevices* devices = nullptr)
        : m_settings(settings), m_devices(devices)
    {
    }

    // Empty when the number maps to nothing.
    QString deviceFor(qint32 portNumber) const;
    // What a command opens: `address` when given, else port `portNumber`'s
    // device. Nothing with why there is none (no port chosen, no such port).
    std::optional<Message> resolve(qint32 portNumber, const QString& address,
                                   QString* device) const;

    static QStringList systemDevices();
    // Sorted by name, numbers in names compared as numbers (ttyUSB2 < ttyUSB10).
    static QStringList inPortOrder(QStringList devices);

private:
    const Settings* m_settings;
    const SerialDevices* m_devices;
};

} // namespace krn
