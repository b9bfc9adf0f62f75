#pragma once

#include "serialdevices.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace krn {

// Where a port number leads now.
struct PortRoute {
    enum class Source {
        Nothing,    // the number names no device
        SystemList, // the n-th device the system lists: pinned once used
        Settings,   // [Ports] names it
        Fixed,      // Windows: port n is COMn
    };
    QString device; // what opening the port opens; "" for Nothing
    Source source = Source::Nothing;
    bool present = false;
    std::optional<SerialDevice> info; // the system's description of the device, when it lists it
};

// Keeps a port number naming the same adapter. Port n is, unless [Ports]
// names a device for it, the n-th device in the system's list, so plugging in
// an adapter that sorts first moves every number after it. Once a command has
// gone out on such a number, it is pinned: [Ports] n= gets the adapter's
// stable path.
class PortPinning {
public:
    using ReadMapping = std::function<QString(qint32)>; // [Ports] n; "" when unmapped
    using WriteMapping = std::function<bool(qint32, const QString&)>;

    PortPinning(const SerialDevices& devices, ReadMapping read, WriteMapping write)
        : m_devices(devices), m_read(std::move(read)), m_write(std::move(write))
    {
    }

    PortRoute route(qint32 number) const;

    // After a command has gone out on port `number`: pins it when its device
    // came from the system's list. Returns the path written; "" when nothing
    // was (already pinned, nothing there, the file refused, or Windows, where
    // port n is COMn for good).
    QString pinAfterUse(qint32 number);

private:
    const SerialDevices& m_devices;
    ReadMapping m_read;
    WriteMapping m_write;
};

} // namespace krn
