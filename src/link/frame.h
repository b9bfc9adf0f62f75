#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

namespace krn::frame {

// 5A A5 len screen seq cmd data... xor: the one frame every command travels in.
inline constexpr quint8 Start1 = 0x5A;
inline constexpr quint8 Start2 = 0xA5;
inline constexpr int HeaderBytes = 6;
// The length byte counts the header and the data, so at most 249 data bytes.
inline constexpr qsizetype MaxData = 255 - HeaderBytes;
inline constexpr quint8 Ack = 0x06;
inline constexpr qint32 BroadcastScreen = 255;

// The frame as it goes on the wire. Throws krn::Failure when the data length,
// the screen or the sequence number does not fit its byte, or there is no data.
QByteArray encode(qint32 screen, qint32 sequence, quint8 command, QByteArrayView data);

// The sequence number after `sequence`: 0, 1, ... 255, 0, ...
inline qint32 nextSequence(qint32 sequence)
{
    return sequence >= 255 ? 0 : sequence + 1;
}

} // namespace krn::frame
