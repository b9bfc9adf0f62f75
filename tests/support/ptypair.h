#pragma once

#include "vscreen/ptymaster.h"

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>

namespace krn::test {

// A raw pseudo-terminal for a test that plays the far end itself: the code
// under test opens slavePath() like a serial device; the test sees what
// arrived (the receiver runs from the event loop) and writes back with
// whatever timing it likes.
class PtyPair {
public:
    bool open() { return m_pty.open(&m_error); }
    QString slavePath() const { return m_pty.devicePath(); }
    QString errorText() const { return m_error; }
    // In one write from the master side; false if not all went out.
    bool write(const QByteArray& bytes);
    // Everything that reached the master so far.
    QByteArray received() const { return m_received; }
    // Also without a receiver (empty), what arrives is collected.
    void setReceiver(std::function<void(const QByteArray&)> receiver);

private:
    vscreen::PtyMaster m_pty;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void(const QByteArray&)> m_receiver;
    QByteArray m_received;
    QString m_error;
};

} // namespace krn::test
