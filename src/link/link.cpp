#include "link.h"

#include "core/failure.h"
#include "core/numtext.h"
#include "portmap.h"
#include "serialport.h"
#include "strings/stringtable.h"

#include <QCoreApplication>

namespace krn {

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("krn", text);
}
} // namespace

Link::Link(LinkState& state, SerialPort& port, const PortMap& ports, MessageSink& boxes,
           MsClock& clock, EventPump& pump)
    : m_state(state), m_port(port), m_ports(ports), m_boxes(boxes), m_clock(clock), m_pump(pump)
{
}

bool Link::isOpen() const
{
    return m_port.isOpen();
}

void Link::fail(const QString& description, const QString& title, MessageIcon icon)
{
    m_boxes.show(description, title, icon);
}

void Link::OpenLink(const LinkChoice& choice)
{
    try {
        // Each value lands in the link state as soon as it is read, so a
        // failure half-way leaves the earlier ones behind.
        m_state.PortNumber = choice.portListIndex + 1;
        m_state.BaudRate = toInt32(leadingNumber(choice.baudText));
        m_state.ScreenNumber = toInt32(leadingNumber(choice.screenText));
    } catch (const Failure& f) {
        fail(f.description(), strings::load(strings::ErrorTitle), MessageIcon::Exclamation);
        return;
    }
    OpenPort();
}

void Link::OpenPort()
{
    try {
        const qint32 screen = m_state.ScreenNumber;
        m_state.StatusMessage =
            strings::load(strings::ControllerNotFound) + QStringLiteral("\r\n") +
            strings::load(strings::ScreenNumberLabel) +
            (screen < 0 ? QString::number(screen) : QStringLiteral(" ") + QString::number(screen));
        m_state.BusyFlag = 1;
        if (!m_port.isOpen()) {
            if (m_state.PortNumber < 1)
                throw Failure(tr("No serial port is selected."));
            const QString device = m_ports.deviceFor(m_state.PortNumber);
            if (device.isEmpty())
                throw Failure(tr("Serial port %1 does not exist on this computer. Check that the "
                                 "adapter is plugged in and pick the port it uses.")
                                  .arg(m_state.PortNumber));
            m_port.configure(device, LineSettings{m_state.BaudRate});
            m_port.open();
        }
        m_state.BusyFlag = 0;
    } catch (const Failure& f) {
        fail(f.description(), strings::load(strings::ErrorTitle), MessageIcon::Exclamation);
    }
}

void Link::ClosePort()
{
    try {
        if (m_port.isOpen())
            m_port.close();
    } catch (const Failure& f) {
        fail(f.description(), strings::load(strings::ErrorTitle), MessageIcon::Exclamation);
    }
}

void Link::SendFrame(QByteArray& payload)
{
    m_state.BusyFlag = 1;
    m_state.ReplyReceived = 0;
    try {
        if (payload.isEmpty())
            throw Failure(tr("The frame has no payload bytes."));
        const qsizetype last = payload.size() - 1;

        QByteArray header(6, '\0');
        header[0] = char(0x5A);
        header[1] = char(0xA5);
        header[2] = char(wholeToByte(qint64(m_state.PayloadLength) + 6));
        header[3] = char(wholeToByte(m_state.ScreenNumber));
        header[4] = char(wholeToByte(m_state.FrameSequence));
        header[5] = char(wholeToByte(m_state.CommandCode));

        // The number is used up from here on, even if the write fails.
        m_state.FrameSequence = m_state.FrameSequence >= 255 ? 0 : m_state.FrameSequence + 1;

        quint8 sum = 0;
        for (char b : std::as_const(header))
            sum ^= quint8(b);
        for (qsizetype i = 0; i < last; ++i)
            sum ^= quint8(payload[i]);
        payload[last] = char(sum);

        m_port.discardInput();
        m_port.write(header);
        m_port.write(payload);
        waitForAck();
    } catch (const Failure& f) {
        fail(f.description(), strings::load(strings::SendingByteTitle), MessageIcon::Critical);
    }
}

void Link::waitForAck()
{
    const bool broadcast = m_state.ScreenNumber == BroadcastScreen;
    const auto timeout = broadcast ? BroadcastWait : AckTimeout;
    const quint32 limit = quint32(timeout.count());
    const quint32 start = m_clock.nowMs();

    for (;;) {
        const quint32 elapsed = elapsedSince(start, m_clock.nowMs());
        if (elapsed >= limit)
            break;
        m_pump.processPending();

        const QString fault = m_port.takeFault();
        if (!fault.isEmpty()) {
            m_port.close();
            throw Failure(fault);
        }
        if (m_port.bytesWaiting() >= 1) {
            const QByteArray batch = m_port.readAll();
            m_port.discardInput();
            if (batch.isEmpty())
                throw Failure(tr("The serial port announced a reply but returned no bytes."));
            m_state.LastReply = batch;
            m_state.ReplyReceived = 1;
        }
        if (m_state.ReplyReceived == 1) {
            m_state.StatusMessage = strings::load(strings::SendError);
            if (m_state.LastReply.at(0) == Ack) {
                m_state.BusyFlag = 0;
                m_state.ReplyReceived = 0;
                return;
            }
        }
        const quint32 now = elapsedSince(start, m_clock.nowMs());
        if (now < limit)
            m_pump.waitForEvents(std::chrono::milliseconds(limit - now));
    }

    // A fault in the last moments of the wait still says what happened.
    if (const QString fault = m_port.takeFault(); !fault.isEmpty()) {
        m_port.close();
        throw Failure(fault);
    }
    if (broadcast) {
        // Several screens would answer at once; a broadcast counts as delivered.
        m_state.BusyFlag = 0;
        m_state.ReplyReceived = 0;
        return;
    }
    fail(m_state.StatusMessage, strings::load(strings::SendingByteTitle), MessageIcon::Exclamation);
}

} // namespace krn
