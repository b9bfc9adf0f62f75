// krntools-vscreen: a controller simulator on a pseudo-terminal (and on TCP),
// for tests, benchmarks and trying the tool without hardware.

#include "virtualscreen.h"
#include "vscreenoptions.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

void printLine(const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    // Block the ending signals before Qt starts any thread, so that they are
    // only ever taken from the signalfd inside the event loop.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &endSignals, nullptr);
    // A client that went away must not kill us through a broken pipe.
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("krntools-vscreen"));

    QString error;
    bool helpShown = false;
    const auto options =
        krn::vscreen::VScreenOptions::parse(QCoreApplication::arguments(), &error, &helpShown);
    if (!options) {
        std::fputs(error.toLocal8Bit().constData(), helpShown ? stdout : stderr);
        std::fputc('\n', helpShown ? stdout : stderr);
        return helpShown ? 0 : 2;
    }

    const int signalFd = ::signalfd(-1, &endSignals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signalFd < 0) {
        std::perror("signalfd");
        return 1;
    }
    QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [signalFd] {
        signalfd_siginfo info{};
        while (::read(signalFd, &info, sizeof info) == sizeof info) {
        }
        QCoreApplication::quit();
    });

    krn::vscreen::VirtualScreen screen(*options, printLine);
    if (!screen.open(&error)) {
        std::fprintf(stderr, "krntools-vscreen: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    QObject::connect(&screen, &krn::vscreen::VirtualScreen::hungUp, &app, &QCoreApplication::quit);
    if (!screen.listenUrl().isEmpty())
        printLine(QStringLiteral("listening ") + screen.listenUrl());
    printLine(QStringLiteral("ready ") + screen.device());

    const int code = QCoreApplication::exec();
    screen.close();
    screen.writeGlyphFiles();
    for (const QString& line : screen.summary())
        printLine(QStringLiteral("summary: ") + line);
    ::close(signalFd);
    return code;
}
