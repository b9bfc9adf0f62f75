#pragma once

#include "link/traffic.h"

namespace krn {

class Link;
class OperatorAids;

// Watches one command for as long as it lives: the window shows itself busy,
// a long command's progress reaches the title bar, and a frame going out is
// noted (the port is then pinned). Every event also goes on to whoever
// received the link's events before, the traffic log among them.
class CommandWatch final : public EngineEvents {
public:
    CommandWatch(OperatorAids& aids, Link& link);
    ~CommandWatch() override;
    CommandWatch(const CommandWatch&) = delete;
    CommandWatch& operator=(const CommandWatch&) = delete;

    void traffic(const TrafficRecord& record) override;
    void progress(int done, int total) override;

    // A frame of this command was written to the line.
    bool frameSent() const { return m_frameSent; }

private:
    OperatorAids& m_aids;
    Link& m_link;
    EngineEvents* m_next = nullptr;
    bool m_frameSent = false;
};

} // namespace krn
