#include "frame.h"

namespace krn::vscreen {

quint8 Frame::expectedChecksum() const
{
    quint8 sum = 0;
    for (qsizetype i = 0; i + 1 < m_bytes.size(); ++i)
        sum ^= at(i);
    return sum;
}

QString Frame::hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace krn::vscreen
