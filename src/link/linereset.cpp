#include "linereset.h"

#include "core/textids.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace krn {

#ifdef Q_OS_UNIX
namespace {

speed_t speedCode(qint32 baudRate)
{
    switch (baudRate) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

// Raw, 8 data bits, no parity, 1 stop bit, no flow control, the receiver on,
// modem lines ignored, reads returning what is there.
termios plain(termios t)
{
    cfmakeraw(&t);
    t.c_iflag &= ~tcflag_t(IGNPAR | PARMRK | INPCK | ISTRIP | IXON | IXOFF | IXANY);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return t;
}

} // namespace

std::optional<Message> resetLineSettings(const QString& device, qint32 baudRate)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::optional<Message> refused;
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        const termios clean = plain(t);
        ::tcsetattr(fd, TCSANOW, &clean);
        termios trial = clean;
        const speed_t speed = speedCode(baudRate);
        if (speed != B0 &&
            (::cfsetspeed(&trial, speed) != 0 || ::tcsetattr(fd, TCSANOW, &trial) != 0))
            refused = Message{strings::LineSettingsRefused, {device, QString::number(baudRate)}};
        trial.c_cflag |= PARENB | PARODD;
        if (!refused && ::tcsetattr(fd, TCSANOW, &trial) != 0)
            refused = Message{strings::OddParityRefused, {device}};
        // The open that follows sets everything again from this plain state.
        ::tcsetattr(fd, TCSANOW, &clean);
    }
    ::close(fd);
    return refused;
}
#else
std::optional<Message> resetLineSettings(const QString&, qint32)
{
    return std::nullopt;
}
#endif

} // namespace krn
