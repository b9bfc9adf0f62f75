#pragma once

#include "frame.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace krn::vscreen {

// Command codes the controller understands.
namespace command {
inline constexpr quint8 Reset = 0x0A;
inline constexpr quint8 Panel = 0x0B;
inline constexpr quint8 LineSpeed = 0x0D;
inline constexpr quint8 HardwareOptions = 0x13;
inline constexpr quint8 ClockGlyphs = 0x14;
inline constexpr quint8 ScreenNumber = 0x16;
inline constexpr quint8 Find = 0x17;
} // namespace command

struct PanelSettings {
    quint16 width = 0;
    quint16 height = 0;
    quint8 colour = 0;
    quint8 scan = 0;
};

// What a controller remembers of the commands it was sent.
class ScreenState {
public:
    // A glyph frame after this much silence starts a new download.
    static constexpr qint64 kGlyphPauseMs = 2000;
    static constexpr int kHardwareOptionCount = 5;

    // lineSpeed: the bit/s this controller listens at, 0 for whatever the
    // client sets. A controller with a speed of its own moves to the speed a
    // line-speed command gives it.
    explicit ScreenState(quint8 screenNumber = 1, int lineSpeed = 0)
        : m_screenNumber(screenNumber), m_lineSpeed(lineSpeed)
    {
    }

    // Whether a frame addressed to `screen` is meant for this controller.
    bool takes(quint8 screen) const
    {
        return screen == m_screenNumber || screen == Frame::kBroadcast;
    }

    // Applies a frame with a good checksum that this controller takes. nowMs is
    // a steady millisecond clock. Returns what changed, in words for the log.
    QString apply(const Frame& frame, qint64 nowMs);

    int lineSpeed() const { return m_lineSpeed; }
    // Whether bytes sent at `baud` bit/s reach this controller as sent; 0
    // stands for a speed that changed while they were sent.
    bool hears(int baud) const { return m_lineSpeed == 0 || baud == m_lineSpeed; }
    const QByteArray& glyphTable() const { return m_glyphTable; }

    // One line per item, for the end of the run.
    QStringList summary() const;

    static QString commandName(quint8 command);

private:
    QString applyGlyphs(const QByteArray& payload, qint64 nowMs);

    quint8 m_screenNumber;
    int m_lineSpeed;
    std::optional<quint8> m_lineSpeedPosition;
    std::optional<PanelSettings> m_panel;
    QByteArray m_hardwareOptions;
    int m_resets = 0;
    int m_finds = 0;
    QByteArray m_glyphTable;
    int m_glyphFrames = 0; // frames of the current download
    std::optional<quint8> m_lastCommand;
    qint64 m_lastGlyphMs = 0;
};

} // namespace krn::vscreen
