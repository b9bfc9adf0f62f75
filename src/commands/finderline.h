#pragma once

#include "core/message.h"

#include <QByteArray>
#include <QtGlobal>
#include <chrono>
#include <optional>

namespace krn {

// What one probe brought back.
struct ProbeReply {
    QByteArray reply;       // every byte that came back; empty when nothing did
    quint32 ms = 0;         // from the probe's write to its end
    bool lineFault = false; // the line failed; it is closed now

    bool answered() const { return !reply.isEmpty(); }
};

// The line as the screen finder uses it: open at a speed, probe a screen
// with command 23 (six zero bytes), close. The front end's line says why an
// open failed or a fault happened.
class FinderLine {
public:
    virtual ~FinderLine() = default;
    // False when the line could not be opened at `speed`.
    virtual bool open(qint32 speed) = 0;
    virtual void close() = 0;
    // Sends the probe to `screen` (255: every screen) and waits at most
    // `wait`; the first byte back, whatever it is, ends the wait.
    virtual ProbeReply probe(qint32 screen, std::chrono::milliseconds wait) = 0;
    // Why the line would not open, or how it failed; nothing when it did not.
    virtual std::optional<Message> fault() const { return std::nullopt; }
};

} // namespace krn
