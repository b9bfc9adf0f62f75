#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace krn::vscreen {

// Cuts a byte stream into frames. Bytes may arrive in any pieces; bytes that
// cannot start a frame are reported as noise and skipped. A candidate whose
// checksum fails is reported too, and then only its first byte is dropped so
// that a real frame hidden behind a false header is still found.
class FrameDecoder {
public:
    struct Item {
        enum class Kind { Frame, Noise };
        Kind kind = Kind::Noise;
        QByteArray bytes; // a whole frame (good or bad checksum), or the skipped bytes
        qint64 end = 0;   // stream offset just past its last byte (bytes fed before it)
    };

    std::vector<Item> feed(QByteArrayView bytes);
    // The line went quiet: nothing more will complete what is pending, so a
    // half frame is noise. Frames behind it are still decoded.
    std::vector<Item> flush();
    bool hasPending() const { return !m_pending.isEmpty(); }
    // Stream offset of the first byte not yet decoded: everything before it is done with.
    qint64 pendingStart() const { return m_offset; }

private:
    std::vector<Item> scan(bool atEnd);

    QByteArray m_pending;
    qint64 m_offset = 0; // stream offset of m_pending's first byte
};

} // namespace krn::vscreen
