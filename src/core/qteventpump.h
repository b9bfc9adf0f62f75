#pragma once

#include "core/eventpump.h"

#include <QElapsedTimer>
#include <QTimer>

namespace krn {

// Processes the application's events; waiting sleeps in the event loop until
// something arrives or a precise timer fires, so a wait costs no processor.
class QtEventPump : public EventPump {
public:
    QtEventPump();
    void processPending() override;
    void waitForEvents(std::chrono::milliseconds maxWait) override;

private:
    QTimer m_deadline;
};

// Milliseconds since construction, truncated to 32 bits; `offset` lets a run
// start near the wrap.
class SteadyClock : public MsClock {
public:
    explicit SteadyClock(quint32 offset = 0) : m_offset(offset) { m_timer.start(); }
    quint32 nowMs() override { return m_offset + static_cast<quint32>(m_timer.elapsed()); }

private:
    QElapsedTimer m_timer;
    quint32 m_offset;
};

} // namespace krn
