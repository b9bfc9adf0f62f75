#pragma once

#include "vscreen/ptymaster.h"

#include <QByteArray>
#include <QString>

namespace krn::test {

// A raw pseudo-terminal for a test that plays the far end itself: the code
// under test opens slavePath() like a serial device; the test writes back
// from the master side with whatever timing it likes.
class PtyPair {
public:
    bool open() { return m_pty.open(&m_error); }
    QString slavePath() const { return m_pty.devicePath(); }
    QString errorText() const { return m_error; }
    // In one write from the master side; false if not all went out.
    bool write(const QByteArray& bytes);

private:
    vscreen::PtyMaster m_pty;
    QString m_error;
};

} // namespace krn::test
