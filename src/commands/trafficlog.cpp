#include "trafficlog.h"

#include "command.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace krn {

namespace {

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

int byteAt(const QByteArray& data, qsizetype i)
{
    return i < data.size() ? quint8(data.at(i)) : 0;
}

QString dataMeaning(Command command, const QByteArray& data)
{
    switch (command) {
    case Command::Find:
        return QStringLiteral("find (is a screen listening?)");
    case Command::NewLineSpeed:
        return QStringLiteral("new line speed, list position %1").arg(byteAt(data, 0));
    case Command::ClockDownload:
        return QStringLiteral("clock glyphs, %1 bytes").arg(data.size());
    case Command::HardwareOptions:
        return QStringLiteral("hardware options: OE %1, byte order %2, inversion %3, wiring "
                              "count %4, wiring mode %5")
            .arg(byteAt(data, 0))
            .arg(byteAt(data, 1))
            .arg(byteAt(data, 2))
            .arg(byteAt(data, 3))
            .arg(byteAt(data, 4));
    case Command::Panel:
        return QStringLiteral("panel %1 x %2, colour code %3, scan %4")
            .arg(byteAt(data, 2) * 256 + byteAt(data, 3))
            .arg(byteAt(data, 4) * 256 + byteAt(data, 5))
            .arg(byteAt(data, 6))
            .arg(byteAt(data, 7));
    case Command::Reset:
        return QStringLiteral("reset");
    case Command::NewScreenNumber:
        return QStringLiteral("new screen number %1").arg(byteAt(data, 0));
    }
    return {};
}

} // namespace

QString frameMeaning(const QByteArray& frame)
{
    if (frame.size() < 7)
        return QStringLiteral("short frame");
    const int screen = quint8(frame.at(3));
    const QString who =
        screen == 255 ? QStringLiteral("every screen") : QStringLiteral("screen %1").arg(screen);
    const quint8 code = quint8(frame.at(5));
    const QByteArray data = frame.mid(6, frame.size() - 7);
    const std::optional<Command> command = commandFromCode(code);
    const QString what =
        command ? dataMeaning(*command, data) : QStringLiteral("unknown command %1").arg(code);
    return QStringLiteral("%1, seq %2: %3").arg(who).arg(quint8(frame.at(4))).arg(what);
}

namespace {
// How the line settings reach the wire.
QString lineSettings(const TrafficRecord& r)
{
    const QString settings = QStringLiteral("%1 8O1").arg(r.baudRate);
    switch (r.line) {
    case LineKind::Serial:
        break;
    case LineKind::RawTcp:
        return QStringLiteral("raw TCP: the device server applies its own line settings (%1 is "
                              "not sent)")
            .arg(settings);
    case LineKind::Rfc2217:
        return settings + QStringLiteral(", set on the device server by RFC 2217");
    }
    return settings;
}

QString bytesWithRest(const TrafficRecord& r)
{
    return r.more > 0 ? QStringLiteral("%1 (+%2 bytes)").arg(hex(r.bytes)).arg(r.more)
                      : hex(r.bytes);
}
} // namespace

QString formatTraffic(const TrafficRecord& r)
{
    const QString time = r.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    const QString after = r.ms >= 0 ? QStringLiteral(" after %1 ms").arg(r.ms) : QString();
    switch (r.kind) {
    case TrafficRecord::Kind::Opened:
        return QStringLiteral("%1 open    %2 (%3)").arg(time, r.address, lineSettings(r));
    case TrafficRecord::Kind::Speed:
        return QStringLiteral("%1 speed   %2 (%3)").arg(time, r.address, lineSettings(r));
    case TrafficRecord::Kind::Sent:
        return QStringLiteral("%1 send    %2  %3").arg(time, hex(r.bytes), frameMeaning(r.bytes));
    case TrafficRecord::Kind::Reply:
        return QStringLiteral("%1 reply   %2 %3").arg(time, bytesWithRest(r), after.trimmed());
    case TrafficRecord::Kind::Late:
        return QStringLiteral("%1 late    %2 (after the last wait; not taken as an answer)")
            .arg(time, bytesWithRest(r));
    case TrafficRecord::Kind::Outcome:
        return QStringLiteral("%1 outcome %2%3").arg(time, r.detail, after);
    case TrafficRecord::Kind::Closed:
        return QStringLiteral("%1 close   %2").arg(time, r.address);
    }
    return {};
}

TrafficLogFile::TrafficLogFile(QString path, qint64 limit) : m_path(std::move(path)), m_limit(limit)
{
}

QString TrafficLogFile::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("traffic.log"));
}

void TrafficLogFile::traffic(const TrafficRecord& record)
{
    const QByteArray line = formatTraffic(record).toUtf8() + '\n';
    const QFileInfo info(m_path);
    if (info.exists() && info.size() + line.size() > m_limit) {
        const QString older = m_path + QStringLiteral(".1");
        QFile::remove(older);
        QFile::rename(m_path, older);
    }
    QDir().mkpath(info.absolutePath());
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line);
}

void EventFanout::traffic(const TrafficRecord& record)
{
    for (EngineEvents* r : m_receivers)
        r->traffic(record);
}

void EventFanout::progress(int done, int total)
{
    for (EngineEvents* r : m_receivers)
        r->progress(done, total);
}

} // namespace krn
