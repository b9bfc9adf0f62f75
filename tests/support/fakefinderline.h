#pragma once

// A line whose time is simulated, for the finder's timing corners: screens
// answer after a delay of their own, and a late answer lands in whatever
// wait is running then.

#include "commands/screenfinder.h"

#include <QList>
#include <QStringList>
#include <algorithm>
#include <stdexcept>

namespace krn::test {

struct FakeScreen {
    qint32 speed;
    qint32 number;
    qint32 delay; // ms from the probe's write to the answer's arrival
    bool answersBroadcast = false;
};

class FakeFinderLine : public krn::FinderLine {
public:
    bool open(qint32 speed) override
    {
        m_speed = speed;
        m_open = true;
        return true;
    }
    bool setSpeed(qint32 speed) override
    {
        if (speed == failSpeedAt)
            return false;
        m_speed = speed;
        m_arrivals.clear(); // what was under way at the old speed is noise
        return true;
    }
    bool speedIsOurs() const override { return ownSpeed; }
    void close() override { m_open = false; }
    std::chrono::milliseconds roundTrip() const override { return roundTripMs; }

    krn::ProbeReply probe(qint32 screen, std::chrono::milliseconds wait,
                          std::chrono::milliseconds settle) override
    {
        if (!m_open)
            throw std::logic_error("probe on a closed line");
        probes << QStringLiteral("%1:%2").arg(m_speed).arg(screen);
        waits << qint32(wait.count());
        drop();
        while (settle.count() > 0 && !m_arrivals.isEmpty() &&
               m_arrivals.first() < now + settle.count())
            now = m_arrivals.takeFirst(); // heard while settling: quiet counts afresh
        if (settle.count() > 0)
            now += quint32(settle.count());
        drop();
        const quint32 sentAt = now;
        for (const FakeScreen& s : screens)
            if ((s.speed == m_speed || !ownSpeed) &&
                (s.number == screen || (screen == 255 && s.answersBroadcast)))
                arrive(sentAt + quint32(s.delay));
        if (probes.size() == faultAtProbe)
            return {{}, 0, sentAt, true};
        if (probes.size() == cancelAtProbe)
            finder->cancel();
        return waitFor(sentAt, wait);
    }
    krn::ProbeReply listen(std::chrono::milliseconds wait) override
    {
        drop();
        return waitFor(now, wait);
    }

    QList<FakeScreen> screens;
    bool ownSpeed = true;
    std::chrono::milliseconds roundTripMs{0};
    QStringList probes;
    QList<qint32> waits;
    qint32 failSpeedAt = 0;
    int faultAtProbe = -1;
    int cancelAtProbe = -1;
    krn::ScreenFinder* finder = nullptr;
    quint32 now = 0xFFFFF000u; // the clock wraps during the search

private:
    void arrive(quint32 at)
    {
        m_arrivals << at;
        std::sort(m_arrivals.begin(), m_arrivals.end(),
                  [this](quint32 a, quint32 b) { return a - now < b - now; });
    }
    void drop() // what came before now was discarded unread
    {
        while (!m_arrivals.isEmpty() && qint32(m_arrivals.first() - now) <= 0)
            m_arrivals.removeFirst();
    }
    krn::ProbeReply waitFor(quint32 from, std::chrono::milliseconds wait)
    {
        if (!m_arrivals.isEmpty() && m_arrivals.first() - from < quint32(wait.count())) {
            now = m_arrivals.takeFirst();
            return {QByteArray(1, 0x06), now - from, from, false};
        }
        now = from + quint32(wait.count());
        return {{}, quint32(wait.count()), from, false};
    }

    qint32 m_speed = 0;
    bool m_open = false;
    QList<quint32> m_arrivals;
};

} // namespace krn::test
