#include "commander.h"

#include "core/failure.h"
#include "core/textids.h"
#include "glyphs.h"
#include "link/traffic.h"
#include "strings/toolids.h"

#include <QScopeGuard>

namespace krn {

Outcome Outcome::from(const Delivery& d, int frames)
{
    Outcome o;
    o.reply = d.reply;
    o.replyBytes = d.replyBytes;
    o.ms = d.ms;
    o.frames = frames;
    o.message = d.message;
    switch (d.kind) {
    case DeliveryKind::Acknowledged:
    case DeliveryKind::Broadcast:
        o.kind = OutcomeKind::Delivered;
        o.message = Message{strings::SetParameterOk};
        break;
    case DeliveryKind::Refused:
        o.kind = OutcomeKind::Refused;
        break;
    case DeliveryKind::NoAnswer:
        o.kind = OutcomeKind::NoAnswer;
        break;
    case DeliveryKind::LineFault:
        o.kind = OutcomeKind::LineFault;
        break;
    }
    return o;
}

Message reportMessage(const Outcome& o)
{
    switch (o.kind) {
    case OutcomeKind::Refused: {
        QString hex = QString::fromLatin1(o.reply.toHex(' ').toUpper());
        if (o.replyBytes > o.reply.size())
            hex += QStringLiteral(" (+%1 bytes)").arg(o.replyBytes - o.reply.size());
        return Message{strings::RefusedReply, {hex}};
    }
    case OutcomeKind::Interrupted:
        return Message{strings::StoppedMidCommand, {QString::number(o.frames)}};
    default:
        return o.message;
    }
}

Commander::Commander(Link& link, EventPump& pump) : m_link(link), m_pump(pump) {}

Outcome Commander::Send_Function(const CommandRequest& request)
{
    // A second command inside the first one's waits would interleave frames
    // on the same line.
    if (m_running)
        return Outcome{};
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    if (std::optional<Message> why = m_link.OpenPort(request.target))
        return Outcome::failure(OutcomeKind::OpenFailed, *why);

    Outcome outcome;
    if (request.valueFault)
        outcome = Outcome::failure(OutcomeKind::InvalidValue, *request.valueFault);
    else
        outcome = execute(request.command, request.target.screen, request.values);
    // Whatever happened, the next command opens the port the operator chose,
    // at the speed chosen then.
    m_link.ClosePort();
    return outcome;
}

Outcome Commander::execute(Command command, qint32 screen, const CommandValues& values)
{
    if (command == Command::ClockDownload)
        return sendClock(screen, values.clock);
    QByteArray payload;
    try {
        payload = buildPayload(command, values);
    } catch (const Failure& f) {
        return Outcome::failure(OutcomeKind::InvalidValue, f.message());
    }
    const Delivery d = m_link.SendFrame(screen, commandInfo(command).code, payload);
    return Outcome::from(d, d.delivered() ? 1 : 0);
}

Outcome Commander::sendClock(qint32 screen, const ClockRequest& clock)
{
    const CommandInfo& info = commandInfo(Command::ClockDownload);
    glyphs::ClockFrames frames(clock.font, clock.language, info.length);
    EngineEvents* events = m_link.events();
    int sent = 0;
    QByteArray stream;
    Delivery last;
    last.kind = DeliveryKind::Acknowledged;
    try {
        // The window stays alive while each glyph is drawn.
        for (QByteArray frame = frames.next([this] { m_pump.processPending(); }); !frame.isEmpty();
             frame = frames.next([this] { m_pump.processPending(); })) {
            last = m_link.SendFrame(screen, info.code, frame);
            if (!last.delivered())
                return Outcome::from(last, sent);
            ++sent;
            stream += frame;
            if (events)
                events->progress(sent, frames.total());
            if (m_stop && m_stop->load() && sent < frames.total())
                return Outcome::failure(OutcomeKind::Interrupted, Message{}, sent);
        }
    } catch (const Failure& f) {
        // A half-drawn clock table is no success, whatever the frames before
        // the failure achieved.
        return Outcome::failure(OutcomeKind::InvalidValue, f.message(), sent);
    }
    Outcome delivered = Outcome::from(last, sent);
    delivered.clockTable = stream;
    return delivered;
}

} // namespace krn
