#include "commander.h"

#include "core/failure.h"
#include "core/textids.h"
#include "glyphs.h"
#include "link/traffic.h"

#include <QScopeGuard>

namespace krn {

Outcome Outcome::from(const Delivery& d, int frames)
{
    Outcome o;
    o.reply = d.reply;
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
    const qsizetype frameBytes = info.length;
    const QString text = glyphs::glyphText(clock.language);
    qsizetype totalBytes = 0;
    for (const QChar c : text)
        totalBytes += glyphs::isWide(c) ? glyphs::WideBytes : glyphs::NarrowBytes;
    const int total = int((totalBytes + frameBytes - 1) / frameBytes);
    EngineEvents* events = m_link.events();

    int sent = 0;
    auto send = [&](const QByteArray& frame) {
        const Delivery d = m_link.SendFrame(screen, info.code, frame);
        if (d.delivered()) {
            ++sent;
            if (events)
                events->progress(sent, total);
        }
        return d;
    };

    try {
        QByteArray frame;
        frame.reserve(frameBytes);
        for (const QChar c : text) {
            m_pump.processPending();
            // Frame boundaries ignore glyph boundaries: a frame may end
            // half-way through a glyph and the next one carries on.
            for (const char byte : glyphs::rasterise(clock.font, c)) {
                frame.append(byte);
                if (frame.size() == frameBytes) {
                    const Delivery d = send(frame);
                    if (!d.delivered())
                        return Outcome::from(d, sent);
                    frame.clear();
                }
            }
        }
        Delivery last;
        last.kind = DeliveryKind::Acknowledged;
        if (!frame.isEmpty())
            last = send(frame);
        return Outcome::from(last, sent);
    } catch (const Failure& f) {
        // A half-drawn clock table is no success, whatever the frames before
        // the failure achieved.
        return Outcome::failure(OutcomeKind::InvalidValue, f.message(), sent);
    }
}

} // namespace krn
