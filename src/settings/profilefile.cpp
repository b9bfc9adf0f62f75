#include "profilefile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <algorithm>
#include <limits>
#include <optional>

namespace krn {

namespace {

constexpr char kFileName[] = "krntools.ini";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// One line of the file: its text without the line ending, and the ending
// itself ("\r\n", "\n" or nothing on a last line), so that a rewrite can give
// every untouched line back byte for byte.
struct Line {
    QByteArray text;
    QByteArray ending;
};

QList<Line> splitLines(const QByteArray& bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        if (newline < 0) {
            lines.append({bytes.sliced(start), {}});
            break;
        }
        qsizetype end = newline;
        if (end > start && bytes[end - 1] == '\r')
            --end;
        lines.append({bytes.sliced(start, end - start), bytes.sliced(end, newline + 1 - end)});
        start = newline + 1;
    }
    return lines;
}

bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = decoder(bytes);
    return !decoder.hasError();
}

// Older Chinese Windows installations stored values in the ANSI code page.
QString decode(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030");
    if (gb18030.isValid())
        return gb18030(bytes);
    return QString::fromLocal8Bit(bytes);
}

bool sameName(QByteArrayView stored, QStringView wanted)
{
    return decode(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<QByteArrayView> sectionName(QByteArrayView line)
{
    const QByteArrayView text = trimmed(line);
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    return trimmed(text.sliced(1, (close < 0 ? text.size() : close) - 1));
}

bool isComment(QByteArrayView line)
{
    const QByteArrayView text = trimmed(line);
    return text.startsWith(';') || text.startsWith('#');
}

// Where a section and a key stand in the file. Sections and keys that occur
// twice resolve to the first occurrence, as the platform's profile reader does.
struct Location {
    qsizetype header = -1;    // line of "[section]", -1 when missing
    qsizetype key = -1;       // line of "key=value", -1 when missing
    qsizetype lastEntry = -1; // last key line of the section (header when none)
};

Location locate(const QList<Line>& lines, QStringView section, QStringView key)
{
    Location where;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArrayView text = lines[i].text;
        if (i == 0 && text.startsWith("\xEF\xBB\xBF")) // a UTF-8 mark left by an editor
            text = text.sliced(3);
        if (const auto name = sectionName(text)) {
            if (where.header >= 0)
                break;
            if (sameName(*name, section))
                where.header = where.lastEntry = i;
            continue;
        }
        if (where.header < 0 || isComment(text))
            continue;
        const qsizetype equals = text.indexOf('=');
        if (equals < 0)
            continue;
        where.lastEntry = i;
        if (where.key < 0 && sameName(trimmed(text.first(equals)), key))
            where.key = i;
    }
    return where;
}

// The raw value of the key, blanks and one pair of surrounding quotes removed;
// nothing when the file, the section or the key is missing.
std::optional<QByteArray> rawValue(const QString& path, QStringView section, QStringView key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<Line> lines = splitLines(file.readAll());
    const Location where = locate(lines, section, key);
    if (where.key < 0)
        return std::nullopt;
    const QByteArrayView text = lines[where.key].text;
    QByteArrayView value = trimmed(text.sliced(text.indexOf('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.toByteArray();
}

// Length in bytes of the GB18030 character that starts at `at`.
qsizetype gb18030CharLength(QByteArrayView bytes, qsizetype at)
{
    if (static_cast<uchar>(bytes[at]) < 0x80 || at + 1 >= bytes.size())
        return 1;
    const char second = bytes[at + 1];
    return (second >= '0' && second <= '9') ? 4 : 2;
}

// The longest prefix of `bytes` of at most `limit` bytes that ends on a
// character boundary, in whichever encoding the value is stored.
QByteArrayView cutToBytes(QByteArrayView bytes, qsizetype limit)
{
    if (bytes.size() <= limit)
        return bytes;
    if (limit <= 0)
        return {};
    if (isUtf8(bytes)) {
        qsizetype end = limit;
        while (end > 0 && (static_cast<uchar>(bytes[end]) & 0xC0) == 0x80)
            --end;
        return bytes.first(end);
    }
    qsizetype end = 0;
    for (qsizetype next = 0; next <= limit; next += gb18030CharLength(bytes, next)) {
        end = next;
        if (next >= bytes.size())
            break;
    }
    return bytes.first(end);
}

QByteArray defaultLineEnding()
{
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

// An existing file keeps the line ending it already uses.
QByteArray lineEndingOf(const QList<Line>& lines)
{
    for (const Line& line : lines)
        if (!line.ending.isEmpty())
            return line.ending;
    return defaultLineEnding();
}

// A line break inside a value would split it into lines of its own on the
// next read; the value ends where its first line ends.
QByteArray oneLine(const QString& value)
{
    QByteArray bytes = value.toUtf8();
    const qsizetype cut = bytes.indexOf('\n');
    bytes.truncate(cut < 0 ? bytes.size() : cut);
    const qsizetype cr = bytes.indexOf('\r');
    bytes.truncate(cr < 0 ? bytes.size() : cr);
    return bytes;
}

} // namespace

qint32 ProfileFile::readInt(QStringView section, QStringView key, qint32 defaultValue) const
{
    const std::optional<QByteArray> value = rawValue(m_path, section, key);
    // An emptied box leaves "Key=" behind; reading it as the default keeps a
    // cleared width at 128 instead of turning it into 0 at the next start.
    if (!value || value->isEmpty())
        return defaultValue;
    qsizetype i = 0;
    const bool negative = i < value->size() && value->at(i) == '-';
    if (i < value->size() && (value->at(i) == '-' || value->at(i) == '+'))
        ++i;
    // Saturate at the 32-bit bounds instead of wrapping.
    const qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 magnitude = 0;
    for (; i < value->size() && value->at(i) >= '0' && value->at(i) <= '9'; ++i)
        magnitude = std::min(magnitude * 10 + (value->at(i) - '0'), limit);
    const qint64 result = negative ? -magnitude : magnitude;
    return static_cast<qint32>(std::clamp<qint64>(result, std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}

QString ProfileFile::readText(QStringView section, QStringView key, const QString& defaultValue,
                              int capacity) const
{
    const std::optional<QByteArray> value = rawValue(m_path, section, key);
    if (!value)
        return defaultValue;
    return decode(cutToBytes(*value, capacity - 1));
}

bool ProfileFile::writeText(QStringView section, QStringView key, const QString& value)
{
    QByteArray original;
    if (QFile file(m_path); file.exists()) {
        // A file that exists but cannot be read must not be replaced by one
        // that holds only this key.
        if (!file.open(QIODevice::ReadOnly))
            return false;
        original = file.readAll();
    }

    QList<Line> lines = splitLines(original);
    const QByteArray ending = lineEndingOf(lines);
    const Location where = locate(lines, section, key);
    const QByteArray newValue = oneLine(value);

    if (where.key >= 0) {
        // Keep the key's spelling and the blanks around '=' as they were.
        QByteArray& text = lines[where.key].text;
        qsizetype valueStart = text.indexOf('=') + 1;
        while (valueStart < text.size() && isBlank(text[valueStart]))
            ++valueStart;
        text = text.first(valueStart) + newValue;
    } else {
        const qsizetype at = where.header >= 0 ? where.lastEntry + 1 : lines.size();
        // Only a line that stops being the last one needs an ending of its own.
        if (at == lines.size() && !lines.isEmpty() && lines.last().ending.isEmpty())
            lines.last().ending = ending;
        const Line entry{key.toUtf8() + '=' + newValue, ending};
        if (where.header >= 0) {
            lines.insert(at, entry);
        } else {
            lines.append({'[' + section.toUtf8() + ']', ending});
            lines.append(entry);
        }
    }

    QByteArray bytes;
    bytes.reserve(original.size() + newValue.size() + key.size() + section.size() + 8);
    for (const Line& line : lines)
        bytes += line.text + line.ending;

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString settingsPathFor(const QString& executableDir)
{
    QString dir = QDir::fromNativeSeparators(executableDir);
    if (!dir.endsWith(u'/'))
        dir += u'/';
    // Try it rather than trust permission bits: a read-only mount or an
    // access list can refuse a folder whose bits say it is writable.
    QTemporaryFile probe(dir + QStringLiteral("krntools-probe-XXXXXX"));
    if (probe.open())
        return dir + QLatin1String(kFileName);

    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/krntools");
    QDir().mkpath(config);
    const QString perUser = config + u'/' + QLatin1String(kFileName);
    // Choices already kept beside the executable (a copy installed with a
    // port mapping, say) carry over instead of silently starting afresh.
    if (!QFile::exists(perUser) && QFile::exists(dir + QLatin1String(kFileName)))
        QFile::copy(dir + QLatin1String(kFileName), perUser);
    return perUser;
}

} // namespace krn
