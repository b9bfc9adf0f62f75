#include "frame.h"

#include "core/failure.h"
#include "core/numtext.h"
#include "core/textids.h"

namespace krn::frame {

QByteArray encode(qint32 screen, qint32 sequence, quint8 command, QByteArrayView data)
{
    if (data.isEmpty())
        throw Failure(Message{strings::EmptyFrame});
    QByteArray bytes;
    bytes.reserve(HeaderBytes + data.size() + 1);
    bytes.append(char(Start1)).append(char(Start2));
    bytes.append(char(wholeToByte(qint64(data.size()) + HeaderBytes)));
    bytes.append(char(wholeToByte(screen)));
    bytes.append(char(wholeToByte(sequence)));
    bytes.append(char(command));
    bytes.append(data);
    quint8 sum = 0;
    for (const char b : std::as_const(bytes))
        sum ^= quint8(b);
    bytes.append(char(sum));
    return bytes;
}

} // namespace krn::frame
