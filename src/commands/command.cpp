#include "command.h"

#include "core/numtext.h"

#include <algorithm>
#include <array>

namespace krn {

namespace {

QByteArray zeros(qint32 length)
{
    return QByteArray(length, '\0');
}

QByteArray findPayload(const CommandValues&)
{
    return zeros(6);
}

// The list position travels, not the rate.
QByteArray newSpeedPayload(const CommandValues& v)
{
    QByteArray p = zeros(1);
    p[0] = char(wholeToByte(v.newSpeedPosition));
    return p;
}

QByteArray hardwarePayload(const CommandValues& v)
{
    const HardwareOptions& h = v.hardware;
    QByteArray p = zeros(8);
    p[0] = char(wholeToByte(h.oePosition));
    p[1] = char(wholeToByte(h.byteOrderPosition));
    p[2] = char(wholeToByte(h.invertPosition));
    p[3] = char(wholeToByte(h.wraps));
    p[4] = char(wholeToByte(h.wrapModePosition));
    return p;
}

// Sizes travel as two bytes, high first. Division truncates toward zero and
// the remainder keeps the dividend's sign, so a negative size fails a byte
// check instead of wrapping.
void putSize(QByteArray& p, qsizetype at, qint32 value)
{
    p[at] = char(wholeToByte(value / 256));
    p[at + 1] = char(wholeToByte(value % 256));
}

QByteArray panelPayload(const CommandValues& v)
{
    const PanelGeometry& g = v.panel;
    QByteArray p = zeros(19);
    putSize(p, 2, g.width);
    putSize(p, 4, g.height);
    p[6] = char(colourCode(g.colourPosition));
    p[7] = char(wholeToByte(g.scanPosition));
    return p;
}

QByteArray resetPayload(const CommandValues&)
{
    return zeros(1);
}

QByteArray newScreenPayload(const CommandValues& v)
{
    QByteArray p = zeros(1);
    p[0] = char(wholeToByte(v.newScreen));
    return p;
}

// The clock's frames are drawn as they go.
QByteArray noPayload(const CommandValues&)
{
    return {};
}

constexpr std::array kCommands{
    CommandInfo{Command::Find, 23, 6, FollowUp::None, &findPayload},
    CommandInfo{Command::NewLineSpeed, 13, 1, FollowUp::SpeedFollows, &newSpeedPayload},
    CommandInfo{Command::ClockDownload, 20, 32, FollowUp::ClockStored, &noPayload},
    CommandInfo{Command::HardwareOptions, 19, 8, FollowUp::None, &hardwarePayload},
    CommandInfo{Command::Panel, 11, 19, FollowUp::None, &panelPayload},
    CommandInfo{Command::Reset, 10, 1, FollowUp::None, &resetPayload},
    CommandInfo{Command::NewScreenNumber, 22, 1, FollowUp::ScreenFollows, &newScreenPayload},
};

// The table is indexed by the command.
static_assert([] {
    for (std::size_t i = 0; i < kCommands.size(); ++i)
        if (std::size_t(kCommands[i].command) != i)
            return false;
    return true;
}());

constexpr std::array kNames{"find", "speed", "clock", "hardware", "panel", "reset", "number"};

} // namespace

const CommandInfo& commandInfo(Command command)
{
    return kCommands[std::size_t(command)];
}

QByteArray buildPayload(Command command, const CommandValues& values)
{
    return commandInfo(command).payload(values);
}

const char* commandName(Command command)
{
    return kNames[std::size_t(command)];
}

std::optional<Command> commandFromCode(quint8 code)
{
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [code](const CommandInfo& c) { return c.code == code; });
    return it == kCommands.end() ? std::nullopt : std::optional<Command>(it->command);
}

quint8 colourCode(int position)
{
    return position == 0 ? 1 : 0;
}

} // namespace krn
