#include "portlisting.h"

#include "link/portmap.h"
#include "strings/toolids.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>

namespace krn::cli {

QList<PortRow> portRows(const QList<PortDevice>& system,
                        const std::function<QString(qint32)>& mapped, qint32 mappedUpTo)
{
    QStringList names;
    for (const PortDevice& p : system)
        names << p.device;
    const QStringList ordered = PortMap::inPortOrder(names);

    const auto described = [&](const QString& device) {
        for (const PortDevice& p : system)
            if (p.device == device)
                return p;
        return PortDevice{device, {}, {}, {}};
    };
    QList<PortRow> rows;
    const qint32 last = std::max<qint32>(qint32(ordered.size()), mappedUpTo);
    for (qint32 n = 1; n <= last; ++n) {
        QString device = mapped ? mapped(n) : QString();
        if (device.isEmpty() && n <= ordered.size())
            device = ordered.at(n - 1);
        if (!device.isEmpty())
            rows << PortRow{n, described(device)};
    }
    return rows;
}

QList<PortDevice> systemPorts()
{
    QList<PortDevice> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports << PortDevice{info.systemLocation(), info.description(), info.manufacturer(),
                            info.serialNumber()};
    return ports;
}

QString portsText(const QList<PortRow>& rows, strings::Language language)
{
    if (rows.isEmpty())
        return strings::load(strings::NoPorts, language) + u'\n';
    QString text = strings::load(strings::PortsHeader, language) + u'\n';
    for (const PortRow& r : rows)
        text += QStringList{QString::number(r.number), r.port.device, r.port.description,
                            r.port.maker, r.port.serialNumber}
                    .join(u'\t') +
                u'\n';
    return text;
}

QString portsJson(const QList<PortRow>& rows)
{
    QString text;
    for (const PortRow& r : rows) {
        const QJsonObject o{{QStringLiteral("port"), r.number},
                            {QStringLiteral("device"), r.port.device},
                            {QStringLiteral("description"), r.port.description},
                            {QStringLiteral("maker"), r.port.maker},
                            {QStringLiteral("serial"), r.port.serialNumber}};
        text += QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + u'\n';
    }
    return text;
}

} // namespace krn::cli
