#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace krn::vscreen {

// One frame as it came off the wire: 5A A5, length (payload + 6), screen,
// sequence, command, payload, then the XOR of every byte before it.
class Frame {
public:
    static constexpr quint8 kHeader0 = 0x5A;
    static constexpr quint8 kHeader1 = 0xA5;
    static constexpr int kMinLength = 6; // the length byte of a frame without payload
    static constexpr quint8 kBroadcast = 255;

    // bytes must hold a whole frame: at least 7 bytes, length byte + 1 in all.
    explicit Frame(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    const QByteArray& bytes() const { return m_bytes; }
    quint8 length() const { return at(2); }
    quint8 screen() const { return at(3); }
    quint8 sequence() const { return at(4); }
    quint8 command() const { return at(5); }
    QByteArray payload() const { return m_bytes.mid(6, m_bytes.size() - 7); }
    quint8 checksum() const { return at(m_bytes.size() - 1); }
    quint8 expectedChecksum() const;
    bool checksumOk() const { return checksum() == expectedChecksum(); }

    // "5A A5 07 ..." - the form every log line uses.
    static QString hex(const QByteArray& bytes);

private:
    quint8 at(qsizetype i) const { return static_cast<quint8>(m_bytes.at(i)); }

    QByteArray m_bytes;
};

} // namespace krn::vscreen
