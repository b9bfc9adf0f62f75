#include "link.h"

#include "core/failure.h"
#include "core/numtext.h"
#include "core/textids.h"
#include "portmap.h"

namespace krn {

Link::Link(LinkState& state, Line& line, const PortMap& ports, MsClock& clock, EventPump& pump,
           EngineEvents* events)
    : m_state(state), m_line(line), m_ports(ports), m_clock(clock), m_pump(pump), m_events(events)
{
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
    QString address = target.address;
    if (address.isEmpty()) {
        if (target.portNumber < 1)
            return Message{strings::NoPortSelected};
        address = m_ports.deviceFor(target.portNumber);
        if (address.isEmpty())
            return Message{strings::PortNumberMissing, {QString::number(target.portNumber)}};
    }
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
    TrafficRecord r;
    r.kind = TrafficRecord::Kind::Opened;
    r.detail = m_line.settingsNote(m_settings);
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

Delivery Link::finish(Delivery d, quint32 start)
{
    d.ms = elapsedSince(start, m_clock.nowMs());
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
    r.ms = d.ms;
    record(r);
    if (d.delivered())
        m_state.BusyFlag = 0;
    return d;
}

Delivery Link::SendFrame(qint32 screen, quint8 command, const QByteArray& data,
                         std::optional<AckWait> wait)
{
    m_state.BusyFlag = 1;
    m_state.ScreenNumber = screen;
    m_state.CommandCode = command;
    m_state.PayloadLength = qint32(data.size());
    quint32 start = m_clock.nowMs();
    try {
        if (data.isEmpty())
            throw Failure(Message{strings::EmptyFrame});

        QByteArray frame(6, '\0');
        frame[0] = char(0x5A);
        frame[1] = char(0xA5);
        frame[2] = char(wholeToByte(qint64(data.size()) + 6));
        frame[3] = char(wholeToByte(screen));
        frame[4] = char(wholeToByte(m_state.FrameSequence));
        frame[5] = char(command);
        const qint32 sequence = m_state.FrameSequence;
        // The number is used up from here on, even if the write fails.
        m_state.FrameSequence = m_state.FrameSequence >= 255 ? 0 : m_state.FrameSequence + 1;

        quint8 sum = 0;
        for (char b : std::as_const(frame))
            sum ^= quint8(b);
        for (char b : data)
            sum ^= quint8(b);
        QByteArray body = data;
        body.append(char(sum));

        TrafficRecord sent;
        sent.kind = TrafficRecord::Kind::Sent;
        sent.bytes = frame + body;
        sent.screen = screen;
        sent.sequence = sequence;
        sent.command = command;
        record(sent);

        m_line.discardInput();
        start = m_clock.nowMs();
        m_line.write(frame);
        m_line.write(body);

        const bool broadcast = screen == BroadcastScreen;
        AckWait w = wait.value_or(AckWait{broadcast ? BroadcastWait : AckTimeout});
        return finish(waitForAck(screen, w, start), start);
    } catch (const Failure& f) {
        Delivery d;
        d.kind = DeliveryKind::LineFault;
        d.message = f.message();
        return finish(d, start);
    }
}

Delivery Link::waitForAck(qint32 screen, const AckWait& wait, quint32 start)
{
    const quint32 limit = quint32(wait.limit.count());
    Delivery d;
    bool replied = false;

    auto takeFault = [this] {
        if (std::optional<Message> fault = m_line.takeFault()) {
            m_line.close();
            throw Failure(*fault);
        }
    };

    for (;;) {
        if (elapsedSince(start, m_clock.nowMs()) >= limit)
            break;
        m_pump.processPending();
        takeFault();
        if (m_line.bytesWaiting() >= 1) {
            const QByteArray batch = m_line.readAll();
            m_line.discardInput();
            if (batch.isEmpty())
                throw Failure(Message{strings::ReplyVanished, {m_address}});
            m_state.LastReply = batch;
            d.reply += batch;
            replied = true;
            m_answered = true;
            TrafficRecord r;
            r.kind = TrafficRecord::Kind::Reply;
            r.bytes = batch;
            r.ms = elapsedSince(start, m_clock.nowMs());
            record(r);
        }
        if (replied) {
            // Only the latest batch's first byte counts as the answer.
            if (m_state.LastReply.at(0) == Ack) {
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
            m_pump.waitForEvents(std::chrono::milliseconds(limit - now));
    }

    // A fault in the last moments of the wait still says what happened.
    takeFault();
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
