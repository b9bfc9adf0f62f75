// The site file reader on whatever a spreadsheet (or a broken disk) hands it:
// it must never crash, hang or read out of bounds, and what it accepts must
// hold only values the commands can send. Any violation aborts.

#include "site/sitefile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void violation(const char* what, int row)
{
    std::fprintf(stderr, "sitefile: %s in row %d\n", what, row);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto parsed = krn::site::parseSiteFile(bytes);
    const auto* file = std::get_if<krn::site::SiteFile>(&parsed);
    if (!file)
        return 0;
    int previous = 1; // the header
    for (const krn::site::SiteRow& row : file->rows) {
        if (row.row <= previous)
            violation("rows out of the file's order", row.row);
        previous = row.row;
        if (row.screen < 0 || row.screen > 254)
            violation("a screen number outside 0-254", row.row);
        if (std::find(krn::LineSpeeds.begin(), krn::LineSpeeds.end(), row.speed) ==
            krn::LineSpeeds.end())
            violation("a speed the controller does not take", row.row);
        if (row.panel && (row.panel->width < 0 || row.panel->width > krn::LargestPanelSide ||
                          row.panel->height < 0 || row.panel->height > krn::LargestPanelSide))
            violation("a panel side out of range", row.row);
        if (row.clock && !(row.clock->size > 0 && row.clock->size <= krn::LargestClockPoints))
            violation("a clock size out of range", row.row);
        if (row.port.isEmpty())
            violation("no port", row.row);
        if (row.hardware && !file->hardware)
            violation("hardware options without asking for the password", row.row);
    }
    return 0;
}
