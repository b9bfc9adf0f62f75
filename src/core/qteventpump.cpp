#include "qteventpump.h"

#include <QCoreApplication>

namespace krn {

QtEventPump::QtEventPump()
{
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
}

void QtEventPump::processPending()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::waitForEvents(std::chrono::milliseconds maxWait)
{
    if (maxWait.count() <= 0)
        return;
    // The timer only has to wake the loop; its timeout needs no receiver.
    m_deadline.start(maxWait);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_deadline.stop();
}

} // namespace krn
