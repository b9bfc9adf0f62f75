#pragma once

#include "core/eventpump.h"
#include "core/programvalues.h"
#include "delivery.h"
#include "frame.h"
#include "line.h"
#include "portmap.h"
#include "traffic.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>

namespace krn {

// Where a command goes: a port number as the window numbers them (or an
// address given directly), a line speed, a screen.
struct LinkTarget {
    qint32 portNumber = 0; // 1-based; 0 = nothing selected
    QString address;       // when set: this device or network address, not the port number's
    qint32 baudRate = 9600;
    qint32 screen = 0; // 255 addresses every screen
};

using frame::BroadcastScreen;

// More reply bytes than this in one wait is no screen's answer.
inline constexpr qint64 FloodBytes = 1024;

// One line and the frame protocol over it: 5A A5 len screen seq cmd data...
// xor, confirmed by a reply starting with 06. Keeps LinkState, the record the
// window reads, and reports every event on the line to `events`.
class Link {
public:
    Link(LinkState& state, Line& line, const PortMap& ports, MsClock& clock, EventPump& pump,
         EngineEvents* events = nullptr);

    // Opens the target's line at its speed unless it is open already. On
    // failure the message says why (no port chosen, no such device, in use,
    // no permission...).
    std::optional<Message> OpenPort(const LinkTarget& target);
    void ClosePort();
    bool isOpen() const;

    // Frames `data` for `screen` with `command`, sends it on a drained line
    // and waits for the acknowledgement (`wait`, or the single command's
    // 3000 / 50 ms).
    Delivery SendFrame(qint32 screen, quint8 command, const QByteArray& data,
                       std::optional<AckWait> wait = std::nullopt);

    // Listens at most `limit` without sending; the first bytes end it
    // (Refused, with them), or nothing came (NoAnswer). For late answers.
    Delivery listen(std::chrono::milliseconds limit);

    // Moves the open line to another speed without reconnecting; a refusal
    // is the message. On a raw device server port (kind() RawTcp) the server
    // owns the speed and nothing changes.
    std::optional<Message> setSpeed(qint32 baudRate);

    // The kind of the open line (or the last one opened).
    LineKind kind() const { return m_line.kind(); }
    // The network's round trip measured while opening; zero on a local port.
    std::chrono::microseconds roundTrip() const { return m_line.roundTrip(); }

    // The device or address the open line goes to ("" when closed).
    const QString& address() const { return m_address; }
    // Where the last port opened led, as it was resolved for the open: the
    // front end pins a number from the system's list by it.
    const PortRoute& route() const { return m_route; }
    EngineEvents* events() const { return m_events; }
    void setEvents(EngineEvents* events) { m_events = events; }

private:
    void drain(std::chrono::milliseconds settle, bool always);
    // A fault the line met closes it and ends the frame with its words.
    void throwOnFault();
    Delivery waitForAck(qint32 screen, const AckWait& wait, quint32 start);
    void record(TrafficRecord record);
    Delivery finish(Delivery delivery, quint32 start);

    LinkState& m_state;
    Line& m_line;
    const PortMap& m_ports;
    MsClock& m_clock;
    EventPump& m_pump;
    EngineEvents* m_events = nullptr;
    QString m_address;
    PortRoute m_route;
    LineSettings m_settings;
    bool m_answered = false;  // any reply since the last OpenPort
    bool m_unsettled = false; // the last frame's wait did not end on an acknowledgement
    quint32 m_lastHeard = 0;  // when the last byte came, or the last wait ended
};

} // namespace krn
