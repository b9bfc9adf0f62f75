#include "screenfinder.h"

#include "strings/stringtable.h"
#include "strings/toolids.h"

#include <QSet>
#include <algorithm>

namespace krn {

using std::chrono::milliseconds;

Message progressMessage(const FinderProgress& p)
{
    if (p.broadcast)
        return Message{strings::FinderBroadcastProgress,
                       {strings::speedArg(p.speed), QString::number(p.found)}};
    return Message{
        strings::FinderProgress,
        {strings::speedArg(p.speed), QString::number(p.screen), QString::number(p.found)}};
}

Message foundMessage(const FoundScreen& f)
{
    return Message{strings::FinderFound,
                   {QString::number(f.screen), strings::speedArg(f.speed), QString::number(f.ms),
                    QString::fromLatin1(f.reply.toHex(' ').toUpper())}};
}

milliseconds ScreenFinder::lineTime(qint32 speed)
{
    if (speed <= 0)
        return milliseconds(0);
    const qint64 bits = qint64(ProbeFrameBytes + AnswerBytes) * BitsPerByte;
    return milliseconds((bits * 1000 + speed - 1) / speed); // rounded up
}

// One run of the search: what it has learned of the line and what it found.
class ScreenFinder::Search {
public:
    Search(ScreenFinder& finder, const FinderPlan& plan) : m_finder(finder), m_plan(plan) {}

    FinderResult run();

private:
    struct Sent {
        qint32 screen;
        quint32 at; // the line's clock at the probe's write
    };

    milliseconds waitAt(qint32 speed) const;
    // One probe with its progress report; false when the search must end.
    bool probe(qint32 speed, qint32 screen, bool broadcast, milliseconds wait, milliseconds settle,
               ProbeReply* reply);
    void learn(qint32 speed, const ProbeReply& reply);
    bool tryNumber(qint32 speed, qint32 screen);
    bool confirm(qint32 speed, qint32 screen, const ProbeReply& first, bool again = true);
    bool place(qint32 speed, quint32 arrivedAt, qint32 tried);
    bool found(qint32 speed, qint32 screen, const ProbeReply& reply);
    bool moveTo(qint32 speed);

    ScreenFinder& m_finder;
    const FinderPlan& m_plan;
    FinderLine& line() { return m_finder.m_line; }
    FinderResult m_result;
    FinderProgress m_progress;
    milliseconds m_roundTrip{0};
    qint32 m_slowest = 0;                  // the line time for a device server's own speed
    std::optional<milliseconds> m_learned; // lateness of the slowest answer heard
    qint32 m_speed = 0;                    // the speed the line is at now
    QList<Sent> m_sent;                    // this speed's probes, in order
    QSet<qint32> m_foundHere;              // numbers found at this speed
};

milliseconds ScreenFinder::Search::waitAt(qint32 speed) const
{
    if (m_plan.probeWait)
        return *m_plan.probeWait;
    const milliseconds margin = m_learned ? *m_learned + MarginSlack : Margin;
    return lineTime(speed > 0 ? speed : m_slowest) + m_roundTrip + margin;
}

bool ScreenFinder::Search::probe(qint32 speed, qint32 screen, bool broadcast, milliseconds wait,
                                 milliseconds settle, ProbeReply* reply)
{
    if (m_finder.m_cancelled || (m_finder.m_stop && m_finder.m_stop->load())) {
        m_result.end = FinderEnd::Cancelled;
        return false;
    }
    m_progress.broadcast = broadcast;
    m_progress.speed = speed;
    m_progress.screen = screen;
    m_progress.found = int(m_result.found.size());
    if (m_finder.onProgress)
        m_finder.onProgress(m_progress);
    *reply = line().probe(screen, wait, settle);
    ++m_result.probes;
    if (reply->lineFault) {
        m_result.end = FinderEnd::LineFault;
        m_result.speed = speed;
        return false;
    }
    return true;
}

// The margin follows the slowest answer heard beyond the line's own time.
void ScreenFinder::Search::learn(qint32 speed, const ProbeReply& reply)
{
    if (!m_plan.learnMargin || m_plan.probeWait)
        return;
    const milliseconds took(reply.ms);
    const milliseconds late =
        std::max(milliseconds(0), took - lineTime(speed > 0 ? speed : m_slowest) - m_roundTrip);
    m_learned = std::max(m_learned.value_or(milliseconds(0)), late);
}

bool ScreenFinder::Search::found(qint32 speed, qint32 screen, const ProbeReply& reply)
{
    const FoundScreen f{speed, screen, reply.reply, reply.ms};
    m_result.found << f;
    m_foundHere.insert(screen);
    if (m_finder.onFound)
        m_finder.onFound(f);
    return !m_plan.first;
}

bool ScreenFinder::Search::tryNumber(qint32 speed, qint32 screen)
{
    if (m_foundHere.contains(screen))
        return true; // placed already from a late answer
    ProbeReply reply;
    if (!probe(speed, screen, false, waitAt(speed), milliseconds(0), &reply))
        return false;
    m_sent << Sent{screen, reply.sentAt};
    if (!reply.answered())
        return true;
    ++m_progress.total;
    return confirm(speed, screen, reply);
}

// The same number once more, on a line quiet for as long as the answer took
// and the probe may wait: a byte that trailed in from an earlier number has
// come and gone by then.
bool ScreenFinder::Search::confirm(qint32 speed, qint32 screen, const ProbeReply& first, bool again)
{
    const milliseconds wait = waitAt(speed) + milliseconds(first.ms);
    ProbeReply second;
    if (!probe(speed, screen, false, wait, std::max(waitAt(speed), milliseconds(first.ms)),
               &second))
        return false;
    if (second.answered()) {
        learn(speed, second);
        return found(speed, screen, second);
    }
    const qsizetype before = m_result.found.size();
    if (!place(speed, first.sentAt + first.ms, screen))
        return false;
    // The byte was an earlier number's. With the margin that number taught,
    // this one is asked once more: it may be just as slow.
    if (!again || m_result.found.size() == before)
        return true;
    ProbeReply retry;
    ++m_progress.total;
    if (!probe(speed, screen, false, waitAt(speed), waitAt(speed), &retry))
        return false;
    return !retry.answered() || confirm(speed, screen, retry, false);
}

// A byte that came at `arrivedAt` and was not the tried number's answer: the
// numbers probed in the window before it are asked again, newest first, each
// waiting as long as the byte took from that number's probe.
bool ScreenFinder::Search::place(qint32 speed, quint32 arrivedAt, qint32 tried)
{
    const QList<Sent> sent = m_sent;
    for (auto it = sent.crbegin(); it != sent.crend(); ++it) {
        const quint32 took = arrivedAt - it->at; // modulo 2^32, as the clock wraps
        if (took > quint32(LateWindow.count()))
            break;
        if (it->screen == tried || m_foundHere.contains(it->screen))
            continue;
        const milliseconds wait = milliseconds(took) + 2 * MarginSlack;
        ProbeReply reply;
        ++m_progress.total;
        if (!probe(speed, it->screen, false, wait, waitAt(speed), &reply))
            return false;
        if (!reply.answered())
            continue;
        ProbeReply again;
        ++m_progress.total;
        if (!probe(speed, it->screen, false, wait, std::max(wait, waitAt(speed)), &again))
            return false;
        if (again.answered()) {
            learn(speed, again);
            return found(speed, it->screen, again);
        }
    }
    return true;
}

bool ScreenFinder::Search::moveTo(qint32 speed)
{
    if (speed == m_speed)
        return true;
    if (!line().setSpeed(speed)) {
        m_result.end = FinderEnd::OpenFailed;
        m_result.speed = speed;
        return false;
    }
    m_speed = speed;
    return true;
}

FinderResult ScreenFinder::Search::run()
{
    QList<qint32> screens = m_plan.screens;
    if (screens.isEmpty())
        for (qint32 n = 0; n <= 254; ++n)
            screens << n;
    QList<qint32> speeds = m_plan.speeds;
    if (speeds.isEmpty())
        return m_result;
    m_slowest = *std::min_element(speeds.begin(), speeds.end());

    if (!line().open(speeds.first())) {
        m_result.end = FinderEnd::OpenFailed;
        m_result.speed = speeds.first();
        return m_result;
    }
    m_speed = speeds.first();
    m_roundTrip = line().roundTrip();
    // A raw device server port keeps the speed the server is set to.
    if (!line().speedIsOurs()) {
        speeds = {0};
        m_speed = 0;
        m_result.serverSpeed = true;
    }
    m_progress.total = int(speeds.size() * (screens.size() + 1));

    for (const qint32 speed : std::as_const(speeds)) {
        ProbeReply reply;
        if (!moveTo(speed) || !probe(speed, 255, true, waitAt(speed), milliseconds(0), &reply))
            return line().close(), m_result;
        ++m_progress.done;
        if (reply.answered()) {
            m_result.listening << speed;
            learn(speed, reply);
        }
    }

    QList<qint32> order = m_result.listening;
    for (const qint32 speed : std::as_const(speeds))
        if (!order.contains(speed))
            order << speed;

    for (const qint32 speed : std::as_const(order)) {
        if (!moveTo(speed))
            return line().close(), m_result;
        m_sent.clear();
        m_foundHere.clear();
        for (const qint32 screen : std::as_const(screens)) {
            if (!tryNumber(speed, screen))
                return line().close(), m_result;
            ++m_progress.done;
        }
        // The last numbers' answers may still be on their way.
        const ProbeReply late = line().listen(LateWindow);
        if (late.lineFault) {
            m_result.end = FinderEnd::LineFault;
            m_result.speed = speed;
            return line().close(), m_result;
        }
        if (late.answered() && !place(speed, late.sentAt + late.ms, -1))
            return line().close(), m_result;
    }
    line().close();
    return m_result;
}

FinderResult ScreenFinder::run(const FinderPlan& plan)
{
    m_cancelled = false;
    Search search(*this, plan);
    return search.run();
}

} // namespace krn
