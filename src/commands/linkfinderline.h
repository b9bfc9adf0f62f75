#pragma once

#include "core/message.h"
#include "finderline.h"
#include "link/link.h"

#include <optional>

namespace krn {

// The screen finder's line on the engine's link: the probe is the find
// command on the target's port, at the speed the finder asks for.
class LinkFinderLine : public FinderLine {
public:
    LinkFinderLine(Link& link, LinkTarget target) : m_link(link), m_target(std::move(target)) {}

    bool open(qint32 speed) override;
    bool setSpeed(qint32 speed) override;
    bool speedIsOurs() const override { return m_link.kind() != LineKind::RawTcp; }
    void close() override;
    ProbeReply probe(qint32 screen, std::chrono::milliseconds wait,
                     std::chrono::milliseconds settle) override;
    ProbeReply listen(std::chrono::milliseconds wait) override;
    std::chrono::milliseconds roundTrip() const override;

    std::optional<Message> fault() const override { return m_fault; }

private:
    ProbeReply replyOf(const Delivery& d);

    Link& m_link;
    LinkTarget m_target;
    std::optional<Message> m_fault;
};

} // namespace krn
