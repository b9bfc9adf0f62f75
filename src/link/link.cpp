#include "link.h"

#include "core/failure.h"
#include "core/textids.h"

namespace krn {

namespace {

using std::chrono::milliseconds;

// "812 B", "12.3 KB", "9.4 MB": how much a flooding line sent.
QString amount(qint64 bytes)
{
    if (bytes >= 1000 * 1000)
        return QStringLiteral("%1 MB").arg(double(bytes) / 1e6, 0, 'f', 1);
    if (bytes >= 1000)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1e3, 0, 'f', 1);
    return QStringLiteral("%1 B").arg(bytes);
}

// Appends what fits of `bytes` to `kept` (at most ReplyKept in all);
// returns how many did not fit.
qint64 keep(QByteArray& kept, const QByteArray& bytes)
{
    const qsizetype take = std::clamp<qsizetype>(ReplyKept - kept.size(), 0, bytes.size());
    kept += bytes.left(take);
    return bytes.size() - take;
}

milliseconds roundedUp(std::chrono::microseconds us)
{
    return std::chrono::ceil<milliseconds>(us);
}

} // namespace

Link::Link(LinkState& state, Line& line, const PortMap& ports, MsClock& clock, EventPump& pump,
           EngineEvents* events)
    : m_state(state), m_line(line), m_ports(ports), m_clock(clock), m_pump(pump), m_events(events)
{
}

void Link::throwOnFault()
{
    if (std::optional<Message> fault = m_line.takeFault()) {
        m_line.close();
        throw Failure(*fault);
    }
}

bool Link::isOpen() const
{
    return m_line.isOpen();
}

void Link::record(TrafficRecord r)
{
    if (!m_events)
        return;
    r.time = QDateTime::currentDateTime();
    if (r.address.isEmpty())
        r.address = m_address;
    m_events->traffic(r);
}

std::optional<Message> Link::OpenPort(const LinkTarget& target)
{
    m_state.PortNumber = target.portNumber;
    m_state.BaudRate = target.baudRate;
    m_state.ScreenNumber = target.screen;
    m_state.BusyFlag = 1;
    m_answered = false;
    if (m_line.isOpen()) {
        m_state.BusyFlag = 0;
        return std::nullopt;
    }
    PortRoute route;
    if (std::optional<Message> why = m_ports.resolve(target.portNumber, target.address, &route))
        return why;
    const QString& address = route.device;
    m_settings = LineSettings{target.baudRate};
    try {
        m_line.open(address, m_settings);
    } catch (const Failure& f) {
        TrafficRecord r;
        r.kind = TrafficRecord::Kind::Outcome;
        r.address = address;
        r.detail = QStringLiteral("open failed");
        record(r);
        return f.message();
    }
    m_address = address;
    m_route = route;
    m_unsettled = false;
    m_lastHeard = m_clock.nowMs();
    TrafficRecord r;
    r.kind = TrafficRecord::Kind::Opened;
    r.line = m_line.kind();
    r.baudRate = m_settings.baudRate;
    record(r);
    m_state.BusyFlag = 0;
    return std::nullopt;
}

void Link::ClosePort()
{
    if (!m_line.isOpen())
        return;
    m_line.close();
    TrafficRecord r;
    r.kind = TrafficRecord::Kind::Closed;
    record(r);
    m_address.clear();
}

std::optional<Message> Link::setSpeed(qint32 baudRate)
{
    if (!m_line.isOpen())
        return Message{strings::PortNotOpen, {m_address}};
    try {
        if (!m_line.setSpeed(LineSettings{baudRate}))
            return std::nullopt;
    } catch (const Failure& f) {
        return f.message();
    }
    m_settings.baudRate = baudRate;
    m_state.BaudRate = baudRate;
    // What arrived at the old speed is noise now.
    m_unsettled = true;
    m_lastHeard = m_clock.nowMs();
    TrafficRecord r;
    r.kind = TrafficRecord::Kind::Speed;
    r.line = m_line.kind();
    r.baudRate = baudRate;
    record(r);
    return std::nullopt;
}

Delivery Link::finish(Delivery d, quint32 start)
{
    const quint32 now = m_clock.nowMs();
    d.ms = elapsedSince(start, now);
    m_lastHeard = now;
    m_unsettled = d.kind != DeliveryKind::Acknowledged;
    TrafficRecord r;
    r.kind = TrafficRecord::Kind::Outcome;
    switch (d.kind) {
    case DeliveryKind::Acknowledged:
        r.detail = QStringLiteral("acknowledged");
        break;
    case DeliveryKind::Broadcast:
        r.detail = QStringLiteral("broadcast, counted as delivered");
        break;
    case DeliveryKind::Refused:
        r.detail = QStringLiteral("answered without acknowledgement");
        break;
    case DeliveryKind::NoAnswer:
        r.detail = QStringLiteral("no answer");
        break;
    case DeliveryKind::LineFault:
        r.detail = QStringLiteral("line fault (text %1)").arg(d.message.id);
        break;
    }
    if (d.replyBytes > d.reply.size())
        r.detail += QStringLiteral(", %1 reply bytes").arg(d.replyBytes);
    r.ms = d.ms;
    record(r);
    if (d.delivered())
        m_state.BusyFlag = 0;
    return d;
}

// Whatever is waiting goes; after a frame that was not acknowledged the line
// must also have been quiet for `settle`, so a late answer to that frame is
// heard here and not taken for the next one's. A line that never goes quiet
// (a flood) is given up on after a while: the wait then tells what it is.
void Link::drain(milliseconds settle, bool always)
{
    m_line.discardInput();
    if (!(m_unsettled || always) || settle.count() <= 0)
        return;
    const quint32 begun = m_clock.nowMs();
    const quint32 cap = quint32(std::max<qint64>(4 * settle.count(), 1000));
    TrafficRecord late;
    late.kind = TrafficRecord::Kind::Late;
    for (;;) {
        const quint32 now = m_clock.nowMs();
        const quint32 quiet = elapsedSince(m_lastHeard, now);
        if (quiet >= quint32(settle.count()) || elapsedSince(begun, now) >= cap)
            break;
        m_pump.waitForEvents(milliseconds(settle.count() - quiet));
        throwOnFault();
        if (m_line.bytesWaiting() > 0) {
            const QByteArray bytes = m_line.readAll();
            m_lastHeard = m_clock.nowMs();
            late.more += keep(late.bytes, bytes);
        }
    }
    if (!late.bytes.isEmpty())
        record(late);
}

Delivery Link::SendFrame(qint32 screen, quint8 command, const QByteArray& data,
                         std::optional<AckWait> wait)
{
    m_state.BusyFlag = 1;
    m_state.ScreenNumber = screen;
    const bool broadcast = screen == BroadcastScreen;
    const AckWait w = wait.value_or(AckWait{broadcast ? BroadcastWait : AckTimeout});
    quint32 start = m_clock.nowMs();
    quint32 sentAt = start;
    try {
        const QByteArray bytes = frame::encode(screen, m_state.FrameSequence, command, data);
        const qint32 sequence = m_state.FrameSequence;
        // The number is used up from here on, even if the write fails.
        m_state.FrameSequence = frame::nextSequence(m_state.FrameSequence);

        drain(w.settle + 2 * roundedUp(m_line.roundTrip()), w.quietFirst);

        TrafficRecord sent;
        sent.kind = TrafficRecord::Kind::Sent;
        sent.bytes = bytes;
        sent.screen = screen;
        sent.sequence = sequence;
        sent.command = command;
        record(sent);

        start = m_clock.nowMs();
        sentAt = start;
        // One write: a frame cut in two waits on a network line for the
        // server's acknowledgement of the first piece.
        m_line.write(bytes);
        Delivery d = waitForAck(screen, w, start);
        d.sentAt = sentAt;
        return finish(d, start);
    } catch (const Failure& f) {
        Delivery d;
        d.kind = DeliveryKind::LineFault;
        d.message = f.message();
        d.sentAt = sentAt;
        return finish(d, start);
    }
}

Delivery Link::listen(milliseconds limit)
{
    const quint32 start = m_clock.nowMs();
    Delivery d;
    d.sentAt = start;
    try {
        for (;;) {
            const quint32 now = elapsedSince(start, m_clock.nowMs());
            if (now >= quint32(limit.count()))
                break;
            m_pump.waitForEvents(milliseconds(limit.count() - now));
            throwOnFault();
            if (m_line.bytesWaiting() > 0) {
                const QByteArray bytes = m_line.readAll();
                m_lastHeard = m_clock.nowMs();
                d.kind = DeliveryKind::Refused;
                d.replyBytes = bytes.size();
                TrafficRecord r;
                r.kind = TrafficRecord::Kind::Late;
                r.more = keep(r.bytes, bytes);
                d.reply = r.bytes;
                record(r);
                break;
            }
        }
    } catch (const Failure& f) {
        d.kind = DeliveryKind::LineFault;
        d.message = f.message();
    }
    d.ms = elapsedSince(start, m_clock.nowMs());
    m_unsettled = true;
    return d;
}

Delivery Link::waitForAck(qint32 screen, const AckWait& wait, quint32 start)
{
    const quint32 limit = quint32(wait.limit.count());
    const qint64 wireAtStart = m_line.wireBytes();
    Delivery d;
    bool replied = false;
    char latestFirst = 0;

    auto flooded = [&] {
        return d.replyBytes > FloodBytes || m_line.wireBytes() - wireAtStart > FloodBytes;
    };

    for (;;) {
        if (elapsedSince(start, m_clock.nowMs()) >= limit)
            break;
        m_pump.processPending();
        throwOnFault();
        if (m_line.bytesWaiting() >= 1) {
            const QByteArray batch = m_line.readAll();
            m_line.discardInput();
            if (batch.isEmpty())
                throw Failure(Message{strings::ReplyVanished, {m_address}});
            m_lastHeard = m_clock.nowMs();
            latestFirst = batch.at(0);
            m_state.LastReply = batch.left(ReplyKept);
            // Only the first bytes are kept and logged; the rest is counted.
            const qsizetype room = ReplyKept - d.reply.size();
            if (room > 0) {
                TrafficRecord r;
                r.kind = TrafficRecord::Kind::Reply;
                r.bytes = batch.left(room);
                r.more = batch.size() - r.bytes.size();
                r.ms = elapsedSince(start, m_lastHeard);
                record(r);
                d.reply += r.bytes;
            }
            d.replyBytes += batch.size();
            replied = true;
            m_answered = true;
        }
        // On a flooding line no batch is an answer; the wait runs out.
        if (replied && !flooded()) {
            // Only the latest batch's first byte counts as the answer.
            if (latestFirst == char(frame::Ack)) {
                d.kind = DeliveryKind::Acknowledged;
                return d;
            }
            if (wait.anyByteEnds) {
                d.kind = DeliveryKind::Refused;
                d.message = Message{strings::SendError};
                return d;
            }
        }
        const quint32 now = elapsedSince(start, m_clock.nowMs());
        if (now < limit)
            m_pump.waitForEvents(milliseconds(limit - now));
    }

    // A fault in the last moments of the wait still says what happened.
    throwOnFault();
    if (flooded()) {
        d.kind = DeliveryKind::LineFault;
        const qint64 wire = std::max(d.replyBytes, m_line.wireBytes() - wireAtStart);
        d.message = Message{strings::LineFlood,
                            {m_address, amount(wire), QString::number(double(limit) / 1000.0)}};
        return d;
    }
    if (screen == BroadcastScreen) {
        // Several screens would answer at once; a broadcast counts as delivered.
        d.kind = DeliveryKind::Broadcast;
        return d;
    }
    if (replied) {
        d.kind = DeliveryKind::Refused;
        d.message = Message{strings::SendError};
        return d;
    }
    d.kind = DeliveryKind::NoAnswer;
    // Once the screen has answered on this connection, silence is told as a
    // send error rather than as a screen that cannot be found.
    if (m_answered) {
        d.message = Message{strings::SendError};
        return d;
    }
    d.message = Message{
        strings::NoAnswerText,
        {TextRef{strings::ControllerNotFound}, TextRef{strings::ScreenNumberLabel},
         screen < 0 ? QString::number(screen) : QStringLiteral(" ") + QString::number(screen)}};
    return d;
}

} // namespace krn
