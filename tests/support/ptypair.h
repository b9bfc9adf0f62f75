#pragma once

#include "vscreen/ptymaster.h"

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>

namespace krn::test {

// A raw pseudo-terminal for a test that plays the far end itself: the code
// under test opens slavePath() like a serial device, and the test writes
// bytes from the master with whatever timing it likes and reads what arrived.
//
//   PtyPair pty;
//   QVERIFY(pty.open());
//   pty.setReceiver([&](const QByteArray& bytes) {       // while the event loop runs
//       if (bytes.endsWith(...)) QTimer::singleShot(10, [&] { pty.write("\x06"); });
//   });
//   ... code under test sends a frame to pty.slavePath() and waits ...
//   QCOMPARE(pty.received(), expectedBytes);
//
// The pair keeps a slave descriptor of its own, so the client may open and
// close the device any number of times; hangUp() closes everything so the
// client sees the other end hang up.
class PtyPair {
public:
    PtyPair() = default;
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool open();
    QString slavePath() const { return m_pty.devicePath(); }
    QString errorText() const { return m_error; }

    // Writes from the master side in one write; false if not all went out.
    bool write(const QByteArray& bytes);
    // Bytes that reached the master so far (collected by the receiver or by
    // readFor), and forget them.
    QByteArray takeReceived();
    QByteArray received() const { return m_received; }
    // Collects whatever arrives during timeoutMs without an event loop, and
    // returns everything received so far.
    QByteArray readFor(int timeoutMs);
    // Calls back with each batch as it arrives, from the event loop.
    void setReceiver(std::function<void(const QByteArray&)> receiver);
    // Closes the master: the client sees a hang-up.
    void hangUp();

private:
    QByteArray readAvailable();

    vscreen::PtyMaster m_pty;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void(const QByteArray&)> m_receiver;
    QByteArray m_received;
    QString m_error;
};

} // namespace krn::test
