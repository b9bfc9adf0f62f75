#include "outcomebox.h"

#include "strings/stringtable.h"

namespace krn {

void presentOutcome(MessageSink& boxes, const Outcome& outcome)
{
    quint16 title = strings::ErrorTitle;
    MessageIcon icon = MessageIcon::Exclamation;
    switch (outcome.kind) {
    case OutcomeKind::Busy:
    case OutcomeKind::Interrupted: // the window stops nothing from outside
        return;
    case OutcomeKind::Delivered:
        title = strings::PromptTitle;
        icon = MessageIcon::Information;
        break;
    case OutcomeKind::NoAnswer:
    case OutcomeKind::Refused:
        title = strings::SendingByteTitle;
        break;
    case OutcomeKind::LineFault:
        title = strings::SendingByteTitle;
        icon = MessageIcon::Critical;
        break;
    case OutcomeKind::OpenFailed:
    case OutcomeKind::InvalidValue:
        break;
    }
    boxes.show(strings::render(outcome.message), strings::load(title), icon);
}

void presentFailure(MessageSink& boxes, const Message& message)
{
    boxes.show(strings::render(message), strings::load(strings::ErrorTitle),
               MessageIcon::Exclamation);
}

} // namespace krn
