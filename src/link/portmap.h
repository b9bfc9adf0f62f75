#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace krn {

class ProfileFile;

// Which device a serial port number opens. Port n is COMn on Windows; elsewhere
// the [Ports] section of the settings file may name a device for n
// ("1=/dev/ttyUSB0"), otherwise port n is the n-th serial device the system
// lists, sorted by name.
class PortMap {
public:
    explicit PortMap(const ProfileFile* settings = nullptr) : m_settings(settings) {}

    // Empty when the number maps to nothing.
    QString deviceFor(qint32 portNumber) const;

    static QStringList systemDevices();
    // Sorted by name, numbers in names compared as numbers (ttyUSB2 < ttyUSB10).
    static QStringList inPortOrder(QStringList devices);

private:
    const ProfileFile* m_settings;
};

} // namespace krn
