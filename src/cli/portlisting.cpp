#include "portlisting.h"

#include "strings/toolids.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace krn::cli {

QString portsText(const QList<PortRoute>& rows, strings::Language language)
{
    if (rows.isEmpty())
        return strings::load(strings::NoPorts, language) + u'\n';
    QString text = strings::load(strings::PortsHeader, language) + u'\n';
    for (const PortRoute& r : rows) {
        const SerialDevice d = r.info.value_or(SerialDevice{});
        text += QStringList{QString::number(r.number), r.device, d.description, d.manufacturer,
                            d.serialNumber}
                    .join(u'\t') +
                u'\n';
    }
    return text;
}

QString portsJson(const QList<PortRoute>& rows)
{
    QString text;
    for (const PortRoute& r : rows) {
        const SerialDevice d = r.info.value_or(SerialDevice{});
        const QJsonObject o{{QStringLiteral("port"), r.number},
                            {QStringLiteral("device"), r.device},
                            {QStringLiteral("description"), d.description},
                            {QStringLiteral("maker"), d.manufacturer},
                            {QStringLiteral("serial"), d.serialNumber}};
        text += QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + u'\n';
    }
    return text;
}

} // namespace krn::cli
