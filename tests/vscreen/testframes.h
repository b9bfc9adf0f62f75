#pragma once

#include <QByteArray>

// Frames for the tests, built here rather than with the link's encoder so a
// fault there cannot hide in both.
inline QByteArray frameBytes(quint8 screen, quint8 sequence, quint8 command,
                             const QByteArray& payload)
{
    QByteArray frame;
    frame.append(char(0x5A)).append(char(0xA5)).append(char(payload.size() + 6));
    frame.append(char(screen)).append(char(sequence)).append(char(command)).append(payload);
    char sum = 0;
    for (char byte : frame)
        sum ^= byte;
    return frame.append(sum);
}

inline QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// The two frames the protocol's own examples give byte for byte.
inline const QByteArray kLineSpeedFrame = hex("5AA50701000D02F6");
inline const QByteArray kBroadcastFrame = hex("5AA507FFFF1600EE");
