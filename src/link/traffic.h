#pragma once

#include "line.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

namespace krn {

// One event on the line, for the traffic log. Its words are the log's own,
// the same whatever the desktop's language.
struct TrafficRecord {
    enum class Kind { Opened, Speed, Sent, Reply, Late, Outcome, Closed };
    Kind kind = Kind::Opened;
    QDateTime time;                   // wall clock
    QString address;                  // device or network address
    QString detail;                   // Outcome: what happened
    QByteArray bytes;                 // Sent: the frame; Reply, Late: the first bytes
    qint64 more = 0;                  // Reply, Late: bytes beyond those kept
    LineKind line = LineKind::Serial; // Opened, Speed
    qint32 baudRate = 0;              // Opened, Speed: the speed asked for
    qint32 screen = -1;               // Sent
    qint32 sequence = -1;             // Sent
    qint32 command = -1;              // Sent: the command code
    qint64 ms = -1;                   // Reply and Outcome: since the frame was written
};

// Receives the engine's events; a front end shows or stores them. Must not
// throw, and must never stop a command.
class EngineEvents {
public:
    virtual ~EngineEvents() = default;
    virtual void traffic(const TrafficRecord& record) { Q_UNUSED(record); }
    // A long command's progress: `done` frames of `total` acknowledged.
    virtual void progress(int done, int total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
};

} // namespace krn
