#pragma once

#include "command.h"
#include "link/link.h"
#include "outcome.h"

#include <QDateTime>
#include <QList>
#include <atomic>
#include <functional>
#include <optional>

namespace krn {

class Commander;

// One command to one screen.
struct Step {
    Command command = Command::Reset;
    CommandValues values;
};

// What one screen on a line gets: at its speed and number, the steps in
// order. A delivered new number or speed holds for the screen's later steps.
struct ScreenWork {
    int tag = 0; // the caller's: a row of a site file, a place in a list
    qint32 speed = 9600;
    qint32 screen = 0;
    QList<Step> steps;
};

struct StepDone {
    Command command = Command::Reset;
    Outcome outcome;
    QDateTime at; // when it ended
};

struct ScreenDone {
    int tag = 0;
    qint32 screen = 0;
    qint32 speed = 0;
    bool serverSpeed = false;          // a raw device server port: its own speed, not ours
    QList<StepDone> steps;             // those that ran: one not delivered ends the screen's
    bool interrupted = false;          // stopped before every step ran
    std::optional<Message> speedFault; // the line would not take the screen's speed

    // Every step ran and was delivered.
    bool delivered(qsizetype stepsWanted) const;
};

// The screens of one line, in order, on one connection.
struct LineWork {
    LinkTarget target; // the device or address, resolved: a line's thread reads no settings
    QList<ScreenWork> screens;
};

struct LineDone {
    std::optional<Message> openFailure; // the line did not open; nothing was sent
    QList<ScreenDone> screens;
    bool interrupted = false; // `stop` came before the last screen was done
};

// Runs one line's work on the calling thread, on `commander`'s link: opens
// the line at the first screen's speed, moves it to each screen's own, and
// closes it. `stop` ends it after the frame on the line.
LineDone runLine(Commander& commander, const LineWork& work, const std::atomic<bool>& stop,
                 const std::function<void(const ScreenDone&)>& onScreen = {});

// Runs several lines at once, each on a thread of its own with an engine of
// its own, at most `jobs` lines open at a time (one line runs on the calling
// thread). `events` hears every line's traffic, one record at a time; a
// long command's progress only from a single line. `onScreen` is called on
// the calling thread as each screen is done, with the line's index.
QList<LineDone> runLines(const QList<LineWork>& lines, int jobs, const std::atomic<bool>& stop,
                         EngineEvents* events,
                         const std::function<void(int, const ScreenDone&)>& onScreen = {});

} // namespace krn
