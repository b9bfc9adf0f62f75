#include "linespeed.h"

// termios2 gives the speed as a number, also for speeds that have no Bxxx
// constant. Its header clashes with <termios.h>, hence a file of its own.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace krn::vscreen {

int clientLineSpeed(int fd)
{
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return 0;
    return static_cast<int>(settings.c_ospeed);
}

} // namespace krn::vscreen
