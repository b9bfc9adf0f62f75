#include "qtserialport.h"

#include "core/failure.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace krn {

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("krn", text);
}

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

void QtSerialPort::configure(const QString& device, const LineSettings& settings)
{
    m_port.setPortName(device);
    m_port.setBaudRate(settings.baudRate);
    m_port.setParity(QSerialPort::OddParity);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
}

QString QtSerialPort::openFailureText(const QString& device, QSerialPort::SerialPortError error,
                                      const QString& systemText)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return tr("The serial port %1 does not exist. Check that the adapter is plugged in "
                  "and that the right port is chosen.")
            .arg(device);
    case QSerialPort::PermissionError:
        if (!accessible(device) && QFileInfo::exists(device)) {
#ifdef Q_OS_LINUX
            return tr("You have no permission to open the serial port %1. Add your user to the "
                      "'dialout' group (sudo usermod -aG dialout $USER), then log in again.")
                .arg(device);
#else
            return tr("You have no permission to open the serial port %1.").arg(device);
#endif
        }
        return tr("The serial port %1 is in use by another program. Close that program and "
                  "try again.")
            .arg(device);
    case QSerialPort::UnsupportedOperationError:
        return tr("The serial port %1 refused the line settings.").arg(device);
    default:
        return tr("The serial port %1 could not be opened: %2").arg(device, systemText);
    }
}

void QtSerialPort::open()
{
    m_fault.clear();
    if (m_port.open(QIODevice::ReadWrite))
        return;
    const auto error = m_port.error();
    const QString text = openFailureText(m_port.portName(), error, m_port.errorString());
    m_port.clearError();
    m_fault.clear();
    throw Failure(text);
}

void QtSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
}

void QtSerialPort::requireOpen(const char* what)
{
    if (m_port.isOpen())
        return;
    // A fault closed it: say what happened rather than that it is closed.
    if (!m_fault.isEmpty())
        throw Failure(takeFault());
    throw Failure(tr("The serial port is not open (%1).").arg(QString::fromLatin1(what)));
}

qint64 QtSerialPort::bytesWaiting()
{
    requireOpen("polling");
    return m_port.bytesAvailable();
}

void QtSerialPort::discardInput()
{
    requireOpen("discarding input");
    m_port.clear(QSerialPort::Input);
}

QByteArray QtSerialPort::readAll()
{
    requireOpen("reading");
    return m_port.readAll();
}

void QtSerialPort::write(const QByteArray& bytes)
{
    requireOpen("writing");
    if (m_port.write(bytes) != bytes.size())
        throw Failure(tr("Writing to the serial port failed: %1").arg(m_port.errorString()));
    // Hand the bytes to the driver now instead of at the next event-loop pass.
    m_port.flush();
}

QString QtSerialPort::takeFault()
{
    return std::exchange(m_fault, QString());
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_port.isOpen())
        return;
    if (error == QSerialPort::TimeoutError)
        return;
    if (m_fault.isEmpty()) {
        m_fault = error == QSerialPort::ResourceError
                      ? tr("The serial port %1 went away (adapter unplugged or line closed): %2")
                            .arg(m_port.portName(), m_port.errorString())
                      : tr("The serial port %1 reported an error: %2")
                            .arg(m_port.portName(), m_port.errorString());
    }
    m_port.clearError();
    m_port.close();
}

} // namespace krn
