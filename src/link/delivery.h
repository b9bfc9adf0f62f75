#pragma once

#include "core/message.h"

#include <QByteArray>
#include <QtGlobal>
#include <chrono>

namespace krn {

// How one frame fared.
enum class DeliveryKind {
    Acknowledged, // the reply started with 06
    Broadcast,    // sent to every screen; counted as delivered
    Refused,      // bytes came back, none of them an acknowledgement
    NoAnswer,     // nothing came back in time
    LineFault,    // the line failed (message says how), flooded, or the frame could not be built
};

// A wait keeps this many reply bytes and counts the rest: a screen answers
// one byte, and a flooding line must not fill the memory.
inline constexpr qsizetype ReplyKept = 64;

struct Delivery {
    DeliveryKind kind = DeliveryKind::NoAnswer;
    QByteArray reply;      // the first reply bytes read while waiting, at most ReplyKept
    qint64 replyBytes = 0; // every reply byte read while waiting
    Message message;       // what to tell the operator when not delivered
    quint32 ms = 0;        // from the frame's write to the outcome
    quint32 sentAt = 0;    // the link's clock at the write

    bool delivered() const
    {
        return kind == DeliveryKind::Acknowledged || kind == DeliveryKind::Broadcast;
    }
};

inline constexpr std::chrono::milliseconds AckTimeout{3000};
inline constexpr std::chrono::milliseconds BroadcastWait{50};
// After a frame that was not acknowledged, the next one waits until the line
// has been quiet this long (plus twice the network's round trip), so a late
// answer to the first is not taken for the second's acknowledgement.
inline constexpr std::chrono::milliseconds LateAnswerGuard{250};

// How long to wait for the acknowledgement. The default is the single
// command's: 3000 ms, 50 ms for a broadcast.
struct AckWait {
    std::chrono::milliseconds limit{AckTimeout};
    bool anyByteEnds = false; // a probe: the first byte back, whatever it is, ends the wait
    std::chrono::milliseconds settle{LateAnswerGuard};
    bool quietFirst = false; // settle also after an acknowledged frame (bytes may trail it)
};

} // namespace krn
