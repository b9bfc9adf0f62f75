#pragma once

#include <QtGlobal>
#include <chrono>

namespace krn {

// Lets the window handle its pending events from inside a long operation, so
// the clock preview ticks and repaints happen while a command waits.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Handle what is pending now and return.
    virtual void processPending() = 0;
    // Sleep until some event arrives (port data, a click, a timer) or maxWait
    // passes, handling what arrives. Never spins.
    virtual void waitForEvents(std::chrono::milliseconds maxWait) = 0;
};

// A 32-bit millisecond counter; it wraps after about 49.7 days, so callers
// compute elapsed time modulo 2^32.
class MsClock {
public:
    virtual ~MsClock() = default;
    virtual quint32 nowMs() = 0;
};

inline quint32 elapsedSince(quint32 start, quint32 now)
{
    return now - start; // unsigned arithmetic is modulo 2^32
}

} // namespace krn
