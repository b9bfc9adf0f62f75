#include "ptypair.h"

#include <unistd.h>
#include <utility>

namespace krn::test {

bool PtyPair::write(const QByteArray& bytes)
{
    return m_pty.isOpen() &&
           ::write(m_pty.fd(), bytes.constData(), size_t(bytes.size())) == bytes.size();
}

void PtyPair::setReceiver(std::function<void(const QByteArray&)> receiver)
{
    m_receiver = std::move(receiver);
    m_notifier = std::make_unique<QSocketNotifier>(m_pty.fd(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        QByteArray batch;
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_pty.fd(), buffer, sizeof buffer)) > 0;)
            batch.append(buffer, n);
        m_received += batch;
        if (!batch.isEmpty() && m_receiver)
            m_receiver(batch);
    });
}

} // namespace krn::test
