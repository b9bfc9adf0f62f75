#pragma once

#include <QByteArrayView>
#include <QString>

namespace krn {

// Text as files from Chinese Windows installations and spreadsheets hold it:
// UTF-8 when the bytes are valid UTF-8 (a byte order mark dropped), else the
// Chinese code page GB18030.
QString decodeUtf8OrGb18030(QByteArrayView bytes);

} // namespace krn
