#pragma once

#include <QtGlobal>

class QFont;

namespace krn {

class Link;
class EventPump;
class MessageSink;

// Draws the clock glyphs one character at a time and sends the stream as
// command-20 frames of 32 bytes over the open link, each frame as soon as it
// is full; a shorter last frame carries the rest. Stops at the first full
// frame the screen does not acknowledge (BusyFlag 1). Events are handled
// before each character so the window stays alive during the download.
//
// Returns false when the download itself failed (the glyphs could not be
// drawn); the failure has been shown then. Whether the screen took every frame
// is left in BusyFlag.
bool Send_TimeFont(Link& link, EventPump& pump, MessageSink& boxes, qint32 clockLanguage,
                   const QFont& clockFont);

} // namespace krn
