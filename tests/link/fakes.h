#pragma once

// Scripted stand-ins for the corners a pseudo-terminal cannot reach: a clock
// that wraps, replies at exact moments, a port that faults mid-wait.

#include "core/eventpump.h"
#include "core/failure.h"
#include "core/textids.h"
#include "link/line.h"
#include "support/recordingboxes.h"

#include <QList>
#include <QMetaType>
#include <optional>

using krn::test::RecordingBoxes;

class FakeClock : public krn::MsClock {
public:
    quint32 nowMs() override { return now; }
    quint32 now = 1000;
};

class FakePort : public krn::Line {
public:
    bool isOpen() const override { return open_; }
    void open(const QString& address, const krn::LineSettings& s) override
    {
        configured.append(address + u'@' + QString::number(s.baudRate));
        open_ = true;
    }
    void close() override { open_ = false; }
    qint64 bytesWaiting() override { return need(), input.size(); }
    void discardInput() override { need(), input.clear(); }
    QByteArray readAll() override { return need(), std::exchange(input, {}); }
    void write(const QByteArray& bytes) override { need(), writes.append(bytes); }
    std::optional<krn::Message> takeFault() override
    {
        if (fault.isEmpty())
            return std::nullopt;
        return krn::Message{krn::strings::LineFault,
                            {QStringLiteral("/dev/fake"), std::exchange(fault, {})}};
    }
    QString settingsNote(const krn::LineSettings&) const override { return QStringLiteral("fake"); }

    bool open_ = true;
    QStringList configured;
    QList<QByteArray> writes;
    QByteArray input;
    QString fault;

private:
    void need() const
    {
        if (!open_)
            throw krn::Failure(
                krn::Message{krn::strings::PortNotOpen, {QStringLiteral("/dev/fake")}});
    }
};

// "Sleeping" advances the fake clock to the next scripted batch or the
// caller's deadline and delivers what is due. Times count from the first call,
// which is where a wait starts.
class FakePump : public krn::EventPump {
public:
    struct Batch {
        quint32 at;
        QByteArray bytes;
        QString fault; // instead of bytes: the port faults and closes
    };
    FakePump(FakeClock& clock, FakePort& port) : m_clock(clock), m_port(port) {}
    QList<Batch> script;
    int pendingCalls = 0;

    void processPending() override { ++pendingCalls, deliver(); }
    void waitForEvents(std::chrono::milliseconds maxWait) override
    {
        deliver();
        quint32 step = quint32(maxWait.count());
        if (!script.isEmpty())
            step = std::min(step, script.first().at - (m_clock.now - *m_origin));
        m_clock.now += std::max<quint32>(step, 1);
        deliver();
    }

private:
    void deliver()
    {
        if (!m_origin)
            m_origin = m_clock.now;
        while (!script.isEmpty() && script.first().at <= m_clock.now - *m_origin) {
            const Batch b = script.takeFirst();
            if (b.fault.isEmpty())
                m_port.input += b.bytes;
            else
                m_port.fault = b.fault, m_port.open_ = false;
        }
    }
    FakeClock& m_clock;
    FakePort& m_port;
    std::optional<quint32> m_origin;
};
Q_DECLARE_METATYPE(FakePump::Batch)
