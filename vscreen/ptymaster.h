#pragma once

#include <QString>

namespace krn::vscreen {

// The master side of a pseudo-terminal whose slave (the device a serial
// client opens) is raw, so no byte is translated on the way.
//
// It keeps a slave descriptor of its own open. On Linux the master reports a
// hang-up (EIO, POLLHUP) whenever no slave is open - before the first client
// and between clients - and a notifier on it would fire without end. Holding
// the slave open keeps the master quiet until close().
class PtyMaster {
public:
    PtyMaster() = default;
    ~PtyMaster() { close(); }
    PtyMaster(const PtyMaster&) = delete;
    PtyMaster& operator=(const PtyMaster&) = delete;

    // Opens a new pty; the master is non-blocking. On failure returns false
    // and describes why in *error.
    bool open(QString* error);
    bool isOpen() const { return m_master >= 0; }
    int fd() const { return m_master; }
    QString devicePath() const { return m_devicePath; }
    // Closes both descriptors: a client on the device sees a hang-up.
    void close();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
};

} // namespace krn::vscreen
