#include "dryrun.h"

#include "report.h"
#include "strings/toolids.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace krn::cli {

QByteArray frameBytes(quint8 screen, quint8 sequence, quint8 command, const QByteArray& data)
{
    QByteArray frame;
    frame.reserve(data.size() + 7);
    frame.append(char(0x5A)).append(char(0xA5));
    frame.append(char(quint8(data.size() + 6)));
    frame.append(char(screen)).append(char(sequence)).append(char(command));
    frame.append(data);
    quint8 sum = 0;
    for (const char b : std::as_const(frame))
        sum ^= quint8(b);
    frame.append(char(sum));
    return frame;
}

QString DryRun::line(qint32 screen, qint32 speed, const QString& command, quint8 code,
                     const QByteArray& data)
{
    const QString hex = hexBytes(frameBytes(quint8(screen), m_sequence, code, data));
    m_sequence = quint8(m_sequence + 1); // the link wraps from 255 to 0 too
    if (m_json) {
        const QJsonObject o{{QStringLiteral("screen"), screen},
                            {QStringLiteral("speed"), speed},
                            {QStringLiteral("command"), command},
                            {QStringLiteral("frame"), hex}};
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    return strings::load(strings::DryRunFrame, m_language)
        .arg(QString::number(screen), QString::number(speed), command, hex);
}

} // namespace krn::cli
