#include "sitework.h"

#include "commands/clockfont.h"
#include "commands/engine.h"
#include "commands/linkfinderline.h"
#include "core/numtext.h"
#include "link/portmap.h"

#include <QHash>

namespace krn::site {

namespace {

// The device or address a row's port cell opens.
std::optional<Message> resolvePort(const SiteRow& row, const PortMap& ports, QString* address)
{
    bool number = false;
    const qint32 n = row.port.toInt(&number);
    return number ? ports.resolve(n, {}, address) : ports.resolve(0, row.port, address);
}

ClockRequest clockRequest(const SiteClock& clock, const QString& defaultFace)
{
    ClockRequest r;
    r.language = clock.language;
    r.languagePosition = clock.language;
    r.fontName = clock.font.isEmpty() ? defaultFace : clock.font;
    r.fontSize = toInt16(clock.size);
    QFont font(r.fontName);
    font.setPointSizeF(clock.size);
    r.font = resolvedClockFont(font);
    return r;
}

} // namespace

QList<Step> rowSteps(const SiteRow& row, const QString& defaultFace)
{
    QList<Step> steps;
    if (row.panel) {
        Step s{Command::Panel, {}};
        s.values.panel = *row.panel;
        steps << s;
    }
    if (row.hardware) {
        Step s{Command::HardwareOptions, {}};
        s.values.hardware = *row.hardware;
        steps << s;
    }
    if (row.clock) {
        Step s{Command::ClockDownload, {}};
        s.values.clock = clockRequest(*row.clock, defaultFace);
        steps << s;
    }
    return steps;
}

QList<RowResult> applyRows(const SiteFile& file, const QList<int>& indices, const PortMap& ports,
                           const QString& defaultFace, int jobs, const std::atomic<bool>& stop,
                           EngineEvents* events, const std::function<void(const RowResult&)>& onRow)
{
    QHash<int, RowResult> results;
    QList<LineWork> lines;
    QHash<QString, qsizetype> lineOf; // address -> index into lines
    for (const int i : indices) {
        const SiteRow& row = file.rows.at(i);
        RowResult& r = results[i];
        r.index = i;
        r.openFailure = resolvePort(row, ports, &r.address);
        if (r.openFailure) {
            if (onRow)
                onRow(r);
            continue;
        }
        if (!lineOf.contains(r.address)) {
            lineOf.insert(r.address, lines.size());
            LineWork line;
            line.target.address = r.address;
            lines << line;
        }
        const QList<Step> steps = rowSteps(row, defaultFace);
        r.stepsWanted = steps.size();
        lines[lineOf.value(r.address)].screens << ScreenWork{i, row.speed, row.screen, steps};
    }
    const QList<LineDone> done = runLines(lines, jobs, stop, events, [&](int, const ScreenDone& s) {
        RowResult& r = results[s.tag];
        r.done = s;
        r.ran = true;
        if (onRow)
            onRow(r);
    });
    for (qsizetype l = 0; l < lines.size(); ++l) {
        if (!done.at(l).openFailure)
            continue;
        for (const ScreenWork& s : lines.at(l).screens) {
            results[s.tag].openFailure = done.at(l).openFailure;
            if (onRow)
                onRow(results[s.tag]);
        }
    }
    QList<RowResult> ordered;
    for (const int i : indices)
        ordered << results.value(i);
    return ordered;
}

RowResult commissionRow(const SiteFile& file, int index, const PortMap& ports,
                        const QString& defaultFace, const std::atomic<bool>& stop,
                        EngineEvents* events,
                        const std::function<void(const FinderProgress&)>& progress)
{
    const SiteRow& row = file.rows.at(index);
    RowResult r;
    r.index = index;
    r.openFailure = resolvePort(row, ports, &r.address);
    if (r.openFailure)
        return r;

    LinkState state;
    Engine engine(state, nullptr, events);
    {
        LinkFinderLine line(engine.link, LinkTarget{0, r.address, LineSpeeds.front(), 0});
        ScreenFinder finder(line);
        finder.setStop(&stop);
        finder.onProgress = progress;
        finder.onFound = [&](const FoundScreen& f) { r.foundAs = f; };
        FinderPlan plan;
        plan.first = true;
        const FinderResult found = finder.run(plan);
        if (found.end == FinderEnd::OpenFailed) {
            r.openFailure = line.fault();
            return r;
        }
        if (!r.foundAs)
            return r;
    }
    // It answers where it was found; the number and the speed change there,
    // and the row goes at the new ones.
    QList<Step> steps;
    Step number{Command::NewScreenNumber, {}};
    number.values.newScreen = row.screen;
    Step speed{Command::NewLineSpeed, {}};
    speed.values.newSpeedPosition =
        int(std::find(LineSpeeds.begin(), LineSpeeds.end(), row.speed) - LineSpeeds.begin());
    steps << number << speed << rowSteps(row, defaultFace);
    r.stepsWanted = steps.size();
    LineWork work;
    work.target.address = r.address;
    const qint32 foundSpeed = r.foundAs->speed > 0 ? r.foundAs->speed : row.speed;
    work.screens << ScreenWork{index, foundSpeed, r.foundAs->screen, steps};
    const LineDone done = runLine(engine.commander, work, stop);
    r.openFailure = done.openFailure;
    if (!done.screens.isEmpty()) {
        r.done = done.screens.first();
        r.ran = true;
    }
    return r;
}

} // namespace krn::site
