#include "linkfinderline.h"

#include "command.h"

namespace krn {

bool LinkFinderLine::open(qint32 speed)
{
    m_target.baudRate = speed;
    m_fault = m_link.OpenPort(m_target);
    return !m_fault;
}

bool LinkFinderLine::setSpeed(qint32 speed)
{
    m_fault = m_link.setSpeed(speed);
    return !m_fault;
}

void LinkFinderLine::close()
{
    m_link.ClosePort();
}

ProbeReply LinkFinderLine::replyOf(const Delivery& d)
{
    const bool fault = d.kind == DeliveryKind::LineFault;
    if (fault)
        m_fault = d.message;
    return ProbeReply{d.reply, d.ms, d.sentAt, fault};
}

ProbeReply LinkFinderLine::probe(qint32 screen, std::chrono::milliseconds wait,
                                 std::chrono::milliseconds settle)
{
    const CommandInfo& find = commandInfo(Command::Find);
    return replyOf(m_link.SendFrame(screen, find.code, buildPayload(Command::Find, {}),
                                    AckWait{wait, true, settle, settle.count() > 0}));
}

ProbeReply LinkFinderLine::listen(std::chrono::milliseconds wait)
{
    return replyOf(m_link.listen(wait));
}

std::chrono::milliseconds LinkFinderLine::roundTrip() const
{
    return std::chrono::ceil<std::chrono::milliseconds>(m_link.roundTrip());
}

} // namespace krn
