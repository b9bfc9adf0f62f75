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
QString key(SettingsKey k)
{
    return Settings::keyName(k);
}
} // namespace

QString Settings::keyName(SettingsKey key)
{
    switch (key) {
    case SettingsKey::Com:
        return QStringLiteral("Send_Com");
    case SettingsKey::Port:
        return QStringLiteral("Send_Port");
    case SettingsKey::Screen:
        return QStringLiteral("Send_Screen");
    case SettingsKey::Color:
        return QStringLiteral("Send_Color");
    case SettingsKey::Width:
        return QStringLiteral("Send_Width");
    case SettingsKey::Height:
        return QStringLiteral("Send_Height");
    case SettingsKey::Scan:
        return QStringLiteral("Send_Scan");
    case SettingsKey::Time:
        return QStringLiteral("Send_Time");
    case SettingsKey::TimeFont:
        return QStringLiteral("Send_TimeFont");
    case SettingsKey::TimeSize:
        return QStringLiteral("Send_TimeSize");
    }
    return {};
}

qint32 Settings::portPosition() const
{
    return m_file.readInt(About, key(SettingsKey::Com), 0);
}
qint32 Settings::lineSpeed() const
{
    return m_file.readInt(About, key(SettingsKey::Port), 0);
}
qint32 Settings::screen() const
{
    return m_file.readInt(About, key(SettingsKey::Screen), 0);
}
qint32 Settings::colourPosition() const
{
    return m_file.readInt(About, key(SettingsKey::Color), 0);
}
qint32 Settings::width() const
{
    return m_file.readInt(About, key(SettingsKey::Width), 128);
}
qint32 Settings::height() const
{
    return m_file.readInt(About, key(SettingsKey::Height), 16);
}
qint32 Settings::scanPosition() const
{
    return m_file.readInt(About, key(SettingsKey::Scan), 0);
}
qint32 Settings::clockLanguage() const
{
    return m_file.readInt(About, key(SettingsKey::Time), 0);
}
QString Settings::clockFontName(const QString& fallback) const
{
    const QString face =
        m_file.readText(About, key(SettingsKey::TimeFont), fallback, FontNameCapacity);
    return face.isEmpty() ? fallback : face;
}
qint32 Settings::clockFontSize() const
{
    return m_file.readInt(About, key(SettingsKey::TimeSize), 12);
}
qint32 Settings::hardwareOption(int index) const
{
    return m_file.readInt(About, hardwareKey(index), 0);
}

bool Settings::setPortPosition(qint32 position)
{
    return m_file.writeText(About, key(SettingsKey::Com), QString::number(position));
}
bool Settings::setLineSpeed(const QString& text)
{
    return m_file.writeText(About, key(SettingsKey::Port), text);
}
bool Settings::setScreen(const QString& text)
{
    return m_file.writeText(About, key(SettingsKey::Screen), text);
}
bool Settings::setColourPosition(qint32 position)
{
    return m_file.writeText(About, key(SettingsKey::Color), QString::number(position));
}
bool Settings::setWidth(const QString& text)
{
    return m_file.writeText(About, key(SettingsKey::Width), text);
}
bool Settings::setHeight(const QString& text)
{
    return m_file.writeText(About, key(SettingsKey::Height), text);
}
bool Settings::setScanPosition(qint32 position)
{
    return m_file.writeText(About, key(SettingsKey::Scan), QString::number(position));
}
bool Settings::setHardwareOption(int index, qint32 position)
{
    return m_file.writeText(About, hardwareKey(index), QString::number(position));
}
bool Settings::setClock(qint32 languagePosition, const QString& fontName, qint32 fontSize)
{
    // All three are written even when one fails, as before.
    bool ok = m_file.writeText(About, key(SettingsKey::Time), QString::number(languagePosition));
    ok = m_file.writeText(About, key(SettingsKey::TimeFont), fontName) && ok;
    ok = m_file.writeText(About, key(SettingsKey::TimeSize), QString::number(fontSize)) && ok;
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
