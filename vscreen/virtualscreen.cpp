#include "virtualscreen.h"

#include "glyphpicture.h"
#include "linespeed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTime>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace krn::vscreen {

namespace {
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
// The speed a TCP line is paced at when no --speed names the device server's.
constexpr int kDefaultSpeed = 9600;
constexpr qint64 kNsPerMs = 1'000'000;

QString hexByte(quint8 value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString now()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}

// The time field of a log line, with the line's name where there are two.
QString stamp(const Line& line)
{
    return line.name().isEmpty() ? now() : now() + QLatin1Char(' ') + line.name();
}

QByteArray answerBytes(AnswerMode mode)
{
    switch (mode) {
    case AnswerMode::Ack:
        return QByteArray(1, kAck);
    case AnswerMode::Nak:
        return QByteArray(1, kNak);
    case AnswerMode::Garbage:
        return QByteArray(1, kNak) + QByteArray(1, kAck);
    case AnswerMode::Silent:
        break;
    }
    return {};
}

// FILE as given for a single screen; FILE-N.ext for the screen that started as N.
QString perScreen(const QString& path, bool several, quint8 number)
{
    if (!several || path.isEmpty())
        return path;
    const QFileInfo info(path);
    QString name = info.completeBaseName() + QStringLiteral("-%1").arg(number);
    if (!info.suffix().isEmpty())
        name += QLatin1Char('.') + info.suffix();
    return info.dir().filePath(name);
}
} // namespace

VirtualScreen::VirtualScreen(const VScreenOptions& options, LineSink log, QObject* parent)
    : QObject(parent), m_options(options), m_log(std::move(log)),
      m_tcp([this](const QString& text) { m_log(now() + QStringLiteral(" | ") + text); })
{
    for (const ScreenSetup& setup : m_options.screens)
        m_controllers.push_back(
            {setup.number, setup.mode, ScreenState(setup.number, options.speed)});
    m_clock.start();
}

VirtualScreen::~VirtualScreen()
{
    close();
}

bool VirtualScreen::open(QString* error)
{
    const auto sink = [this](Line& line, const Line::Arrival& arrival) { handle(line, arrival); };
    if (m_options.pty) {
        if (!m_pty.open(error))
            return false;
        if (!m_options.link.isEmpty() && !makeLink(error)) {
            m_pty.close();
            return false;
        }
        const auto writer = [this](const QByteArray& bytes) {
            if (!m_pty.isOpen())
                return QStringLiteral("the pty is closed");
            // One write, so a client reads the answer as one batch.
            const ssize_t n =
                ::write(m_pty.fd(), bytes.constData(), static_cast<size_t>(bytes.size()));
            if (n == bytes.size())
                return QString();
            return n < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                         : QStringLiteral("%1 of %2 bytes written").arg(n).arg(bytes.size());
        };
        m_ptyLine = std::make_unique<Line>(QString(), true, writer, sink);
        m_notifier = std::make_unique<QSocketNotifier>(m_pty.fd(), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &VirtualScreen::onPtyReadable);
    }
    if (m_options.listenHost) {
        if (!m_tcp.listen(*m_options.listenHost, m_options.listenPort, error)) {
            close();
            return false;
        }
        m_tcpLine = std::make_unique<Line>(
            QStringLiteral("tcp"), false,
            [this](const QByteArray& bytes) { return m_tcp.write(bytes); }, sink);
        connect(&m_tcp, &TcpListener::clientConnected, this, [this] {
            if (!m_hangingUp)
                m_tcpLine->restart();
        });
        connect(&m_tcp, &TcpListener::received, this, [this](const QByteArray& bytes) {
            m_tcpLine->feed(bytes, nowNs(), m_options.speed > 0 ? m_options.speed : kDefaultSpeed);
        });
    }
    return true;
}

QString VirtualScreen::device() const
{
    return m_options.pty ? m_pty.devicePath() : m_tcp.url();
}

QString VirtualScreen::listenUrl() const
{
    return m_options.listenHost ? m_tcp.url() : QString();
}

void VirtualScreen::close()
{
    m_notifier.reset();
    for (Line* line : {m_ptyLine.get(), m_tcpLine.get()})
        if (line != nullptr)
            line->halt();
    if (m_pty.isOpen()) {
        m_pty.close();
        removeLink();
    }
    m_tcp.close();
}

bool VirtualScreen::makeLink(QString* error) const
{
    // Replace an older link in one step: a client never finds the path missing.
    const QFileInfo existing(m_options.link);
    if (existing.exists() || existing.isSymLink()) {
        if (!existing.isSymLink()) {
            *error = QStringLiteral("%1 exists and is not a symbolic link; not replacing it")
                         .arg(m_options.link);
            return false;
        }
    }
    const QByteArray target = QFile::encodeName(m_pty.devicePath());
    const QByteArray path = QFile::encodeName(m_options.link);
    const QByteArray temporary = path + ".tmp" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(target.constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), path.constData()) != 0) {
        *error = QStringLiteral("cannot link %1 to %2: %3")
                     .arg(m_options.link, m_pty.devicePath(),
                          QString::fromLocal8Bit(std::strerror(errno)));
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

void VirtualScreen::removeLink() const
{
    // Only our own link: another virtual screen may have taken the path over.
    if (!m_options.link.isEmpty() &&
        QFileInfo(m_options.link).symLinkTarget() == m_pty.devicePath())
        QFile::remove(m_options.link);
}

void VirtualScreen::onPtyReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_pty.fd(), buffer, sizeof buffer);
        if (n > 0) {
            // The speed the client set is the speed these bytes travelled at.
            m_ptyLine->feed(QByteArrayView(buffer, n), nowNs(), clientLineSpeed(m_pty.fd()));
            if (m_hangingUp)
                return;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // Our own slave descriptor should rule this out; never spin on it.
        m_log(QStringLiteral("%1 | read failed: %2, no longer listening")
                  .arg(now(), n == 0 ? QStringLiteral("end of file")
                                     : QString::fromLocal8Bit(std::strerror(errno))));
        m_notifier->setEnabled(false);
        return;
    }
}

void VirtualScreen::handle(Line& line, const Line::Arrival& arrival)
{
    if (m_hangingUp)
        return;
    if (arrival.item.kind == FrameDecoder::Item::Kind::Frame) {
        handleFrame(line, arrival);
        return;
    }
    const QByteArray& bytes = arrival.item.bytes;
    m_noiseBytes += bytes.size();
    m_log(QStringLiteral("%1 | %2 | no frame, %3 %4 skipped")
              .arg(stamp(line), Frame::hex(bytes))
              .arg(bytes.size())
              .arg(bytes.size() == 1 ? QStringLiteral("byte") : QStringLiteral("bytes")));
}

void VirtualScreen::handleFrame(Line& line, const Line::Arrival& arrival)
{
    const Frame frame(arrival.item.bytes);
    const QByteArray payload = frame.payload();
    QString text = QStringLiteral("%1 | %2 | screen %3 seq %4 cmd 0x%5 %6 payload %7")
                       .arg(stamp(line), Frame::hex(frame.bytes()))
                       .arg(frame.screen())
                       .arg(frame.sequence())
                       .arg(hexByte(frame.command()), ScreenState::commandName(frame.command()),
                            payload.isEmpty() ? QStringLiteral("-") : Frame::hex(payload));
    if (!frame.checksumOk()) {
        ++m_badFrames;
        m_log(text + QStringLiteral(" | checksum bad (%1 expected) | ignored")
                         .arg(hexByte(frame.expectedChecksum())));
        return;
    }
    ++m_goodFrames;
    text += QStringLiteral(" | checksum good");

    // Each controller decides under the screen number the frame found it
    // with: a frame that changes the number is still answered by the old one.
    const bool hangingUp = m_options.hangupAfter > 0 && m_goodFrames == m_options.hangupAfter;
    const bool stopped = m_options.stopAfter >= 0 && m_goodFrames > m_options.stopAfter;
    std::vector<Decision> decisions;
    for (Controller& c : m_controllers)
        decisions.push_back(decide(c, frame, line.clientSetsSpeed() && !c.state.hears(arrival.baud),
                                   hangingUp, stopped));

    // Pacing follows the speed the frame came at.
    const int baud = arrival.baud > 0 ? arrival.baud : kDefaultSpeed;
    for (Decision& d : decisions) {
        if (d.answer.isEmpty())
            continue;
        d.reaction = QStringLiteral("answer ") + Frame::hex(d.answer);
        if (m_options.delayMs > 0)
            d.reaction += QStringLiteral(" after %1 ms").arg(m_options.delayMs);
        if (m_options.pace)
            d.reaction += QStringLiteral(" paced at %1 bit/s").arg(baud);
        if (m_options.delayMs == 0 && !m_options.pace)
            sendAnswer(line, d.answer); // before anything else: the client is timing us
    }

    bool garbled = false;
    QStringList parts;
    for (const Decision& d : decisions) {
        Controller& c = *d.controller;
        garbled = garbled || d.garbled;
        QString effect;
        if (d.garbled)
            effect = (arrival.baud > 0
                          ? QStringLiteral("garbled: sent at %1 bit/s").arg(arrival.baud)
                          : QStringLiteral("garbled: the speed changed while it was sent")) +
                     QStringLiteral(", this screen listens at %1 bit/s").arg(c.state.lineSpeed());
        else if (d.takes)
            effect = c.state.apply(frame, m_clock.elapsed());
        else
            effect = QStringLiteral("not this screen, ignored");
        // The files first: whoever reads the log line may look at them at once.
        if (d.takes && !d.garbled && frame.command() == command::ClockGlyphs)
            writeGlyphFiles(c);
        // One screen tells everything, as it always did; of several, those addressed.
        if (m_controllers.size() == 1)
            parts << effect + QStringLiteral(" | ") + d.reaction;
        else if (d.takes)
            parts << QStringLiteral("[%1] ").arg(c.startNumber) + effect + QStringLiteral(" | ") +
                         d.reaction;
    }
    if (garbled)
        ++m_garbled;
    if (parts.isEmpty())
        parts << QStringLiteral("no screen has number %1 | ").arg(frame.screen()) +
                     (hangingUp ? QStringLiteral("hang-up")
                                : QStringLiteral("no answer (not this screen)"));
    m_log(text + QStringLiteral(" | ") + parts.join(QStringLiteral(" | ")));

    scheduleAnswers(line, arrival, decisions, baud);
    if (hangingUp)
        hangUp(arrival);
}

VirtualScreen::Decision VirtualScreen::decide(Controller& controller, const Frame& frame,
                                              bool garbled, bool hangingUp, bool stopped) const
{
    Decision d;
    d.controller = &controller;
    d.takes = controller.state.takes(frame.screen());
    d.garbled = garbled;
    if (hangingUp)
        d.reaction = QStringLiteral("hang-up");
    else if (garbled)
        d.reaction = QStringLiteral("no answer (garbled)");
    else if (!d.takes)
        d.reaction = QStringLiteral("no answer (not this screen)");
    else if (frame.screen() == Frame::kBroadcast && !m_options.broadcastAck)
        d.reaction = QStringLiteral("no answer (broadcast)");
    else if (stopped)
        d.reaction = QStringLiteral("no answer (stopped after %1)").arg(m_options.stopAfter);
    else if (controller.mode == AnswerMode::Silent)
        d.reaction = QStringLiteral("no answer (silent)");
    else
        d.answer = answerBytes(controller.mode);
    return d;
}

void VirtualScreen::scheduleAnswers(Line& line, const Line::Arrival& arrival,
                                    const std::vector<Decision>& decisions, int baud)
{
    Line* const target = &line;
    for (const Decision& d : decisions) {
        if (d.answer.isEmpty())
            continue;
        const auto send = [this, target, answer = d.answer] { sendAnswer(*target, answer); };
        // Several answers to one broadcast follow each other on the wire.
        if (m_options.pace)
            at(line.answerThrough(arrival.throughNs + m_options.delayMs * kNsPerMs, d.answer.size(),
                                  baud),
               send);
        else if (m_options.delayMs > 0)
            QTimer::singleShot(m_options.delayMs, this, send);
    }
}

void VirtualScreen::hangUp(const Line::Arrival& arrival)
{
    m_hangingUp = true;
    for (Line* line : {m_ptyLine.get(), m_tcpLine.get()})
        if (line != nullptr)
            line->halt();
    if (m_notifier)
        m_notifier->setEnabled(false);
    const auto end = [this] {
        close();
        Q_EMIT hungUp();
    };
    if (m_options.pace)
        at(arrival.throughNs + m_options.delayMs * kNsPerMs, end);
    else
        QTimer::singleShot(m_options.delayMs, this, end);
}

void VirtualScreen::at(qint64 ns, std::function<void()> action)
{
    const qint64 left = ns - nowNs();
    if (left <= 0) {
        action();
        return;
    }
    // A timer may fire a fraction of a millisecond early; then wait on.
    QTimer::singleShot(
        static_cast<int>((left + kNsPerMs - 1) / kNsPerMs), Qt::PreciseTimer, this,
        [this, ns, action = std::move(action)]() mutable { at(ns, std::move(action)); });
}

void VirtualScreen::sendAnswer(const Line& line, const QByteArray& answer)
{
    const QString failure = line.write(answer);
    if (failure.isEmpty())
        ++m_answers;
    else if (!m_hangingUp)
        m_log(QStringLiteral("%1 | answer not written: %2").arg(stamp(line), failure));
}

QStringList VirtualScreen::summary() const
{
    QString counts =
        QStringLiteral("frames %1 good, %2 bad checksum, %3 bytes skipped, %4 answered")
            .arg(m_goodFrames)
            .arg(m_badFrames)
            .arg(m_noiseBytes)
            .arg(m_answers);
    if (m_options.speed > 0)
        counts += QStringLiteral(", %1 garbled").arg(m_garbled);
    QStringList lines{counts};
    for (const Controller& c : m_controllers)
        for (const QString& line : c.state.summary())
            lines << (m_controllers.size() == 1
                          ? line
                          : QStringLiteral("[%1] ").arg(c.startNumber) + line);
    return lines;
}

void VirtualScreen::writeGlyphFiles() const
{
    for (const Controller& c : m_controllers)
        writeGlyphFiles(c);
}

void VirtualScreen::writeGlyphFiles(const Controller& controller) const
{
    // Each file is replaced whole, so a reader never sees half of it.
    const bool several = m_controllers.size() > 1;
    const QByteArray& table = controller.state.glyphTable();
    const QString textPath = perScreen(m_options.glyphsText, several, controller.startNumber);
    const QString pngPath = perScreen(m_options.glyphsPng, several, controller.startNumber);
    if (!textPath.isEmpty()) {
        QSaveFile file(textPath);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(GlyphPicture::text(table).toLatin1()) < 0 || !file.commit())
            m_log(QStringLiteral("%1 | cannot write %2: %3")
                      .arg(now(), textPath, file.errorString()));
    }
    if (!pngPath.isEmpty()) {
        QSaveFile file(pngPath);
        if (!file.open(QIODevice::WriteOnly) || !GlyphPicture::image(table).save(&file, "PNG") ||
            !file.commit())
            m_log(
                QStringLiteral("%1 | cannot write %2: %3").arg(now(), pngPath, file.errorString()));
    }
}

} // namespace krn::vscreen
