#include "framedecoder.h"

#include "frame.h"

namespace krn::vscreen {

std::vector<FrameDecoder::Item> FrameDecoder::feed(QByteArrayView bytes)
{
    m_pending.append(bytes);
    return scan(false);
}

std::vector<FrameDecoder::Item> FrameDecoder::flush()
{
    return scan(true);
}

std::vector<FrameDecoder::Item> FrameDecoder::scan(bool atEnd)
{
    std::vector<Item> items;
    QByteArray noise;
    qsizetype noiseEnd = 0;
    const auto emitNoise = [&] {
        if (!noise.isEmpty()) {
            items.push_back({Item::Kind::Noise, noise, m_offset + noiseEnd});
            noise.clear();
        }
    };
    const auto byteAt = [this](qsizetype i) { return static_cast<quint8>(m_pending.at(i)); };

    const qsizetype n = m_pending.size();
    qsizetype pos = 0;
    while (pos < n) {
        // Decide whether a frame can start at pos; `wait` means it still might.
        bool wait = false;
        bool start = byteAt(pos) == Frame::kHeader0;
        if (start) {
            if (pos + 1 >= n)
                wait = true;
            else if (byteAt(pos + 1) != Frame::kHeader1)
                start = false;
            else if (pos + 2 >= n)
                wait = true;
            else if (byteAt(pos + 2) < Frame::kMinLength)
                start = false;
            else if (pos + byteAt(pos + 2) + 1 > n)
                wait = true;
        }
        if (wait && !atEnd)
            break;
        if (!start || wait) {
            noise.append(m_pending.at(pos));
            ++pos;
            noiseEnd = pos;
            continue;
        }
        const Frame frame(m_pending.mid(pos, byteAt(pos + 2) + 1));
        emitNoise();
        items.push_back({Item::Kind::Frame, frame.bytes(), m_offset + pos + frame.bytes().size()});
        pos += frame.checksumOk() ? frame.bytes().size() : 1;
    }
    emitNoise();
    m_pending.remove(0, pos);
    m_offset += pos;
    return items;
}

} // namespace krn::vscreen
