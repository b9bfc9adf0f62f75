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
    LineFault,    // the line failed (message says how), or the frame could not be built
};

struct Delivery {
    DeliveryKind kind = DeliveryKind::NoAnswer;
    QByteArray reply; // every byte read while waiting
    Message message;  // what to tell the operator when not delivered
    quint32 ms = 0;   // from the frame's write to the outcome

    bool delivered() const
    {
        return kind == DeliveryKind::Acknowledged || kind == DeliveryKind::Broadcast;
    }
};

// How long to wait for the acknowledgement. The default is the single
// command's: 3000 ms, 50 ms for a broadcast.
struct AckWait {
    std::chrono::milliseconds limit{3000};
    bool anyByteEnds = false; // a probe: the first byte back, whatever it is, ends the wait
};

} // namespace krn
