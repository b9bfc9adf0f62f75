// Start-up of krntools as an operator sees it: from the moment the process is
// started until its window is mapped on a real X server (Xvfb), measured from
// outside the program; then the resident memory of the running program.
//
// usage: bench_startup [krntools executable] [runs]

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* TitleStart = "duzov V2.1";

pid_t spawn(const std::vector<std::string>& argv, const std::string& dir)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    if (!dir.empty() && chdir(dir.c_str()) != 0)
        _exit(127);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    execvp(args[0], args.data());
    _exit(127);
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Xvfb on a display number it picks itself.
std::optional<std::string> startXvfb(pid_t& pid)
{
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    pid = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp"},
                "");
    close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    std::string number;
    if (poll(&p, 1, 10000) > 0) {
        char buf[32] = {};
        const ssize_t n = read(fds[0], buf, sizeof buf - 1);
        if (n > 0)
            number.assign(buf, std::size_t(n));
    }
    close(fds[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == ' '))
        number.pop_back();
    if (number.empty())
        return std::nullopt;
    return ":" + number;
}

bool titled(Display* dpy, Window w)
{
    const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    bool match = false;
    if (XGetWindowProperty(dpy, w, netName, 0, 256, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        match = std::strncmp(reinterpret_cast<const char*>(data), TitleStart,
                             std::strlen(TitleStart)) == 0;
        XFree(data);
    }
    return match;
}

long residentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

struct Run {
    double shownMs = -1;
    long rssShownKiB = -1;
    long rssSettledKiB = -1;
};

Run measure(Display* dpy, const fs::path& exe, const fs::path& dir)
{
    Run run;
    const Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, True); // drop anything left from the previous run

    const auto start = Clock::now();
    const pid_t pid = spawn({exe.string()}, dir.string());
    const int fd = ConnectionNumber(dpy);
    while (Clock::now() - start < std::chrono::seconds(20)) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type == MapNotify && titled(dpy, e.xmap.window)) {
                run.shownMs =
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                break;
            }
        }
        if (run.shownMs >= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 50);
    }
    if (run.shownMs >= 0) {
        run.rssShownKiB = residentKiB(pid);
        usleep(1500 * 1000); // a clock tick or so later
        run.rssSettledKiB = residentKiB(pid);
    }
    stop(pid);
    XSelectInput(dpy, root, NoEventMask);
    return run;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    const fs::path exe = argc > 1 ? fs::path(argv[1]) : fs::path(KRN_TOOLS);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    if (!fs::exists(exe)) {
        std::printf("krntools not found at %s\n", exe.c_str());
        return 1;
    }

    pid_t xvfb = 0;
    const std::optional<std::string> display = startXvfb(xvfb);
    if (!display) {
        std::printf("Xvfb is not available; nothing measured.\n");
        return 0;
    }
    setenv("DISPLAY", display->c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    Display* dpy = nullptr;
    for (int i = 0; i < 50 && !dpy; ++i) {
        dpy = XOpenDisplay(display->c_str());
        if (!dpy)
            usleep(100 * 1000);
    }
    if (!dpy) {
        std::printf("cannot connect to Xvfb on %s\n", display->c_str());
        stop(xvfb);
        return 1;
    }

    // A private folder, so the program starts as on a first run each time.
    char tmpl[] = "/tmp/krn-bench-XXXXXX";
    const fs::path dir = mkdtemp(tmpl);
    const fs::path copy = dir / "krntools";
    fs::copy_file(exe, copy);

    std::printf("krntools start-up on Xvfb %s, %d runs (process start -> window mapped)\n",
                display->c_str(), runs);
    std::vector<double> shown;
    std::vector<double> rss;
    std::vector<double> settled;
    for (int i = 0; i < runs; ++i) {
        fs::remove(dir / "krntools.ini");
        const Run r = measure(dpy, copy, dir);
        if (r.shownMs < 0) {
            std::printf("  run %d: no window within 20 s\n", i + 1);
            continue;
        }
        std::printf("  run %d: window shown after %7.1f ms, VmRSS %6ld KiB, %6ld KiB 1.5 s later\n",
                    i + 1, r.shownMs, r.rssShownKiB, r.rssSettledKiB);
        shown.push_back(r.shownMs);
        rss.push_back(double(r.rssShownKiB));
        settled.push_back(double(r.rssSettledKiB));
    }
    if (!shown.empty()) {
        std::printf("median: window shown after %.1f ms (first run %.1f ms, best %.1f ms)\n",
                    median(shown), shown.front(), *std::min_element(shown.begin(), shown.end()));
        std::printf("median: VmRSS %.0f KiB when shown, %.0f KiB settled\n", median(rss),
                    median(settled));
    }

    XCloseDisplay(dpy);
    stop(xvfb);
    fs::remove_all(dir);
    return 0;
}
