#pragma once

#include "core/message.h"
#include "serialdevices.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace krn {

class Settings;

// Where a port number leads now.
struct PortRoute {
    enum class Source {
        Nothing,    // the number names no device
        SystemList, // the n-th device the system lists: pinned once used
        Settings,   // [Ports] names it
        Fixed,      // Windows: port n is COMn
        Given,      // an address given directly, not a number
    };
    qint32 number = 0;
    QString device; // what opening the port opens; "" for Nothing
    Source source = Source::Nothing;
    bool present = false;
    std::optional<SerialDevice> info; // the system's description of the device, when it lists it
};

// Which device a serial port number opens. The [Ports] section of the
// settings file may name a device or a network line for n ("1=/dev/ttyUSB0",
// "2=rfc2217://10.0.0.5:2001"); otherwise port n is COMn on Windows and the
// n-th serial device the system lists, sorted by name, elsewhere. Once a
// command has gone out on a number taken from the system's list, the front
// end pins it (pinFor): [Ports] n= gets the adapter's stable path, so
// plugging in an adapter that sorts first does not move the number.
class PortMap {
public:
    // `devices`: the system's list as a test sets it; absent, the system's own.
    explicit PortMap(const Settings* settings = nullptr, const SerialDevices* devices = nullptr)
        : m_settings(settings), m_devices(devices)
    {
    }

    // Where port `number` leads: one look at [Ports] and one at the system's list.
    PortRoute route(qint32 number) const;
    // Every number that leads somewhere, from 1 up to the system's device
    // count or `atLeast`, whichever is more; one look at the system's list.
    QList<PortRoute> routes(qint32 atLeast) const;
    // What a command opens: `address` when given, else port `portNumber`'s
    // route. Nothing with why there is none (no port chosen, no such port).
    std::optional<Message> resolve(qint32 portNumber, const QString& address,
                                   PortRoute* route) const;
    std::optional<Message> resolve(qint32 portNumber, const QString& address,
                                   QString* device) const;

    // After a command has gone out on `route`: the path to pin its number
    // to, when the number came from the system's list; "" otherwise (already
    // pinned, nothing there, an address given, or Windows, where port n is
    // COMn for good). Without a by-id link the device's own name is still
    // better than a place in a list that changes with every adapter.
    static QString pinFor(const PortRoute& route);

    // Sorted by name, numbers in names compared as numbers (ttyUSB2 < ttyUSB10).
    static QStringList inPortOrder(QStringList devices);

private:
    QList<SerialDevice> devices() const;
    PortRoute routeIn(qint32 number, const QList<SerialDevice>& devices) const;

    const Settings* m_settings;
    const SerialDevices* m_devices;
};

} // namespace krn
