#pragma once

#include "finderline.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>
#include <chrono>
#include <functional>
#include <optional>

namespace krn {

// What to search: the speeds and the screen numbers, in the order to try.
struct FinderPlan {
    QList<qint32> speeds{9600, 19200, 38400, 57600};
    QList<qint32> screens;                              // 0..254 when empty
    std::optional<std::chrono::milliseconds> probeWait; // derived from the speed when unset
    bool first = false;                                 // stop at the first screen found
};

struct FoundScreen {
    qint32 speed = 0;
    qint32 screen = 0;
    QByteArray reply;
    quint32 ms = 0;
};

struct FinderProgress {
    bool broadcast = false; // the broadcast probe of a speed
    qint32 speed = 0;
    qint32 screen = 0;
    int done = 0;  // probes sent before this one
    int total = 0; // probes a full search sends
    int found = 0;
};

enum class FinderEnd { Finished, Cancelled, OpenFailed, LineFault };

struct FinderResult {
    FinderEnd end = FinderEnd::Finished;
    QList<FoundScreen> found;
    QList<qint32> listening; // speeds at which something answered the broadcast
    qint32 speed = 0;        // the speed at which the line failed
    int probes = 0;          // probes sent
};

// Finds the screens on a line whose speed or number is unknown. At each
// speed one broadcast probe first: any byte back says a screen listens
// there (several answering at once garble each other, so any byte counts).
// Those speeds are searched first; the others are still searched number by
// number, because not every controller answers a broadcast.
class ScreenFinder {
public:
    explicit ScreenFinder(FinderLine& line) : m_line(line) {}

    std::function<void(const FinderProgress&)> onProgress;
    std::function<void(const FoundScreen&)> onFound;

    FinderResult run(const FinderPlan& plan);
    // Ends the search after the probe on the line now (called from an event
    // handled while a probe waits).
    void cancel() { m_cancelled = true; }

    // Bits a byte takes on the line: start, 8 data, parity, stop.
    static constexpr int BitsPerByte = 11;
    static constexpr int ProbeFrameBytes = 13; // 6 header + 6 data + checksum
    static constexpr int AnswerBytes = 1;
    // Time for the controller to answer and for a USB adapter to pass the
    // byte on (their latency timers hold bytes up to 16 ms).
    static constexpr std::chrono::milliseconds Margin{30};

    // The probe's and the answer's time on the wire at `speed`, plus the margin.
    static std::chrono::milliseconds probeWait(qint32 speed);

private:
    FinderLine& m_line;
    bool m_cancelled = false;
};

} // namespace krn
