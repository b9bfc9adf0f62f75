#include "settings.h"

namespace krn {

namespace {
const QString About = QStringLiteral("About");
const QString Ports = QStringLiteral("Ports");
// Font names were kept in a 60-byte buffer: 59 bytes and the terminator.
constexpr int FontNameCapacity = 60;
// A [Ports] entry may be a long by-id path or a network address.
constexpr int AddressCapacity = 4096;

QString hardwareKey(int index)
{
    return QStringLiteral("Set_No%1").arg(index);
}
} // namespace

qint32 Settings::portPosition() const
{
    return m_file.readInt(About, u"Send_Com", 0);
}
qint32 Settings::lineSpeed() const
{
    return m_file.readInt(About, u"Send_Port", 0);
}
qint32 Settings::screen() const
{
    return m_file.readInt(About, u"Send_Screen", 0);
}
qint32 Settings::colourPosition() const
{
    return m_file.readInt(About, u"Send_Color", 0);
}
qint32 Settings::width() const
{
    return m_file.readInt(About, u"Send_Width", 128);
}
qint32 Settings::height() const
{
    return m_file.readInt(About, u"Send_Height", 16);
}
qint32 Settings::scanPosition() const
{
    return m_file.readInt(About, u"Send_Scan", 0);
}
qint32 Settings::clockLanguage() const
{
    return m_file.readInt(About, u"Send_Time", 0);
}
QString Settings::clockFontName(const QString& fallback) const
{
    const QString face = m_file.readText(About, u"Send_TimeFont", fallback, FontNameCapacity);
    return face.isEmpty() ? fallback : face;
}
qint32 Settings::clockFontSize() const
{
    return m_file.readInt(About, u"Send_TimeSize", 12);
}
qint32 Settings::hardwareOption(int index) const
{
    return m_file.readInt(About, hardwareKey(index), 0);
}

bool Settings::setPortPosition(qint32 position)
{
    return m_file.writeText(About, u"Send_Com", QString::number(position));
}
bool Settings::setLineSpeed(const QString& text)
{
    return m_file.writeText(About, u"Send_Port", text);
}
bool Settings::setScreen(const QString& text)
{
    return m_file.writeText(About, u"Send_Screen", text);
}
bool Settings::setColourPosition(qint32 position)
{
    return m_file.writeText(About, u"Send_Color", QString::number(position));
}
bool Settings::setWidth(const QString& text)
{
    return m_file.writeText(About, u"Send_Width", text);
}
bool Settings::setHeight(const QString& text)
{
    return m_file.writeText(About, u"Send_Height", text);
}
bool Settings::setScanPosition(qint32 position)
{
    return m_file.writeText(About, u"Send_Scan", QString::number(position));
}
bool Settings::setHardwareOption(int index, qint32 position)
{
    return m_file.writeText(About, hardwareKey(index), QString::number(position));
}
bool Settings::setClock(qint32 languagePosition, const QString& fontName, qint32 fontSize)
{
    // All three are written even when one fails, as before.
    bool ok = m_file.writeText(About, u"Send_Time", QString::number(languagePosition));
    ok = m_file.writeText(About, u"Send_TimeFont", fontName) && ok;
    ok = m_file.writeText(About, u"Send_TimeSize", QString::number(fontSize)) && ok;
    return ok;
}

QString Settings::portMapping(qint32 number) const
{
    return m_file.readText(Ports, QString::number(number), QString(), AddressCapacity).trimmed();
}
bool Settings::setPortMapping(qint32 number, const QString& address)
{
    return m_file.writeText(Ports, QString::number(number), address);
}

} // namespace krn
