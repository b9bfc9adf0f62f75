#include "line.h"

namespace krn::vscreen {

Line::Line(QString name, bool clientSetsSpeed, Writer writer, Sink sink, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_clientSetsSpeed(clientSetsSpeed),
      m_writer(std::move(writer)), m_sink(std::move(sink))
{
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(kQuietMs);
    connect(&m_quietTimer, &QTimer::timeout, this, &Line::onQuiet);
}

void Line::feed(QByteArrayView bytes, qint64 nowNs, int baud)
{
    if (m_halted)
        return;
    m_clock.received(nowNs, bytes.size(), baud);
    deliver(m_decoder.feed(bytes));
    if (m_decoder.hasPending())
        m_quietTimer.start();
    else
        m_quietTimer.stop();
}

void Line::onQuiet()
{
    if (!m_halted)
        deliver(m_decoder.flush());
}

void Line::deliver(const std::vector<FrameDecoder::Item>& items)
{
    for (const FrameDecoder::Item& item : items) {
        if (m_halted)
            return;
        const qint64 begin = item.end - item.bytes.size();
        m_sink(*this, {item, m_clock.throughAt(item.end), m_clock.speedOf(begin, item.end)});
    }
    m_clock.forget(m_decoder.pendingStart());
}

void Line::restart()
{
    m_quietTimer.stop();
    m_decoder = FrameDecoder();
    m_clock = LineClock();
    m_halted = false;
}

void Line::halt()
{
    m_halted = true;
    m_quietTimer.stop();
}

} // namespace krn::vscreen
