#include "screenfinder.h"

namespace krn {

std::chrono::milliseconds ScreenFinder::probeWait(qint32 speed)
{
    if (speed <= 0)
        return Margin;
    const qint64 bits = qint64(ProbeFrameBytes + AnswerBytes) * BitsPerByte;
    const qint64 lineMs = (bits * 1000 + speed - 1) / speed; // rounded up
    return std::chrono::milliseconds(lineMs) + Margin;
}

FinderResult ScreenFinder::run(const FinderPlan& plan)
{
    m_cancelled = false;
    QList<qint32> screens = plan.screens;
    if (screens.isEmpty())
        for (qint32 n = 0; n <= 254; ++n)
            screens << n;

    FinderResult result;
    FinderProgress progress;
    progress.total = int(plan.speeds.size() * (screens.size() + 1));

    const auto waitAt = [&](qint32 speed) { return plan.probeWait.value_or(probeWait(speed)); };
    // One probe with its progress report; false when the search must end.
    const auto probe = [&](qint32 speed, qint32 screen, bool broadcast, ProbeReply* reply) -> bool {
        if (m_cancelled) {
            result.end = FinderEnd::Cancelled;
            return false;
        }
        progress.broadcast = broadcast;
        progress.speed = speed;
        progress.screen = screen;
        progress.found = int(result.found.size());
        if (onProgress)
            onProgress(progress);
        *reply = m_line.probe(screen, waitAt(speed));
        ++progress.done;
        ++result.probes;
        if (reply->lineFault) {
            result.end = FinderEnd::LineFault;
            result.speed = speed;
            return false;
        }
        return true;
    };
    const auto openAt = [&](qint32 speed) {
        if (m_line.open(speed))
            return true;
        result.end = FinderEnd::OpenFailed;
        result.speed = speed;
        return false;
    };

    for (const qint32 speed : plan.speeds) {
        if (!openAt(speed))
            return result;
        ProbeReply reply;
        const bool goOn = probe(speed, 255, true, &reply);
        m_line.close();
        if (!goOn)
            return result;
        if (reply.answered())
            result.listening << speed;
    }

    QList<qint32> order = result.listening;
    for (const qint32 speed : plan.speeds)
        if (!order.contains(speed))
            order << speed;

    for (const qint32 speed : order) {
        if (!openAt(speed))
            return result;
        for (const qint32 screen : std::as_const(screens)) {
            ProbeReply reply;
            if (!probe(speed, screen, false, &reply)) {
                m_line.close();
                return result;
            }
            if (!reply.answered())
                continue;
            const FoundScreen found{speed, screen, reply.reply, reply.ms};
            result.found << found;
            if (onFound)
                onFound(found);
            if (plan.first) {
                m_line.close();
                return result;
            }
        }
        m_line.close();
    }
    return result;
}

} // namespace krn
