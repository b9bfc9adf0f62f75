#pragma once

#include "core/eventpump.h"
#include "core/messages.h"
#include "core/programvalues.h"

#include <QByteArray>
#include <QString>
#include <chrono>

namespace krn {

class SerialPort;
class PortMap;

// What the window shows at the moment a command starts.
struct LinkChoice {
    int portListIndex = -1; // -1 when nothing is selected
    QString baudText;
    QString screenText;
};

inline constexpr std::chrono::milliseconds AckTimeout{3000};
inline constexpr std::chrono::milliseconds BroadcastWait{50};
inline constexpr qint32 BroadcastScreen = 255;
inline constexpr char Ack = 0x06;

// One serial connection per command, and the frame protocol over it:
// 5A A5 len screen seq cmd data... xor, confirmed by a reply starting with 06.
// Outcomes are reported through LinkState::BusyFlag and message boxes.
class Link {
public:
    Link(LinkState& state, SerialPort& port, const PortMap& ports, MessageSink& boxes,
         MsClock& clock, EventPump& pump);

    // Takes port, speed and screen from the window, then OpenPort.
    void OpenLink(const LinkChoice& choice);
    // Composes StatusMessage and opens the port unless it is open already;
    // BusyFlag 0 on success, 1 (and a message) on failure.
    void OpenPort();
    void ClosePort();
    // Frames `payload` (data bytes, then one checksum slot that is filled
    // here), sends it and waits for the acknowledgement.
    void SendFrame(QByteArray& payload);

    LinkState& state() { return m_state; }
    bool isOpen() const;

private:
    void fail(const QString& description, const QString& title, MessageIcon icon);
    void waitForAck();

    LinkState& m_state;
    SerialPort& m_port;
    const PortMap& m_ports;
    MessageSink& m_boxes;
    MsClock& m_clock;
    EventPump& m_pump;
};

} // namespace krn
