#pragma once

#include "core/message.h"
#include "link/delivery.h"

#include <QByteArray>
#include <QtGlobal>

namespace krn {

// How one command fared, for the front end to present.
enum class OutcomeKind {
    Delivered,    // every frame acknowledged (or broadcast)
    NoAnswer,     // a frame was not answered in time
    Refused,      // a frame was answered, never with an acknowledgement
    LineFault,    // the line failed while sending, or a frame could not be built
    OpenFailed,   // the line could not be opened
    InvalidValue, // a value does not fit, or the clock glyphs could not be drawn
    Busy,         // another command is on the line; nothing was done
    Interrupted,  // stopped from outside before its last frame
};

struct Outcome;
// What an outcome says in a report line: its message, a refusal with the
// bytes that came back, a stop with the frames that went.
Message reportMessage(const Outcome& outcome);

struct Outcome {
    OutcomeKind kind = OutcomeKind::Busy;
    Message message;       // what to tell the operator (the success text when delivered)
    QByteArray reply;      // the first bytes that came back for the last frame
    qint64 replyBytes = 0; // all of them
    quint32 ms = 0;        // the last frame's time from write to outcome
    int frames = 0;        // frames delivered
    QByteArray clockTable; // a delivered clock download: the glyph stream the screen took

    bool delivered() const { return kind == OutcomeKind::Delivered; }
    static Outcome from(const Delivery& d, int frames);
    static Outcome failure(OutcomeKind kind, Message message, int frames = 0)
    {
        Outcome o;
        o.kind = kind;
        o.message = std::move(message);
        o.frames = frames;
        return o;
    }
};

} // namespace krn
