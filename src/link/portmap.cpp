#include "portmap.h"

#include "core/textids.h"
#include "serialdevices.h"
#include "settings/settings.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace krn {

namespace {
// Numbers in names compare as numbers, so ttyUSB2 comes before ttyUSB10 and
// port numbers follow the order people count adapters in.
bool naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype si = i, sj = j;
            while (i < a.size() && a[i].isDigit())
                ++i;
            while (j < b.size() && b[j].isDigit())
                ++j;
            const qulonglong x = a.mid(si, i - si).toULongLong();
            const qulonglong y = b.mid(sj, j - sj).toULongLong();
            if (x != y)
                return x < y;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i, ++j;
        }
    }
    return a.size() - i < b.size() - j;
}
} // namespace

QString PortMap::deviceFor(qint32 portNumber) const
{
    if (portNumber < 1)
        return {};
    if (m_settings) {
        const QString mapped = m_settings->portMapping(portNumber);
        if (!mapped.isEmpty())
            return mapped;
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    QStringList devices;
    if (m_devices) {
        for (const SerialDevice& device : m_devices->list())
            devices << device.location;
    } else {
        devices = systemDevices();
    }
    return portNumber <= devices.size() ? devices.at(portNumber - 1) : QString();
#endif
}

std::optional<Message> PortMap::resolve(qint32 portNumber, const QString& address,
                                        QString* device) const
{
    *device = address;
    if (!address.isEmpty())
        return std::nullopt;
    if (portNumber < 1)
        return Message{strings::NoPortSelected};
    *device = deviceFor(portNumber);
    if (device->isEmpty())
        return Message{strings::PortNumberMissing, {QString::number(portNumber)}};
    return std::nullopt;
}

QStringList PortMap::inPortOrder(QStringList devices)
{
    std::sort(devices.begin(), devices.end(), naturalLess);
    return devices;
}

QStringList PortMap::systemDevices()
{
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    return inPortOrder(devices);
}

} // namespace krn
