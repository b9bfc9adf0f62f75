#include "screenstate.h"

#include <iterator>

namespace krn::vscreen {

namespace {
// The line speeds a controller offers, by list position.
constexpr int kLineSpeeds[] = {9600, 19200, 38400, 57600};

QString lineSpeedText(quint8 position)
{
    QString text = QStringLiteral("line-speed position %1").arg(position);
    if (position < std::size(kLineSpeeds))
        text += QStringLiteral(" (%1 bit/s)").arg(kLineSpeeds[position]);
    return text;
}

QString panelText(const PanelSettings& p)
{
    return QStringLiteral("panel width %1 height %2 colour %3 scan %4")
        .arg(p.width)
        .arg(p.height)
        .arg(p.colour)
        .arg(p.scan);
}

quint8 byteAt(const QByteArray& bytes, qsizetype i)
{
    return static_cast<quint8>(bytes.at(i));
}
} // namespace

QString ScreenState::commandName(quint8 command)
{
    switch (command) {
    case command::Reset:
        return QStringLiteral("reset");
    case command::Panel:
        return QStringLiteral("panel");
    case command::LineSpeed:
        return QStringLiteral("line-speed");
    case command::HardwareOptions:
        return QStringLiteral("hardware-options");
    case command::ClockGlyphs:
        return QStringLiteral("clock-glyphs");
    case command::ScreenNumber:
        return QStringLiteral("screen-number");
    case command::Find:
        return QStringLiteral("find");
    default:
        return QStringLiteral("unknown");
    }
}

QString ScreenState::apply(const Frame& frame, qint64 nowMs)
{
    const QByteArray payload = frame.payload();
    const auto tooShort = [&](qsizetype needed) {
        return payload.size() < needed
                   ? QStringLiteral("payload too short (%1 of %2 bytes), ignored")
                         .arg(payload.size())
                         .arg(needed)
                   : QString();
    };
    QString effect;
    switch (frame.command()) {
    case command::Reset:
        ++m_resets;
        effect = QStringLiteral("reset %1").arg(m_resets);
        break;
    case command::Find:
        ++m_finds;
        effect = QStringLiteral("found %1").arg(m_finds);
        break;
    case command::LineSpeed:
        effect = tooShort(1);
        if (effect.isEmpty()) {
            m_lineSpeedPosition = byteAt(payload, 0);
            effect = lineSpeedText(*m_lineSpeedPosition);
            // A position the controller does not know leaves it where it is.
            if (m_lineSpeed != 0 && *m_lineSpeedPosition < std::size(kLineSpeeds)) {
                m_lineSpeed = kLineSpeeds[*m_lineSpeedPosition];
                effect += QStringLiteral(", listening at %1 bit/s from now").arg(m_lineSpeed);
            }
        }
        break;
    case command::ScreenNumber:
        effect = tooShort(1);
        if (effect.isEmpty()) {
            const quint8 old = m_screenNumber;
            m_screenNumber = byteAt(payload, 0);
            effect = QStringLiteral("screen number %1 -> %2").arg(old).arg(m_screenNumber);
        }
        break;
    case command::Panel:
        effect = tooShort(8);
        if (effect.isEmpty()) {
            PanelSettings p;
            p.width = static_cast<quint16>(byteAt(payload, 2) << 8 | byteAt(payload, 3));
            p.height = static_cast<quint16>(byteAt(payload, 4) << 8 | byteAt(payload, 5));
            p.colour = byteAt(payload, 6);
            p.scan = byteAt(payload, 7);
            m_panel = p;
            effect = panelText(p);
        }
        break;
    case command::HardwareOptions:
        effect = tooShort(kHardwareOptionCount);
        if (effect.isEmpty()) {
            m_hardwareOptions = payload.left(kHardwareOptionCount);
            effect = QStringLiteral("hardware options ") + Frame::hex(m_hardwareOptions);
        }
        break;
    case command::ClockGlyphs:
        effect = applyGlyphs(payload, nowMs);
        break;
    default:
        effect = QStringLiteral("unknown command, nothing changed");
        break;
    }
    m_lastCommand = frame.command();
    return effect;
}

QString ScreenState::applyGlyphs(const QByteArray& payload, qint64 nowMs)
{
    // The frames carry no offset: a download that starts again (after another
    // command, or after a pause) must not be appended to the previous one.
    const bool continues =
        m_lastCommand == command::ClockGlyphs && nowMs - m_lastGlyphMs <= kGlyphPauseMs;
    QString effect;
    if (!continues) {
        m_glyphTable.clear();
        m_glyphFrames = 0;
        effect = QStringLiteral("new glyph table, ");
    }
    m_lastGlyphMs = nowMs;
    m_glyphTable.append(payload);
    ++m_glyphFrames;
    return effect + QStringLiteral("glyph table %1 bytes").arg(m_glyphTable.size());
}

QStringList ScreenState::summary() const
{
    const QString unset = QStringLiteral("not set");
    QStringList lines;
    lines << QStringLiteral("screen number %1").arg(m_screenNumber);
    lines << (m_lineSpeed != 0 ? QStringLiteral("listening at %1 bit/s").arg(m_lineSpeed)
                               : QStringLiteral("listening at the speed the client sets"));
    lines << (m_lineSpeedPosition ? lineSpeedText(*m_lineSpeedPosition)
                                  : QStringLiteral("line-speed position ") + unset);
    lines << (m_panel ? panelText(*m_panel) : QStringLiteral("panel ") + unset);
    lines << QStringLiteral("hardware options ") +
                 (m_hardwareOptions.isEmpty() ? unset : Frame::hex(m_hardwareOptions));
    lines << QStringLiteral("resets %1, finds %2").arg(m_resets).arg(m_finds);
    lines << QStringLiteral("glyph table %1 bytes in %2 frames")
                 .arg(m_glyphTable.size())
                 .arg(m_glyphFrames);
    return lines;
}

} // namespace krn::vscreen
