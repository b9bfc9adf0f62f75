#pragma once

#include "link/traffic.h"

#include <QString>
#include <QtGlobal>
#include <vector>

namespace krn {

// One traffic record as a line of the log: time, event, hex bytes, meaning.
QString formatTraffic(const TrafficRecord& record);

// What a frame says, decoded from its bytes ("screen 1, seq 0: reset").
QString frameMeaning(const QByteArray& frame);

// Appends the traffic to a log file, one line per record, keeping it under
// `limit` bytes by moving it to one older file ("traffic.log.1"). A log that
// cannot be written is skipped: it never stops a command.
class TrafficLogFile : public EngineEvents {
public:
    explicit TrafficLogFile(QString path, qint64 limit = 1024 * 1024);
    void traffic(const TrafficRecord& record) override;
    const QString& path() const { return m_path; }

    // traffic.log in the per-user application data folder.
    static QString defaultPath();

private:
    QString m_path;
    qint64 m_limit;
};

// Hands every event to each of several receivers.
class EventFanout : public EngineEvents {
public:
    void add(EngineEvents* receiver) { m_receivers.push_back(receiver); }
    void traffic(const TrafficRecord& record) override;
    void progress(int done, int total) override;

private:
    std::vector<EngineEvents*> m_receivers;
};

} // namespace krn
