#pragma once

#include "core/message.h"
#include "finderline.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>

namespace krn {

// What to search: the speeds and the screen numbers, in the order to try.
struct FinderPlan {
    QList<qint32> speeds{9600, 19200, 38400, 57600};
    QList<qint32> screens;                              // 0..254 when empty
    std::optional<std::chrono::milliseconds> probeWait; // derived from the line when unset
    bool first = false;                                 // stop at the first screen found
    bool learnMargin = true; // shorten the wait to what the answers heard need
};

// A screen that answered a probe and, on a quiet line, its confirming probe.
struct FoundScreen {
    qint32 speed = 0; // bit/s; 0: the speed a device server keeps for itself
    qint32 screen = 0;
    QByteArray reply; // the confirming probe's
    quint32 ms = 0;
};

struct FinderProgress {
    bool broadcast = false; // the broadcast probe of a speed
    qint32 speed = 0;       // 0: the device server's own
    qint32 screen = 0;
    int done = 0;  // probes sent before this one
    int total = 0; // probes a search without answers sends
    int found = 0;
};

// What the finder is doing, and what it found, as the operator is told.
Message progressMessage(const FinderProgress& progress);
Message foundMessage(const FoundScreen& found);

enum class FinderEnd { Finished, Cancelled, OpenFailed, LineFault };

struct FinderResult {
    FinderEnd end = FinderEnd::Finished;
    QList<FoundScreen> found;
    QList<qint32> listening;  // speeds at which something answered the broadcast
    qint32 speed = 0;         // the speed at which the line failed
    int probes = 0;           // probes sent, confirming ones included
    bool serverSpeed = false; // one pass at the device server's own speed
};

// Finds the screens on a line whose speed or number is unknown. The line is
// opened once and moved from speed to speed. At each speed one broadcast
// probe first: any byte back says a screen listens there (several answering
// at once garble each other, so any byte counts). Those speeds are searched
// first; the others are still searched number by number, because not every
// controller answers a broadcast.
//
// A probe waits for its and the answer's time on the wire, the network's
// round trip, and a margin: 30 ms until something answered, then what the
// slowest answer heard needed, a little more. An answer is taken only when a
// confirming probe on a quiet line is answered too. An answer that is not
// confirmed came late from an earlier number: the numbers probed in the
// LateWindow before it are probed again, newest first, each waiting as long
// as the late answer took from its probe, and the margin grows to what the
// screen found there needs. After a speed's last number the line is listened
// to for that long, so a slow last screen is placed the same way.
class ScreenFinder {
public:
    explicit ScreenFinder(FinderLine& line) : m_line(line) {}

    std::function<void(const FinderProgress&)> onProgress;
    std::function<void(const FoundScreen&)> onFound;

    FinderResult run(const FinderPlan& plan);
    // Ends the search after the probe on the line now (called from an event
    // handled while a probe waits).
    void cancel() { m_cancelled = true; }
    // A stop asked for from outside (a signal) ends it the same way.
    void setStop(const std::atomic<bool>* stop) { m_stop = stop; }

    // Bits a byte takes on the line: start, 8 data, parity, stop.
    static constexpr int BitsPerByte = 11;
    static constexpr int ProbeFrameBytes = 13; // 6 header + 6 data + checksum
    static constexpr int AnswerBytes = 1;
    // Until something answered: time for the controller to answer and for a
    // USB adapter to pass the byte on (their latency timers hold bytes up to
    // 16 ms).
    static constexpr std::chrono::milliseconds Margin{30};
    // Above the slowest answer heard, and never less.
    static constexpr std::chrono::milliseconds MarginSlack{4};
    // How late an answer may come and still be placed.
    static constexpr std::chrono::milliseconds LateWindow{500};

    // The probe's and the answer's time on the wire at `speed`, rounded up.
    static std::chrono::milliseconds lineTime(qint32 speed);
    // lineTime(speed) plus the margin used before anything answered.
    static std::chrono::milliseconds probeWait(qint32 speed) { return lineTime(speed) + Margin; }

private:
    class Search;
    FinderLine& m_line;
    bool m_cancelled = false;
    const std::atomic<bool>* m_stop = nullptr;
};

} // namespace krn
