#include "listcontents.h"

#include "commands/command.h"
#include "core/textids.h"

#include <array>

namespace krn::lists {

namespace {

QStringList numbers(int first, int last, int step)
{
    QStringList items;
    for (int n = first; n <= last; n += step)
        items << QString::number(n);
    return items;
}

} // namespace

QStringList communicationModes()
{
    return {QStringLiteral("232串行口通讯"), QStringLiteral("TCP/IP通讯")};
}

QStringList serialPorts()
{
    QStringList items;
    for (int n = 1; n <= 16; ++n)
        items << QStringLiteral("串口") + QString::number(n);
    return items;
}

QStringList baudRates()
{
    QStringList items;
    for (const qint32 speed : LineSpeeds)
        items << QString::number(speed);
    return items;
}

QStringList screenNumbers()
{
    return numbers(0, 255, 1);
}

QStringList colourModes()
{
    return {QStringLiteral("双色"), QStringLiteral("单色")};
}

QStringList panelWidths()
{
    return numbers(32, 512, 16);
}

QStringList panelHeights()
{
    return numbers(16, 64, 16);
}

QStringList scanModes()
{
    return {QStringLiteral("1/16"), QStringLiteral("1/8"), QStringLiteral("1/4"),
            QStringLiteral("静态")};
}

QStringList hardwareOptions(int list)
{
    switch (list) {
    case 0:
        return {QStringLiteral("低有效"), QStringLiteral("高有效")};
    case 1:
        return {QStringLiteral("左高"), QStringLiteral("左低")};
    case 2:
        return {QStringLiteral("取反"), QStringLiteral("正常")};
    case 3: {
        QStringList counts;
        for (const qint32 n : WiringCounts)
            counts << QString::number(n);
        return counts;
    }
    case 4:
        return numbers(1, WiringModes, 1);
    default:
        return {};
    }
}

quint16 comboRole(int index)
{
    return quint16(strings::CommModeField + index);
}

quint16 hardwareRole(int index)
{
    return quint16(strings::OePolarityField + index);
}

} // namespace krn::lists
