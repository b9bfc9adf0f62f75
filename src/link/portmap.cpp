#include "portmap.h"

#include "core/textids.h"
#include "netaddress.h"
#include "serialdevices.h"
#include "settings/settings.h"

#include <QFileInfo>
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

QList<SerialDevice> PortMap::devices() const
{
    static const SystemSerialDevices system;
    return (m_devices ? m_devices : &system)->list();
}

PortRoute PortMap::route(qint32 number) const
{
    return number < 1 ? PortRoute{} : routeIn(number, devices());
}

QList<PortRoute> PortMap::routes(qint32 atLeast) const
{
    const QList<SerialDevice> listed = devices();
    QList<PortRoute> all;
    for (qint32 n = 1; n <= std::max<qint32>(qint32(listed.size()), atLeast); ++n)
        if (PortRoute r = routeIn(n, listed); !r.device.isEmpty())
            all << r;
    return all;
}

PortRoute PortMap::routeIn(qint32 number, const QList<SerialDevice>& devices) const
{
    PortRoute r;
    r.number = number;
    r.device = m_settings ? m_settings->portMapping(number) : QString();
    if (r.device.isEmpty()) {
#ifdef Q_OS_WIN
        r.device = QStringLiteral("COM%1").arg(number);
        r.source = PortRoute::Source::Fixed;
        r.present = true;
        for (const SerialDevice& d : devices)
            if (d.location.compare(r.device, Qt::CaseInsensitive) == 0)
                r.info = d;
#else
        if (number <= devices.size()) {
            r.info = devices.at(number - 1);
            r.device = r.info->location;
            r.source = PortRoute::Source::SystemList;
            r.present = true;
        }
#endif
        return r;
    }
    r.source = PortRoute::Source::Settings;
    // A network line is no file: whether it is there shows only when it is opened.
    if (NetAddress::looksLikeNetwork(r.device)) {
        r.present = true;
        return r;
    }
    const QFileInfo file(r.device);
    r.present = file.exists();
    const QString target = file.canonicalFilePath();
    for (const SerialDevice& d : devices) {
        if (d.location == r.device || d.stablePath == r.device ||
            (!target.isEmpty() && QFileInfo(d.location).canonicalFilePath() == target)) {
            r.info = d;
            break;
        }
    }
    return r;
}

QString PortMap::pinFor(const PortRoute& r)
{
    if (r.source != PortRoute::Source::SystemList || !r.info)
        return {};
    return r.info->stablePath.isEmpty() ? r.info->location : r.info->stablePath;
}

std::optional<Message> PortMap::resolve(qint32 portNumber, const QString& address,
                                        PortRoute* r) const
{
    if (!address.isEmpty()) {
        *r = PortRoute{0, address, PortRoute::Source::Given, true, std::nullopt};
        return std::nullopt;
    }
    if (portNumber < 1)
        return Message{strings::NoPortSelected};
    *r = route(portNumber);
    if (r->device.isEmpty())
        return Message{strings::PortNumberMissing, {QString::number(portNumber)}};
    return std::nullopt;
}

std::optional<Message> PortMap::resolve(qint32 portNumber, const QString& address,
                                        QString* device) const
{
    PortRoute r;
    std::optional<Message> why = resolve(portNumber, address, &r);
    *device = r.device;
    return why;
}

QStringList PortMap::inPortOrder(QStringList devices)
{
    std::sort(devices.begin(), devices.end(), naturalLess);
    return devices;
}

} // namespace krn
