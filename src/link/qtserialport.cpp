#include "qtserialport.h"

#include "core/failure.h"
#include "core/textids.h"
#include "linereset.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace krn {

namespace {

constexpr qint64 ReadBufferBytes = 64 * 1024;

// Whether we could open the device at all with our rights; lets us tell "in
// use" from "no permission", which QSerialPort reports as one error.
bool accessible(const QString& device)
{
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
#else
    Q_UNUSED(device);
    return true;
#endif
}

} // namespace

QtSerialPort::QtSerialPort()
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
}

bool QtSerialPort::isOpen() const
{
    return m_port.isOpen();
}

Message QtSerialPort::openFailure(const QString& device, QSerialPort::SerialPortError error,
                                  const QString& systemText, qint32 baudRate)
{
    using namespace strings;
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return Message{DeviceMissing, {device}};
    case QSerialPort::PermissionError:
        if (!accessible(device) && QFileInfo::exists(device)) {
#ifdef Q_OS_LINUX
            return Message{NoPermissionDialout, {device}};
#else
            return Message{NoPermission, {device}};
#endif
        }
        return Message{PortInUse, {device}};
    case QSerialPort::UnsupportedOperationError:
        return Message{LineSettingsRefused, {device, QString::number(baudRate)}};
    default:
        return Message{OpenFailed, {device, systemText}};
    }
}

Message QtSerialPort::faultMessage(const QString& device, QSerialPort::SerialPortError error,
                                   const QString& systemText)
{
    using namespace strings;
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
        return Message{PortWentAway, {device}};
    case QSerialPort::TimeoutError:
        return Message{PortTimedOut, {device}};
    case QSerialPort::UnsupportedOperationError:
        return Message{PortUnsupported, {device}};
    case QSerialPort::PermissionError:
        return Message{PortInUse, {device}};
    case QSerialPort::WriteError:
        return Message{WriteFailed, {device, systemText}};
    default:
        // A hang-up shows on a pseudo-terminal as an ioctl that no longer
        // applies: the other end is gone, whatever the system calls it.
        if (!QFileInfo::exists(device) || systemText.contains(u"ioctl", Qt::CaseInsensitive))
            return Message{PortWentAway, {device}};
        return Message{LineFault, {device, systemText}};
    }
}

bool QtSerialPort::tryOpen(const LineSettings& settings)
{
    m_port.setBaudRate(settings.baudRate);
    m_port.setParity(QSerialPort::OddParity);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    return m_port.open(QIODevice::ReadWrite);
}

void QtSerialPort::open(const QString& address, const LineSettings& settings)
{
    m_fault.reset();
    m_address = address;
    m_wireBytes = 0;
    m_port.setPortName(address);
    // A flooding line is read in bounded pieces; the link counts what it
    // does not keep.
    m_port.setReadBufferSize(ReadBufferBytes);
    if (tryOpen(settings))
        return;
    std::optional<Message> refused;
    if (m_port.error() == QSerialPort::UnsupportedOperationError) {
        // A run killed before it could restore the device's settings leaves
        // its own behind, and a pseudo-terminal then refuses odd parity once
        // more (it keeps the odd bit without parity enabled). Every flag set
        // afresh, one more try; what is still refused is named.
        m_port.clearError();
        refused = resetLineSettings(address, settings.baudRate);
        if (!refused && tryOpen(settings))
            return;
    }
    const Message why =
        refused ? *refused
                : openFailure(m_address, m_port.error(), m_port.errorString(), settings.baudRate);
    m_port.clearError();
    m_fault.reset();
    throw Failure(why);
}

bool QtSerialPort::setSpeed(const LineSettings& settings)
{
    requireOpen();
    if (!m_port.setBaudRate(settings.baudRate)) {
        m_port.clearError();
        throw Failure(
            Message{strings::LineSettingsRefused, {m_address, QString::number(settings.baudRate)}});
    }
    return true;
}

void QtSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
}

void QtSerialPort::requireOpen()
{
    if (m_port.isOpen())
        return;
    // A fault closed it: say what happened rather than that it is closed.
    if (m_fault)
        throw Failure(*std::exchange(m_fault, std::nullopt));
    throw Failure(Message{strings::PortNotOpen, {m_address}});
}

qint64 QtSerialPort::bytesWaiting()
{
    requireOpen();
    return m_port.bytesAvailable();
}

void QtSerialPort::discardInput()
{
    requireOpen();
    m_wireBytes += m_port.bytesAvailable();
    m_port.clear(QSerialPort::Input);
}

QByteArray QtSerialPort::readAll()
{
    requireOpen();
    QByteArray bytes = m_port.readAll();
    m_wireBytes += bytes.size();
    return bytes;
}

void QtSerialPort::write(const QByteArray& bytes)
{
    requireOpen();
    if (m_port.write(bytes) != bytes.size())
        throw Failure(Message{strings::WriteFailed, {m_address, m_port.errorString()}});
    // Hand the bytes to the driver now instead of at the next event-loop pass.
    m_port.flush();
}

std::optional<Message> QtSerialPort::takeFault()
{
    return std::exchange(m_fault, std::nullopt);
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_port.isOpen())
        return;
    // A read or write that merely timed out inside Qt is no fault of the line.
    if (error == QSerialPort::TimeoutError)
        return;
    if (!m_fault)
        m_fault = faultMessage(m_address, error, m_port.errorString());
    m_port.clearError();
    m_port.close();
}

} // namespace krn
