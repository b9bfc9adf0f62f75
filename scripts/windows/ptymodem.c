/* Preloaded into Wine by `scripts/windows.sh check`, never shipped.
 *
 * Wine maps COM1 to the virtual screen's pseudo-terminal. Wine's serial code
 * asks the device for its modem lines (TIOCMGET) each time it checks a
 * pending WaitCommEvent, and when that fails it cancels the wait, even when
 * the wait asked for received characters only. A pseudo-terminal has no
 * modem lines, so every reply cancels the wait instead of announcing itself.
 * Here a pseudo-terminal reports the lines of a connected null-modem cable
 * (CTS, DSR and carrier up), and setting them is accepted and ignored.
 * Real serial devices are left alone: only calls the kernel refuses change. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <termios.h>

int ioctl(int fd, unsigned long request, ...)
{
    static int (*real)(int, unsigned long, ...);
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);
    if (!real)
        real = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");

    const int result = real(fd, request, arg);
    if (result != -1 || (errno != ENOTTY && errno != EINVAL))
        return result;
    switch (request) {
    case TIOCMGET:
        *(int *)arg = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR | TIOCM_DTR | TIOCM_RTS;
        return 0;
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC:
        return 0;
    default:
        return result;
    }
}
