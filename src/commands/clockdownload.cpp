#include "clockdownload.h"

#include "core/failure.h"
#include "core/messages.h"
#include "glyphs.h"
#include "link/link.h"
#include "strings/stringtable.h"

#include <QFont>

namespace krn {

namespace {
constexpr qint32 GlyphCommand = 20;
constexpr qint32 FrameBytes = 32;
} // namespace

bool Send_TimeFont(Link& link, EventPump& pump, MessageSink& boxes, qint32 clockLanguage,
                   const QFont& clockFont)
{
    LinkState& state = link.state();
    try {
        state.PayloadLength = FrameBytes;
        QByteArray buffer(FrameBytes + 1, '\0');
        state.CommandCode = GlyphCommand;

        const QString text = glyphs::glyphText(clockLanguage);
        qsizetype p = 0;
        for (const QChar c : text) {
            pump.processPending();
            // Frame boundaries ignore glyph boundaries: a frame may end
            // half-way through a glyph and the next one carries on.
            for (const char byte : glyphs::rasterise(clockFont, c)) {
                buffer[p++] = byte;
                if (p == FrameBytes) {
                    link.SendFrame(buffer);
                    if (state.BusyFlag == 1)
                        return true;
                    p = 0;
                }
            }
        }
        if (p > 0) {
            state.PayloadLength = qint32(p);
            buffer.resize(p + 1);
            link.SendFrame(buffer);
        }
        return true;
    } catch (const Failure& f) {
        boxes.show(f.description(), strings::load(strings::ErrorTitle), MessageIcon::Exclamation);
        return false;
    }
}

} // namespace krn
