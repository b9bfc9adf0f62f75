#pragma once

// Scripted stand-ins for the corners a pseudo-terminal cannot reach: a clock
// that wraps, replies at exact moments, a port that faults mid-wait.

#include "core/eventpump.h"
#include "core/failure.h"
#include "core/messages.h"
#include "link/serialport.h"
#include "support/recordingboxes.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <functional>

using krn::test::RecordedBox;
using krn::test::RecordingBoxes;

class FakeClock : public krn::MsClock {
public:
    quint32 nowMs() override { return now; }
    quint32 now = 1000;
};

class FakePort : public krn::SerialPort {
public:
    bool isOpen() const override { return open_; }
    void configure(const QString& device, const krn::LineSettings& s) override
    {
        configured.append(device + QLatin1Char('@') + s.text());
    }
    void open() override
    {
        if (!openError.isEmpty())
            throw krn::Failure(openError);
        open_ = true;
    }
    void close() override { open_ = false; }
    qint64 bytesWaiting() override
    {
        need();
        return input.size();
    }
    void discardInput() override
    {
        need();
        input.clear();
    }
    QByteArray readAll() override
    {
        need();
        return std::exchange(input, QByteArray());
    }
    void write(const QByteArray& bytes) override
    {
        need();
        writes.append(bytes);
    }
    QString takeFault() override { return std::exchange(fault, QString()); }

    bool open_ = true;
    QString openError;
    QStringList configured;
    QList<QByteArray> writes;
    QByteArray input;
    QString fault;

private:
    void need() const
    {
        if (!open_)
            throw krn::Failure(QStringLiteral("port closed"));
    }
};

// Advances the fake clock while "sleeping" and delivers the reply batches
// scheduled for the moment reached. Times are relative to the first wait.
class FakePump : public krn::EventPump {
public:
    // Script times count from the clock reading at construction.
    FakePump(FakeClock& clock, FakePort& port) : m_clock(clock), m_port(port), m_origin(clock.now)
    {
    }

    struct Batch {
        quint32 at;
        QByteArray bytes;
        QString fault;
    };
    QList<Batch> script;
    int pendingCalls = 0;
    int waits = 0;

    void processPending() override
    {
        ++pendingCalls;
        deliver();
    }
    void waitForEvents(std::chrono::milliseconds maxWait) override
    {
        ++waits;
        // Sleep until the next scripted batch or the caller's deadline.
        quint32 step = quint32(maxWait.count());
        for (const Batch& b : std::as_const(script)) {
            const quint32 due = b.at - (m_clock.now - m_origin);
            if (b.at >= m_clock.now - m_origin && due < step)
                step = due;
        }
        m_clock.now += std::max<quint32>(step, 1);
        deliver();
    }

private:
    void deliver()
    {
        while (!script.isEmpty() && script.first().at <= m_clock.now - m_origin) {
            const Batch b = script.takeFirst();
            if (!b.fault.isEmpty()) {
                m_port.fault = b.fault;
                m_port.open_ = false;
            } else {
                m_port.input += b.bytes;
            }
        }
    }

    FakeClock& m_clock;
    FakePort& m_port;
    quint32 m_origin;
};

Q_DECLARE_METATYPE(FakePump::Batch)
