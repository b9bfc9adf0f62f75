#include "linework.h"

#include "commander.h"
#include "engine.h"

#include <QEventLoop>
#include <QMutex>
#include <QThread>
#include <memory>

namespace krn {

bool ScreenDone::delivered(qsizetype stepsWanted) const
{
    if (interrupted || speedFault || steps.size() != stepsWanted)
        return false;
    return std::all_of(steps.begin(), steps.end(),
                       [](const StepDone& s) { return s.outcome.delivered(); });
}

LineDone runLine(Commander& commander, const LineWork& work, const std::atomic<bool>& stop,
                 const std::function<void(const ScreenDone&)>& onScreen)
{
    LineDone done;
    if (work.screens.isEmpty())
        return done;
    Link& link = commander.link();
    LinkTarget target = work.target;
    target.baudRate = work.screens.first().speed;
    target.screen = work.screens.first().screen;
    if (std::optional<Message> why = link.OpenPort(target)) {
        done.openFailure = why;
        return done;
    }
    const bool serverSpeed = link.kind() == LineKind::RawTcp;
    qint32 lineSpeed = target.baudRate;
    commander.setStop(&stop);

    for (const ScreenWork& work : work.screens) {
        if (stop.load()) {
            done.interrupted = true;
            break;
        }
        ScreenDone screen{work.tag, work.screen, work.speed, serverSpeed, {}, false, {}};
        qint32 number = work.screen;
        const auto moveTo = [&](qint32 speed) {
            if (serverSpeed || speed == lineSpeed)
                return true;
            screen.speedFault = link.setSpeed(speed);
            if (!screen.speedFault)
                lineSpeed = speed;
            return !screen.speedFault;
        };
        if (moveTo(work.speed)) {
            for (const Step& step : work.steps) {
                if (stop.load()) {
                    screen.interrupted = true;
                    break;
                }
                const Outcome outcome = commander.execute(step.command, number, step.values);
                screen.steps << StepDone{step.command, outcome, QDateTime::currentDateTime()};
                if (outcome.kind == OutcomeKind::Interrupted)
                    screen.interrupted = true;
                if (!outcome.delivered())
                    break;
                // The screen answers to its new number, at its new speed, from now on.
                const FollowUp follow = commandInfo(step.command).followUp;
                if (follow == FollowUp::ScreenFollows && number != BroadcastScreen)
                    number = step.values.newScreen;
                if (follow == FollowUp::SpeedFollows &&
                    !moveTo(LineSpeeds.at(step.values.newSpeedPosition)))
                    break;
            }
        }
        done.screens << screen;
        if (onScreen)
            onScreen(screen);
        if (screen.interrupted) {
            done.interrupted = true;
            break;
        }
    }
    commander.setStop(nullptr);
    link.ClosePort();
    return done;
}

namespace {

// Many lines' traffic into one receiver, one record at a time.
class SerialisedEvents final : public EngineEvents {
public:
    explicit SerialisedEvents(EngineEvents* target) : m_target(target) {}
    void traffic(const TrafficRecord& record) override
    {
        const QMutexLocker lock(&m_mutex);
        if (m_target)
            m_target->traffic(record);
    }

private:
    QMutex m_mutex;
    EngineEvents* m_target;
};

} // namespace

QList<LineDone> runLines(const QList<LineWork>& lines, int jobs, const std::atomic<bool>& stop,
                         EngineEvents* events,
                         const std::function<void(int, const ScreenDone&)>& onScreen)
{
    if (lines.size() == 1) {
        LinkState state;
        Engine engine(state, nullptr, events);
        return {runLine(engine.commander, lines.first(), stop, [&](const ScreenDone& s) {
            if (onScreen)
                onScreen(0, s);
        })};
    }

    QList<LineDone> results(lines.size());
    SerialisedEvents serialised(events);
    QObject here; // receives the threads' reports on the calling thread
    QEventLoop loop;
    qsizetype next = 0;
    int running = 0;
    qsizetype finished = 0;
    std::function<void()> startMore = [&] {
        while (running < std::max(jobs, 1) && next < lines.size()) {
            const qsizetype i = next++;
            ++running;
            QThread* thread = QThread::create([&, i] {
                LinkState state;
                Engine engine(state, nullptr, &serialised);
                results[i] =
                    runLine(engine.commander, lines.at(i), stop, [&, i](const ScreenDone& s) {
                        QMetaObject::invokeMethod(
                            &here,
                            [&, i, s] {
                                if (onScreen)
                                    onScreen(int(i), s);
                            },
                            Qt::QueuedConnection);
                    });
            });
            // Queued behind the thread's last report, so every report is in.
            QObject::connect(thread, &QThread::finished, &here, [&, thread] {
                thread->wait();
                delete thread;
                --running;
                if (++finished == lines.size())
                    loop.quit();
                else
                    startMore();
            });
            thread->start();
        }
    };
    startMore();
    if (finished < lines.size())
        loop.exec();
    return results;
}

} // namespace krn
