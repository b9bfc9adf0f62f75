#pragma once

#include "line.h"
#include "ptymaster.h"
#include "screenstate.h"
#include "tcplistener.h"
#include "vscreenoptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <vector>

namespace krn::vscreen {

// Controllers on a pseudo-terminal (and on TCP): decodes what a client
// writes, lets each controller answer as the options say, keeps the state the
// commands set and reports one line per frame (or per run of bytes that are no
// frame).
class VirtualScreen : public QObject {
    Q_OBJECT

public:
    using LineSink = std::function<void(const QString&)>;

    VirtualScreen(const VScreenOptions& options, LineSink log, QObject* parent = nullptr);
    ~VirtualScreen() override;

    // Opens the pty (and makes the link) and the TCP port the options ask
    // for. Returns false with a reason in *error.
    bool open(QString* error);
    // The pty's device, or the TCP address without a pty.
    QString device() const;
    // "tcp://HOST:PORT" while listening, else empty.
    QString listenUrl() const;
    // Closes the pty and removes our link, and stops listening; clients see a hang-up.
    void close();

    QStringList summary() const;
    // Writes the glyph tables to the files the options name, if any.
    void writeGlyphFiles() const;

Q_SIGNALS:
    // The line was closed on purpose (--hangup-after).
    void hungUp();

private:
    struct Controller {
        quint8 startNumber;
        AnswerMode mode;
        ScreenState state;
    };

    // What one controller makes of a frame with a good checksum.
    struct Decision {
        Controller* controller = nullptr;
        bool takes = false;   // the frame is addressed to it
        bool garbled = false; // it came at a speed the controller does not listen at
        QByteArray answer;
        QString reaction; // for the log
    };

    void onPtyReadable();
    void handle(Line& line, const Line::Arrival& arrival);
    void handleFrame(Line& line, const Line::Arrival& arrival);
    Decision decide(Controller& controller, const Frame& frame, bool garbled, bool hangingUp,
                    bool stopped) const;
    // Sends the answers that wait for a delay or for the line.
    void scheduleAnswers(Line& line, const Line::Arrival& arrival,
                         const std::vector<Decision>& decisions, int baud);
    void hangUp(const Line::Arrival& arrival);
    // At nowNs (or at once if that has passed): steady clock, no earlier.
    void at(qint64 ns, std::function<void()> action);
    void sendAnswer(const Line& line, const QByteArray& answer);
    void writeGlyphFiles(const Controller& controller) const;
    bool makeLink(QString* error) const;
    void removeLink() const;
    qint64 nowNs() const { return m_clock.nsecsElapsed(); }

    VScreenOptions m_options;
    LineSink m_log;
    PtyMaster m_pty;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<Line> m_ptyLine;
    TcpListener m_tcp;
    std::unique_ptr<Line> m_tcpLine;
    QElapsedTimer m_clock;
    std::vector<Controller> m_controllers;
    int m_goodFrames = 0;
    int m_badFrames = 0;
    qint64 m_noiseBytes = 0;
    int m_garbled = 0;
    int m_answers = 0;
    bool m_hangingUp = false;
};

} // namespace krn::vscreen
