#include "engine.h"

#include "link/qtserialport.h"

namespace krn {

Engine::Engine(LinkState& state, const Settings* settings, EngineEvents* events,
               const SerialDevices* devices)
    : ports(settings, devices), line(std::make_unique<QtSerialPort>()),
      link(state, line, ports, clock, pump, events), commander(link, pump)
{
}

} // namespace krn
