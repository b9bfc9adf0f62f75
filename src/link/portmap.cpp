#include "portmap.h"

#include "settings/profilefile.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace krn {

QString PortMap::deviceFor(qint32 portNumber) const
{
    if (portNumber < 1)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    if (m_settings) {
        const QString mapped =
            m_settings->readText(u"Ports", QString::number(portNumber), QString(), 4096).trimmed();
        if (!mapped.isEmpty())
            return mapped;
    }
    const QStringList devices = systemDevices();
    return portNumber <= devices.size() ? devices.at(portNumber - 1) : QString();
#endif
}

QStringList PortMap::systemDevices()
{
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    std::sort(devices.begin(), devices.end());
    return devices;
}

} // namespace krn
