#include "lineclock.h"

#include <algorithm>

namespace krn::vscreen {

qint64 LineClock::wireNs(qint64 bytes, int baud)
{
    if (baud <= 0 || bytes <= 0)
        return 0;
    constexpr qint64 kNsPerSecond = 1'000'000'000;
    return (bytes * kBitsPerByte * kNsPerSecond + baud - 1) / baud;
}

void LineClock::received(qint64 nowNs, qint64 count, int baud)
{
    if (count <= 0)
        return;
    const qint64 start = std::max(nowNs, m_receiveFreeNs);
    m_chunks.push_back({m_received, count, start, baud});
    m_received += count;
    m_receiveFreeNs = start + wireNs(count, baud);
}

const LineClock::Chunk* LineClock::chunkOf(qint64 offset) const
{
    for (const Chunk& chunk : m_chunks)
        if (offset >= chunk.begin && offset < chunk.begin + chunk.count)
            return &chunk;
    return nullptr;
}

qint64 LineClock::throughAt(qint64 end) const
{
    const Chunk* chunk = chunkOf(end - 1);
    if (chunk == nullptr)
        return m_receiveFreeNs;
    return chunk->startNs + wireNs(end - chunk->begin, chunk->baud);
}

int LineClock::speedOf(qint64 begin, qint64 end) const
{
    int speed = -1;
    for (const Chunk& chunk : m_chunks) {
        if (chunk.begin + chunk.count <= begin || chunk.begin >= end)
            continue;
        if (speed >= 0 && chunk.baud != speed)
            return 0;
        speed = chunk.baud;
    }
    return std::max(speed, 0);
}

void LineClock::forget(qint64 offset)
{
    while (!m_chunks.empty() && m_chunks.front().begin + m_chunks.front().count <= offset)
        m_chunks.pop_front();
}

qint64 LineClock::sent(qint64 readyNs, qint64 count, int baud)
{
    m_sendFreeNs = std::max(readyNs, m_sendFreeNs) + wireNs(count, baud);
    return m_sendFreeNs;
}

} // namespace krn::vscreen
