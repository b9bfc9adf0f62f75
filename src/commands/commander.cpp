#include "commander.h"

#include "clockdownload.h"
#include "core/failure.h"
#include "link/link.h"
#include "payloads.h"
#include "settings/profilefile.h"
#include "strings/stringtable.h"

#include <QScopeGuard>

namespace krn {

namespace {
constexpr int ClockDownload = 4;
} // namespace

bool Commander::isCommand(int index)
{
    switch (index) {
    case 1:
    case 3:
    case 4:
    case 5:
    case 7:
    case 8:
    case 9:
        return true;
    default:
        return false;
    }
}

Commander::Commander(ProgramValues& values, Link& link, ProfileFile& settings, MessageSink& boxes,
                     EventPump& pump)
    : m_values(values), m_link(link), m_settings(settings), m_boxes(boxes), m_pump(pump)
{
}

bool Commander::Send_Function(int index, const FormSnapshot& form, const QFont& clockFont)
{
    // A second command inside the first one's waits would interleave frames
    // on the same line.
    if (m_running || !isCommand(index))
        return false;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    LinkState& state = m_values.link;
    try {
        m_link.OpenLink(LinkChoice{form.portListIndex, form.baudText, form.screenText});
        if (state.BusyFlag == 1)
            return false; // the link has said why

        if (index == ClockDownload) {
            if (!Send_TimeFont(m_link, m_pump, m_boxes, m_values.ClockLanguage, clockFont)) {
                // A half-drawn clock table is no success, whatever the frames
                // before the failure achieved.
                m_link.ClosePort();
                return false;
            }
        } else {
            std::optional<Payload> payload = buildPayload(index, form);
            Q_ASSERT(payload.has_value()); // every command but the download has one
            state.PayloadLength = payload->length;
            state.CommandCode = payload->code;
            m_link.SendFrame(payload->buffer);
        }
        m_link.ClosePort();
        if (state.BusyFlag != 0)
            return false;

        m_boxes.show(strings::load(strings::SetParameterOk), strings::load(strings::PromptTitle),
                     MessageIcon::Information);

        if (index == ClockDownload) {
            const QString section = QStringLiteral("About");
            m_settings.writeText(section, u"Send_Time",
                                 QString::number(form.clockLanguagePosition));
            m_settings.writeText(section, u"Send_TimeFont", m_values.ClockFontName);
            m_settings.writeText(section, u"Send_TimeSize",
                                 QString::number(m_values.ClockFontSize));
        }
        return true;
    } catch (const Failure& f) {
        m_boxes.show(f.description(), strings::load(strings::ErrorTitle), MessageIcon::Exclamation);
        // The next command must open the port the window shows, at the speed
        // it shows, not reuse this one.
        m_link.ClosePort();
        return false;
    }
}

} // namespace krn
