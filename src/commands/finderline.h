#pragma once

#include "core/message.h"

#include <QByteArray>
#include <QtGlobal>
#include <chrono>
#include <optional>

namespace krn {

// What one probe (or one listen) brought back.
struct ProbeReply {
    QByteArray reply;       // the first bytes that came back; empty when nothing did
    quint32 ms = 0;         // from the probe's write to its end
    quint32 sentAt = 0;     // the line's clock when the probe was written
    bool lineFault = false; // the line failed; it is closed now

    bool answered() const { return !reply.isEmpty(); }
};

// The line as the screen finder uses it: open it once, move it from speed to
// speed, probe a screen with command 23 (six zero bytes), close. The front
// end's line says why an open failed or a fault happened.
class FinderLine {
public:
    virtual ~FinderLine() = default;
    // False when the line could not be opened at `speed`.
    virtual bool open(qint32 speed) = 0;
    // Moves the open line to `speed`; false when it refused (see fault()).
    virtual bool setSpeed(qint32 speed) = 0;
    // False for a device server's raw port: the server keeps its own speed,
    // so there is one speed to search, the server's.
    virtual bool speedIsOurs() const = 0;
    virtual void close() = 0;
    // Sends the probe to `screen` (255: every screen) on a drained line, quiet
    // for `settle` first when that is above zero, and waits at most `wait`;
    // the first byte back, whatever it is, ends the wait.
    virtual ProbeReply probe(qint32 screen, std::chrono::milliseconds wait,
                             std::chrono::milliseconds settle) = 0;
    // Listens without sending, at most `wait`, for a late answer.
    virtual ProbeReply listen(std::chrono::milliseconds wait) = 0;
    // The network's round trip to a device server, measured on the line.
    virtual std::chrono::milliseconds roundTrip() const { return {}; }
    // Why the line would not open, or how it failed; nothing when it did not.
    virtual std::optional<Message> fault() const { return std::nullopt; }
};

} // namespace krn
