#pragma once

#include "framedecoder.h"
#include "ptymaster.h"
#include "screenstate.h"
#include "vscreenoptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

namespace krn::vscreen {

// A controller on a pseudo-terminal: decodes what a client writes to the
// device, answers as the options say, keeps the state the commands set and
// reports one line per frame (or per run of bytes that are no frame).
class VirtualScreen : public QObject {
    Q_OBJECT

public:
    // A silence this long ends a half-received frame: what is pending is
    // decoded as if nothing more will come.
    static constexpr int kLineQuietMs = 500;

    using LineSink = std::function<void(const QString&)>;

    VirtualScreen(const VScreenOptions& options, LineSink log, QObject* parent = nullptr);
    ~VirtualScreen() override;

    // Opens the pty (and makes the link). Returns false with a reason in *error.
    bool open(QString* error);
    QString device() const { return m_pty.devicePath(); }
    // Closes the pty and removes our link; the client sees a hang-up.
    void close();

    const ScreenState& state() const { return m_state; }
    QStringList summary() const;
    // Writes the glyph table to the files the options name, if any.
    void writeGlyphFiles() const;

Q_SIGNALS:
    // The pty was closed on purpose (--hangup-after).
    void hungUp();

private:
    void onReadable();
    void onQuiet();
    void handle(const FrameDecoder::Item& item);
    void handleFrame(const Frame& frame);
    void sendAnswer(const QByteArray& answer);
    bool makeLink(QString* error) const;
    void removeLink() const;

    VScreenOptions m_options;
    LineSink m_log;
    PtyMaster m_pty;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_quietTimer;
    QElapsedTimer m_clock;
    FrameDecoder m_decoder;
    ScreenState m_state;
    int m_goodFrames = 0;
    int m_badFrames = 0;
    qint64 m_noiseBytes = 0;
    int m_answers = 0;
    bool m_hangingUp = false;
};

} // namespace krn::vscreen
