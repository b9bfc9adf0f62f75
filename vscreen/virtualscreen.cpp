#include "virtualscreen.h"

#include "glyphpicture.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTime>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace krn::vscreen {

namespace {
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;

QString hexByte(quint8 value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString now()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
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
} // namespace

VirtualScreen::VirtualScreen(const VScreenOptions& options, LineSink log, QObject* parent)
    : QObject(parent), m_options(options), m_log(std::move(log)), m_state(options.screen)
{
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(kLineQuietMs);
    connect(&m_quietTimer, &QTimer::timeout, this, &VirtualScreen::onQuiet);
    m_clock.start();
}

VirtualScreen::~VirtualScreen()
{
    close();
}

bool VirtualScreen::open(QString* error)
{
    if (!m_pty.open(error))
        return false;
    if (!m_options.link.isEmpty() && !makeLink(error)) {
        m_pty.close();
        return false;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_pty.fd(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &VirtualScreen::onReadable);
    return true;
}

void VirtualScreen::close()
{
    m_notifier.reset();
    m_quietTimer.stop();
    if (m_pty.isOpen()) {
        m_pty.close();
        removeLink();
    }
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

void VirtualScreen::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_pty.fd(), buffer, sizeof buffer);
        if (n > 0) {
            for (const FrameDecoder::Item& item : m_decoder.feed(QByteArrayView(buffer, n))) {
                if (m_hangingUp)
                    return;
                handle(item);
            }
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
    if (m_decoder.hasPending())
        m_quietTimer.start();
    else
        m_quietTimer.stop();
}

void VirtualScreen::onQuiet()
{
    for (const FrameDecoder::Item& item : m_decoder.flush()) {
        if (m_hangingUp)
            return;
        handle(item);
    }
}

void VirtualScreen::handle(const FrameDecoder::Item& item)
{
    if (item.kind == FrameDecoder::Item::Kind::Frame) {
        handleFrame(Frame(item.bytes));
        return;
    }
    m_noiseBytes += item.bytes.size();
    m_log(QStringLiteral("%1 | %2 | no frame, %3 %4 skipped")
              .arg(now(), Frame::hex(item.bytes))
              .arg(item.bytes.size())
              .arg(item.bytes.size() == 1 ? QStringLiteral("byte") : QStringLiteral("bytes")));
}

void VirtualScreen::handleFrame(const Frame& frame)
{
    const QByteArray payload = frame.payload();
    const QString head =
        QStringLiteral("%1 | %2 | screen %3 seq %4 cmd 0x%5 %6 payload %7")
            .arg(now(), Frame::hex(frame.bytes()))
            .arg(frame.screen())
            .arg(frame.sequence())
            .arg(hexByte(frame.command()), ScreenState::commandName(frame.command()),
                 payload.isEmpty() ? QStringLiteral("-") : Frame::hex(payload));
    if (!frame.checksumOk()) {
        ++m_badFrames;
        m_log(head + QStringLiteral(" | checksum bad (%1 expected) | ignored")
                         .arg(hexByte(frame.expectedChecksum())));
        return;
    }
    ++m_goodFrames;

    // Decide the answer under the screen number the frame found us with: a
    // frame that changes the number is still answered by the old one.
    const bool takes = m_state.takes(frame.screen());
    const bool hangUp = m_options.hangupAfter > 0 && m_goodFrames == m_options.hangupAfter;
    QByteArray answer;
    QString reaction;
    if (hangUp)
        reaction = QStringLiteral("hang-up");
    else if (!takes)
        reaction = QStringLiteral("no answer (not this screen)");
    else if (frame.screen() == Frame::kBroadcast && !m_options.broadcastAck)
        reaction = QStringLiteral("no answer (broadcast)");
    else if (m_options.stopAfter >= 0 && m_goodFrames > m_options.stopAfter)
        reaction = QStringLiteral("no answer (stopped after %1)").arg(m_options.stopAfter);
    else if (m_options.mode == AnswerMode::Silent)
        reaction = QStringLiteral("no answer (silent)");
    else
        answer = answerBytes(m_options.mode);
    if (!answer.isEmpty()) {
        reaction = QStringLiteral("answer ") + Frame::hex(answer);
        if (m_options.delayMs > 0)
            reaction += QStringLiteral(" after %1 ms").arg(m_options.delayMs);
        else
            sendAnswer(answer); // before anything else: the client is timing us
    }

    const QString effect = takes ? m_state.apply(frame, m_clock.elapsed())
                                 : QStringLiteral("not this screen, ignored");
    // The files first: whoever reads this line may look at them at once.
    if (takes && frame.command() == command::ClockGlyphs)
        writeGlyphFiles();
    m_log(head + QStringLiteral(" | checksum good | ") + effect + QStringLiteral(" | ") + reaction);

    if (!answer.isEmpty() && m_options.delayMs > 0)
        QTimer::singleShot(m_options.delayMs, this, [this, answer] { sendAnswer(answer); });
    if (hangUp) {
        m_hangingUp = true;
        m_notifier->setEnabled(false);
        QTimer::singleShot(m_options.delayMs, this, [this] {
            close();
            Q_EMIT hungUp();
        });
    }
}

void VirtualScreen::sendAnswer(const QByteArray& answer)
{
    if (!m_pty.isOpen())
        return;
    // One write, so a client reads the answer as one batch.
    const ssize_t n = ::write(m_pty.fd(), answer.constData(), static_cast<size_t>(answer.size()));
    if (n == answer.size())
        ++m_answers;
    else
        m_log(QStringLiteral("%1 | answer not written: %2")
                  .arg(now(), QString::fromLocal8Bit(std::strerror(errno))));
}

QStringList VirtualScreen::summary() const
{
    QStringList lines = m_state.summary();
    lines.prepend(QStringLiteral("frames %1 good, %2 bad checksum, %3 bytes skipped, %4 answered")
                      .arg(m_goodFrames)
                      .arg(m_badFrames)
                      .arg(m_noiseBytes)
                      .arg(m_answers));
    return lines;
}

void VirtualScreen::writeGlyphFiles() const
{
    // Each file is replaced whole, so a reader never sees half of it.
    const QByteArray& table = m_state.glyphTable();
    if (!m_options.glyphsText.isEmpty()) {
        QSaveFile file(m_options.glyphsText);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(GlyphPicture::text(table).toLatin1()) < 0 || !file.commit())
            m_log(QStringLiteral("%1 | cannot write %2: %3")
                      .arg(now(), m_options.glyphsText, file.errorString()));
    }
    if (!m_options.glyphsPng.isEmpty()) {
        QSaveFile file(m_options.glyphsPng);
        if (!file.open(QIODevice::WriteOnly) || !GlyphPicture::image(table).save(&file, "PNG") ||
            !file.commit())
            m_log(QStringLiteral("%1 | cannot write %2: %3")
                      .arg(now(), m_options.glyphsPng, file.errorString()));
    }
}

} // namespace krn::vscreen
