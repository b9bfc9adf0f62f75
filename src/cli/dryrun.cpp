#include "dryrun.h"

#include "link/frame.h"
#include "report.h"
#include "strings/toolids.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace krn::cli {

QString DryRun::line(qint32 screen, qint32 speed, const QString& command, quint8 code,
                     const QByteArray& data)
{
    const QString hex = hexBytes(frame::encode(screen, m_sequence, code, data));
    m_sequence = frame::nextSequence(m_sequence);
    if (m_json) {
        const QJsonObject o{{QStringLiteral("screen"), screen},
                            {QStringLiteral("speed"), speed > 0 ? QJsonValue(speed) : QJsonValue()},
                            {QStringLiteral("command"), command},
                            {QStringLiteral("frame"), hex}};
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    return strings::load(strings::DryRunFrame, m_language)
        .arg(QString::number(screen), strings::speedText(speed, m_language), command, hex);
}

} // namespace krn::cli
