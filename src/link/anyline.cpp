#include "anyline.h"

#include "netaddress.h"
#include "rfc2217line.h"
#include "tcpline.h"

namespace krn {

AnyLine::AnyLine(std::unique_ptr<Line> serial) : m_serial(std::move(serial))
{
    m_current = m_serial.get();
}

AnyLine::AnyLine(std::unique_ptr<Line> serial, std::unique_ptr<Line> tcp,
                 std::unique_ptr<Line> rfc2217)
    : m_serial(std::move(serial)), m_tcp(std::move(tcp)), m_rfc2217(std::move(rfc2217))
{
    m_current = m_serial.get();
}

AnyLine::~AnyLine() = default;

Line& AnyLine::lineFor(const QString& address)
{
    if (!NetAddress::looksLikeNetwork(address))
        return *m_serial;
    // Checked before anything is closed or made: a typing error in the address
    // is told as such.
    switch (NetAddress::parse(address).kind) {
    case NetAddress::Kind::RawTcp:
        if (!m_tcp)
            m_tcp = std::make_unique<TcpLine>();
        return *m_tcp;
    case NetAddress::Kind::Rfc2217:
        if (!m_rfc2217)
            m_rfc2217 = std::make_unique<Rfc2217Line>();
        return *m_rfc2217;
    }
    return *m_serial;
}

bool AnyLine::isOpen() const
{
    return current().isOpen();
}

void AnyLine::open(const QString& address, const LineSettings& settings)
{
    Line& line = lineFor(address);
    // One line at a time: the link opens only while closed, but a line of
    // another kind must not stay open behind the new one.
    if (&line != m_current && m_current->isOpen())
        m_current->close();
    m_current = &line;
    line.open(address, settings);
}

void AnyLine::close()
{
    current().close();
}

qint64 AnyLine::bytesWaiting()
{
    return current().bytesWaiting();
}

void AnyLine::discardInput()
{
    current().discardInput();
}

QByteArray AnyLine::readAll()
{
    return current().readAll();
}

void AnyLine::write(const QByteArray& bytes)
{
    current().write(bytes);
}

std::optional<Message> AnyLine::takeFault()
{
    return current().takeFault();
}

LineKind AnyLine::kind() const
{
    return current().kind();
}

bool AnyLine::setSpeed(const LineSettings& settings)
{
    return current().setSpeed(settings);
}

qint64 AnyLine::wireBytes() const
{
    return current().wireBytes();
}

std::chrono::microseconds AnyLine::roundTrip() const
{
    return current().roundTrip();
}

} // namespace krn
