#include "formrequest.h"

#include "core/failure.h"
#include "core/numtext.h"
#include "core/textids.h"

#include <limits>

namespace krn {

namespace {

constexpr qint64 Int32Low = std::numeric_limits<qint32>::min();
constexpr qint64 Int32High = std::numeric_limits<qint32>::max();

CommandValues valuesFrom(Command command, const FormSnapshot& form, const ClockChoice& clock)
{
    CommandValues v;
    switch (command) {
    case Command::Find:
    case Command::Reset:
        break;
    case Command::NewLineSpeed:
        v.newSpeedPosition = form.newBaudPosition;
        break;
    case Command::ClockDownload:
        v.clock = ClockRequest{clock.language, form.clockLanguagePosition, clock.font,
                               clock.fontName, clock.fontSize};
        break;
    case Command::HardwareOptions: {
        const auto& p = form.hardwarePositions;
        v.hardware = HardwareOptions{
            p[0], p[1], p[2],
            qint32(fieldNumber(strings::WiringCountField, form.wiringCountText, 0, 255)), p[4]};
        break;
    }
    case Command::Panel:
        v.panel.width =
            qint32(fieldNumber(strings::PanelWidthField, form.widthText, 0, LargestPanelSide));
        v.panel.height =
            qint32(fieldNumber(strings::PanelHeightField, form.heightText, 0, LargestPanelSide));
        v.panel.colourPosition = form.colourPosition;
        v.panel.scanPosition = form.scanPosition;
        break;
    case Command::NewScreenNumber:
        v.newScreen =
            qint32(fieldNumber(strings::NewScreenNumberField, form.newScreenText, 0, 255));
        break;
    }
    return v;
}

} // namespace

std::optional<Command> commandForButton(int index)
{
    switch (index) {
    case 1:
        return Command::Find;
    case 3:
        return Command::NewLineSpeed;
    case 4:
        return Command::ClockDownload;
    case 5:
        return Command::HardwareOptions;
    case 7:
        return Command::Panel;
    case 8:
        return Command::Reset;
    case 9:
        return Command::NewScreenNumber;
    default:
        return std::nullopt;
    }
}

CommandRequest requestFrom(Command command, const FormSnapshot& form, const ClockChoice& clock)
{
    CommandRequest r;
    r.command = command;
    r.target.portNumber = form.portListIndex + 1;
    r.target.baudRate =
        qint32(fieldNumber(strings::LineSpeedField, form.baudText, Int32Low, Int32High));
    r.target.screen =
        qint32(fieldNumber(strings::ScreenNumberField, form.screenText, Int32Low, Int32High));
    try {
        r.values = valuesFrom(command, form, clock);
    } catch (const Failure& f) {
        r.valueFault = f.message();
    }
    return r;
}

} // namespace krn
