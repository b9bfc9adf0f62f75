#pragma once

#include "framedecoder.h"
#include "lineclock.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace krn::vscreen {

// One line a client talks to the screens on (the pty, a TCP connection): cuts
// what arrives into frames, knows when each was through on the wire, and
// carries the answers back.
class Line : public QObject {
    Q_OBJECT

public:
    // A silence this long ends a half-received frame: what is pending is
    // decoded as if nothing more will come.
    static constexpr int kQuietMs = 500;

    struct Arrival {
        FrameDecoder::Item item;
        qint64 throughNs = 0; // when its last byte was through on the wire
        int baud = 0;         // the speed it travelled at; 0 if that changed meanwhile
    };
    using Sink = std::function<void(Line&, const Arrival&)>;
    // Writes bytes in one go; returns why that failed, or nothing.
    using Writer = std::function<QString(const QByteArray&)>;

    // clientSetsSpeed: the client chooses the speed (a pty), so a screen at
    // another speed hears noise; otherwise the line runs at the screens' speed.
    Line(QString name, bool clientSetsSpeed, Writer writer, Sink sink, QObject* parent = nullptr);

    QString name() const { return m_name; }
    bool clientSetsSpeed() const { return m_clientSetsSpeed; }

    // Bytes read at nowNs that travelled at `baud` bit/s; hands every item
    // they complete to the sink.
    void feed(QByteArrayView bytes, qint64 nowNs, int baud);
    // A new client: what a former one left half-sent is dropped unreported.
    void restart();
    // Nothing more is handed to the sink until restart().
    void halt();

    QString write(const QByteArray& bytes) const { return m_writer(bytes); }
    // When an answer ready at readyNs would have reached the client.
    qint64 answerThrough(qint64 readyNs, qint64 count, int baud)
    {
        return m_clock.sent(readyNs, count, baud);
    }

private:
    void deliver(const std::vector<FrameDecoder::Item>& items);
    void onQuiet();

    QString m_name;
    bool m_clientSetsSpeed;
    Writer m_writer;
    Sink m_sink;
    FrameDecoder m_decoder;
    LineClock m_clock;
    QTimer m_quietTimer;
    bool m_halted = false;
};

} // namespace krn::vscreen
