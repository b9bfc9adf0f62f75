#include "interrupts.h"

#include <csignal>

namespace krn::cli {

namespace {
std::atomic<bool> g_stop{false};
std::atomic<int> g_signal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "set from a signal handler");

extern "C" void onSignal(int signal)
{
    g_signal.store(signal);
    g_stop.store(true);
    // The next one is not asked twice.
    std::signal(signal, SIG_DFL);
}
} // namespace

Interrupts::Interrupts()
{
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

Interrupts::~Interrupts()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

const std::atomic<bool>& Interrupts::stop()
{
    return g_stop;
}

int Interrupts::signal()
{
    return g_signal.load();
}

} // namespace krn::cli
