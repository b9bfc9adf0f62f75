#include "ptypair.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace krn::test {

PtyPair::~PtyPair()
{
    hangUp();
}

bool PtyPair::open()
{
    hangUp();
    m_received.clear();
    return m_pty.open(&m_error);
}

bool PtyPair::write(const QByteArray& bytes)
{
    if (!m_pty.isOpen())
        return false;
    return ::write(m_pty.fd(), bytes.constData(), static_cast<size_t>(bytes.size())) ==
           bytes.size();
}

QByteArray PtyPair::readAvailable()
{
    QByteArray batch;
    char buffer[4096];
    ssize_t n;
    while (m_pty.isOpen() &&
           ((n = ::read(m_pty.fd(), buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))) {
        if (n > 0)
            batch.append(buffer, n);
    }
    m_received += batch;
    return batch;
}

QByteArray PtyPair::takeReceived()
{
    readAvailable();
    return std::exchange(m_received, {});
}

QByteArray PtyPair::readFor(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_pty.isOpen()) {
        pollfd p{m_pty.fd(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(deadline.remainingTime()));
        if (ready > 0)
            readAvailable();
        if (deadline.hasExpired() || (ready < 0 && errno != EINTR))
            break;
    }
    return m_received;
}

void PtyPair::setReceiver(std::function<void(const QByteArray&)> receiver)
{
    m_receiver = std::move(receiver);
    m_notifier.reset();
    if (!m_receiver || !m_pty.isOpen())
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_pty.fd(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        const QByteArray batch = readAvailable();
        if (!batch.isEmpty() && m_receiver)
            m_receiver(batch);
    });
}

void PtyPair::hangUp()
{
    m_notifier.reset();
    m_pty.close();
}

} // namespace krn::test
