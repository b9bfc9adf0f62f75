#pragma once

#include "commander.h"
#include "core/qteventpump.h"
#include "link/anyline.h"
#include "link/link.h"
#include "link/portmap.h"

namespace krn {

class Settings;
struct LinkState;

// The engine as every program runs it, assembled in this one place: the
// event pump and the clock, the port numbers of the settings file, a line
// that picks a serial port or a device server by address, the link over it
// and the commander. One engine serves one line; it belongs to the thread
// that made it.
struct Engine {
    // `settings`: where port numbers are mapped; absent, only addresses given
    // directly (or the system's list) are opened. `devices`: the system's
    // serial devices as a test sets them; absent, the system's own.
    Engine(LinkState& state, const Settings* settings, EngineEvents* events = nullptr,
           const SerialDevices* devices = nullptr);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    QtEventPump pump;
    SteadyClock clock;
    PortMap ports;
    AnyLine line;
    Link link;
    Commander commander;
};

} // namespace krn
