#include "encoding.h"

#include <QStringDecoder>

namespace krn {

QString decodeUtf8OrGb18030(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030");
    if (gb18030.isValid())
        return gb18030(bytes);
    return QString::fromLocal8Bit(bytes);
}

} // namespace krn
