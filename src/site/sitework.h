#pragma once

#include "commands/linework.h"
#include "commands/screenfinder.h"
#include "sitefile.h"

#include <QList>
#include <atomic>
#include <functional>
#include <optional>

namespace krn {
class PortMap;
class EngineEvents;
} // namespace krn

namespace krn::site {

// What a row sends, in order: the panel, the hardware options, the clock.
// The clock is drawn in `defaultFace` when the row names no font.
QList<Step> rowSteps(const SiteRow& row, const QString& defaultFace);

// How one row fared.
struct RowResult {
    int index = -1;                     // into SiteFile::rows
    QString address;                    // what its port opened
    std::optional<Message> openFailure; // the line did not open: nothing was sent
    ScreenDone done;                    // what was sent to the screen and how it went
    bool ran = false;                   // false: stopped before it began
    qsizetype stepsWanted = 0;
    std::optional<FoundScreen> foundAs; // commissioning: where the controller answered

    bool delivered() const { return ran && !openFailure && done.delivered(stepsWanted); }
};

// Sends the rows `indices` of `file`: rows on the same port in order on one
// connection, ports at the same time, at most `jobs` open at once. Port
// numbers are looked up in `ports` here, before any line starts. Results come
// to `onRow` on the calling thread as rows are done, and all at the end in
// the order of `indices`.
QList<RowResult> applyRows(const SiteFile& file, const QList<int>& indices, const PortMap& ports,
                           const QString& defaultFace, int jobs, const std::atomic<bool>& stop,
                           EngineEvents* events,
                           const std::function<void(const RowResult&)>& onRow = {});

// Commissions one factory-fresh controller, alone on the row's line: finds it
// (the first screen that answers, at any speed), gives it the row's number
// and speed, then sends the row at them. `progress` hears the finder.
RowResult commissionRow(const SiteFile& file, int index, const PortMap& ports,
                        const QString& defaultFace, const std::atomic<bool>& stop,
                        EngineEvents* events,
                        const std::function<void(const FinderProgress&)>& progress = {});

} // namespace krn::site
