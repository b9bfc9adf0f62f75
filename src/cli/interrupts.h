#pragma once

#include <atomic>

namespace krn::cli {

// SIGINT and SIGTERM ask the tool to stop after the frame on the line, so the
// line is closed properly and the output says how far it got; a second one
// ends the tool at once.
class Interrupts {
public:
    Interrupts();
    ~Interrupts();
    Interrupts(const Interrupts&) = delete;
    Interrupts& operator=(const Interrupts&) = delete;

    static const std::atomic<bool>& stop();
    // The signal that asked, 0 while none did.
    static int signal();
};

} // namespace krn::cli
