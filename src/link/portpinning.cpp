#include "portpinning.h"

#include <QFileInfo>

namespace krn {

namespace {
// A network line ("tcp://host:port") is no file: whether it is there shows
// only when it is opened.
bool isNetworkAddress(const QString& address)
{
    return address.contains(QStringLiteral("://"));
}
} // namespace

PortRoute PortPinning::route(qint32 number) const
{
    PortRoute r;
    if (number < 1)
        return r;
    const QList<SerialDevice> devices = m_devices.list();
    r.device = m_read(number).trimmed();
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
    if (isNetworkAddress(r.device)) {
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

QString PortPinning::pinAfterUse(qint32 number)
{
    const PortRoute r = route(number);
    if (r.source != PortRoute::Source::SystemList || !r.info)
        return {};
    // Without a by-id link the device's own name is still better than a
    // position in a list that changes with every adapter plugged in.
    const QString path = r.info->stablePath.isEmpty() ? r.info->location : r.info->stablePath;
    return m_write(number, path) ? path : QString();
}

} // namespace krn
