#include "serialdevices.h"

#include "portmap.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

namespace krn {

QString SystemSerialDevices::stablePathFor(const QString& location, const QString& byIdFolder)
{
    const QString target = QFileInfo(location).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir folder(byIdFolder);
    // Sorted, so that an adapter with two links always gets the same one.
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        if (link.isSymLink() && link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    }
    return {};
}

QList<SerialDevice> SystemSerialDevices::list() const
{
    QHash<QString, SerialDevice> byLocation;
    QStringList locations;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDevice device{info.systemLocation(), info.description(), info.manufacturer(),
                            info.serialNumber(), QString()};
        device.stablePath = stablePathFor(device.location, m_byIdFolder);
        locations << device.location;
        byLocation.insert(device.location, device);
    }
    QList<SerialDevice> devices;
    for (const QString& location : PortMap::inPortOrder(locations))
        devices << byLocation.value(location);
    return devices;
}

} // namespace krn
