#include "controltips.h"

#include "strings/stringtable.h"
#include "strings/viewids.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <utility>

namespace krn {

namespace {
using namespace strings;

// clang-format off
constexpr std::array<std::pair<std::string_view, quint16>, 47> Tips{{
    {"FrameNo(0)", TipCommFrame},      {"FrameNo(1)", TipPanelFrame},
    {"FrameNo(2)", TipChangeFrame},    {"FrameNo(3)", TipClockFrame},
    {"FrameNo(4)", TipHardwareFrame},  {"FramePass", TipPasswordFrame},
    {"TextPass", TipPasswordBox},      {"LabTime", TipClockPreview},
    {"CmdOk(0)", TipConfirmPassword},  {"CmdOk(1)", TipFindScreen},
    {"CmdOk(2)", TipAdvanced},         {"CmdOk(3)", TipChangeSpeed},
    {"CmdOk(4)", TipClockDownload},    {"CmdOk(5)", TipSendHardware},
    {"CmdOk(7)", TipSendPanel},        {"CmdOk(8)", TipReset},
    {"CmdOk(9)", TipChangeScreen},
    {"ComboNo(0)", TipCommMode},       {"LabelName(0)", TipCommMode},
    {"ComboNo(1)", TipSerialPort},     {"LabelName(1)", TipSerialPort},
    {"ComboNo(2)", TipLineSpeed},      {"LabelName(2)", TipLineSpeed},
    {"ComboNo(3)", TipScreen},         {"LabelName(3)", TipScreen},
    {"ComboNo(4)", TipColour},         {"LabelName(4)", TipColour},
    {"ComboNo(5)", TipWidth},          {"LabelName(5)", TipWidth},
    {"ComboNo(6)", TipHeight},         {"LabelName(6)", TipHeight},
    {"ComboNo(7)", TipNewSpeed},       {"LabelName(7)", TipNewSpeed},
    {"ComboNo(9)", TipScan},           {"LabelName(9)", TipScan},
    {"ComboNo(10)", TipNewScreen},     {"LabelName(8)", TipNewScreen},
    {"ComboNoNo(0)", TipOePolarity},   {"LabNoNo(0)", TipOePolarity},
    {"ComboNoNo(1)", TipByteOrder},    {"LabNoNo(1)", TipByteOrder},
    {"ComboNoNo(2)", TipInversion},    {"LabNoNo(2)", TipInversion},
    {"ComboNoNo(3)", TipWiringCount},  {"LabNoNo(3)", TipWiringCount},
    {"ComboNoNo(4)", TipWiringMode},   {"LabNoNo(4)", TipWiringMode},
}};
// clang-format on
} // namespace

void applyControlTips(QWidget& form)
{
    for (const auto& [name, id] : Tips) {
        const QString objectName = QString::fromLatin1(name.data(), qsizetype(name.size()));
        if (auto* control = form.findChild<QWidget*>(objectName))
            control->setToolTip(load(id));
    }
}

QString serialPortTip(const QString& item, const PortRoute& route)
{
    using Source = PortRoute::Source;
    QStringList lines{load(TipSerialPort)};
    if (route.source == Source::Nothing) {
        lines << load(PortNoDevice).arg(item);
        return lines.join(u'\n');
    }
    lines << load(PortOpens).arg(item, route.device);
    if (route.info) {
        const SerialDevice& d = *route.info;
        if (!d.description.isEmpty())
            lines << load(PortDescription).arg(d.description);
        if (!d.manufacturer.isEmpty())
            lines << load(PortMaker).arg(d.manufacturer);
        if (!d.serialNumber.isEmpty())
            lines << load(PortSerialNumber).arg(d.serialNumber);
    }
    switch (route.source) {
    case Source::Settings:
        lines << (route.present ? load(PortPinned).arg(route.device)
                                : load(PortPinnedMissing).arg(item, route.device));
        break;
    case Source::SystemList:
        lines << load(PortNotPinnedYet);
        break;
    default:
        break;
    }
    return lines.join(u'\n');
}

} // namespace krn
