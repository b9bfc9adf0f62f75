#include "linkfinderline.h"

#include "command.h"

namespace krn {

bool LinkFinderLine::open(qint32 speed)
{
    m_target.baudRate = speed;
    m_fault = m_link.OpenPort(m_target);
    return !m_fault;
}

void LinkFinderLine::close()
{
    m_link.ClosePort();
}

ProbeReply LinkFinderLine::probe(qint32 screen, std::chrono::milliseconds wait)
{
    const CommandInfo& find = commandInfo(Command::Find);
    const Delivery d =
        m_link.SendFrame(screen, find.code, buildPayload(Command::Find, {}), AckWait{wait, true});
    const bool fault = d.kind == DeliveryKind::LineFault;
    if (fault)
        m_fault = d.message;
    return ProbeReply{d.reply, d.ms, fault};
}

} // namespace krn
