#pragma once

#include "commands/outcome.h"
#include "core/messages.h"

namespace krn {

// Shows how a command fared as the operator has always seen it: one box, its
// title and icon chosen by the outcome. A command that never started (another
// was running) shows nothing.
void presentOutcome(MessageSink& boxes, const Outcome& outcome);

// A failure at the window's edge, in the error box.
void presentFailure(MessageSink& boxes, const Message& message);

} // namespace krn
