#pragma once

#include <QtGlobal>
#include <deque>

namespace krn::vscreen {

// Time on the wire of a serial line, in nanoseconds of one steady clock. A
// byte takes 11 bit times (start, 8 data, parity, stop); bytes handed over
// while earlier ones are still on the wire queue behind them.
//
// Receiving: the pty hands over a client's write at once, so a chunk read at
// time t is taken to have started on the wire at t (or when the line came
// free). Sending: an answer is written only when its last byte would have
// reached the client.
class LineClock {
public:
    static constexpr int kBitsPerByte = 11;

    // Time of `bytes` bytes at `baud` bit/s, rounded up; 0 for no speed.
    static qint64 wireNs(qint64 bytes, int baud);

    // `count` bytes that follow the ones recorded before were read at nowNs;
    // they travelled at `baud` bit/s.
    void received(qint64 nowNs, qint64 count, int baud);
    // When the byte just before stream offset `end` was through; offsets
    // count every byte recorded, from 0.
    qint64 throughAt(qint64 end) const;
    // The speed the bytes [begin, end) travelled at; 0 if it changed meanwhile.
    int speedOf(qint64 begin, qint64 end) const;
    // Bytes before `offset` will not be asked about again.
    void forget(qint64 offset);

    // An answer of `count` bytes is ready at readyNs: when its last byte
    // reaches the far end. Answers queue behind each other.
    qint64 sent(qint64 readyNs, qint64 count, int baud);

private:
    struct Chunk {
        qint64 begin = 0; // stream offset of its first byte
        qint64 count = 0;
        qint64 startNs = 0; // when its first byte started on the wire
        int baud = 0;
    };
    const Chunk* chunkOf(qint64 offset) const;

    std::deque<Chunk> m_chunks;
    qint64 m_received = 0;      // bytes recorded
    qint64 m_receiveFreeNs = 0; // when the last of them is through
    qint64 m_sendFreeNs = 0;    // when the last answer is through
};

} // namespace krn::vscreen
