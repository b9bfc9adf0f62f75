#include "commandwatch.h"

#include "link/link.h"
#include "operatoraids.h"

namespace krn {

CommandWatch::CommandWatch(OperatorAids& aids, Link& link)
    : m_aids(aids), m_link(link), m_next(link.events())
{
    m_link.setEvents(this);
    m_aids.commandStarted();
}

CommandWatch::~CommandWatch()
{
    m_link.setEvents(m_next);
    m_aids.commandEnded();
}

void CommandWatch::traffic(const TrafficRecord& record)
{
    if (record.kind == TrafficRecord::Kind::Sent)
        m_frameSent = true;
    if (m_next)
        m_next->traffic(record);
}

void CommandWatch::progress(int done, int total)
{
    m_aids.progress(done, total);
    if (m_next)
        m_next->progress(done, total);
}

} // namespace krn
