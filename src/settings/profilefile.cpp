#include "profilefile.h"

#include "core/encoding.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

namespace krn {

namespace {

constexpr char kFileName[] = "krntools.ini";
constexpr QByteArrayView kUtf8Mark("\xEF\xBB\xBF");

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

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
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
    return isAscii(bytes) ? QString::fromLatin1(bytes) : decodeUtf8OrGb18030(bytes);
}

bool sameName(QByteArrayView stored, QStringView wanted)
{
    if (isAscii(stored) && isAscii(wanted)) {
        if (stored.size() != wanted.size())
            return false;
        for (qsizetype i = 0; i < stored.size(); ++i)
            if (lowerAscii(stored[i]) != lowerAscii(char(wanted[i].unicode())))
                return false;
        return true;
    }
    return decode(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

// Names are compared code point by code point after simple case folding, as
// QString::compare does without case; the hash folds the same way, so names
// that compare equal hash equal.
class NameHash {
public:
    void add(char32_t c)
    {
        for (int shift = 0; shift < 32; shift += 8) {
            m_value ^= (c >> shift) & 0xFF;
            m_value *= 16777619u;
        }
    }
    quint32 value() const { return m_value; }

private:
    quint32 m_value = 2166136261u; // FNV-1a
};

quint32 hashName(QStringView name)
{
    NameHash hash;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            ++i;
        }
        hash.add(QChar::toCaseFolded(c));
    }
    return hash.value();
}

quint32 hashName(QByteArrayView stored)
{
    if (!isAscii(stored))
        return hashName(decode(stored));
    NameHash hash;
    for (char c : stored)
        hash.add(char32_t(lowerAscii(c)));
    return hash.value();
}

// One line: where it starts, where its text ends (before "\n", "\r\n", or a
// lone "\r" that ends the file) and where the next line starts.
struct Line {
    qsizetype start = 0;
    qsizetype textEnd = 0;
    qsizetype next = 0;
};

Line lineAt(QByteArrayView bytes, qsizetype start)
{
    const char* data = bytes.data();
    const auto* newline =
        static_cast<const char*>(std::memchr(data + start, '\n', size_t(bytes.size() - start)));
    const qsizetype end = newline ? newline - data : bytes.size();
    const qsizetype textEnd = end > start && data[end - 1] == '\r' ? end - 1 : end;
    return {start, textEnd, newline ? end + 1 : end};
}

enum class Kind { Other, Header, Entry };

// What a line holds: a "[section]" header with its name, a "key=value" entry
// with its key and the position of its '=', or anything else (blank lines,
// comments, stray text).
struct Parsed {
    Kind kind = Kind::Other;
    QByteArrayView name;
    qsizetype equals = -1;
};

Parsed parse(QByteArrayView bytes, const Line& line)
{
    QByteArrayView text = bytes.sliced(line.start, line.textEnd - line.start);
    qsizetype base = line.start;
    if (line.start == 0 && text.startsWith(kUtf8Mark)) { // a mark left by an editor
        text = text.sliced(kUtf8Mark.size());
        base += kUtf8Mark.size();
    }
    qsizetype first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    if (first == text.size() || text[first] == ';' || text[first] == '#')
        return {};
    if (text[first] == '[') {
        const QByteArrayView header = trimmed(text);
        const qsizetype close = header.indexOf(']');
        return {Kind::Header, trimmed(header.sliced(1, (close < 0 ? header.size() : close) - 1))};
    }
    const qsizetype equals = text.indexOf('=', first);
    if (equals < 0)
        return {};
    return {Kind::Entry, trimmed(text.sliced(first, equals - first)), base + equals};
}

QByteArray defaultLineEnding()
{
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

// An existing file keeps the line ending it already uses; a lone CR at its
// end stands for a CR LF cut short.
QByteArray lineEndingOf(QByteArrayView bytes)
{
    const qsizetype newline = bytes.indexOf('\n');
    if (newline >= 0)
        return newline > 0 && bytes[newline - 1] == '\r' ? QByteArrayLiteral("\r\n")
                                                         : QByteArrayLiteral("\n");
    if (bytes.endsWith('\r'))
        return QByteArrayLiteral("\r\n");
    return defaultLineEnding();
}

// A line break inside a value would split it into lines of its own on the
// next read, so the value ends where its first line ends. Leading blanks go
// too: a read drops them, and kept they would pile up behind the blanks the
// line already has after '='.
QByteArray storedValue(const QString& value)
{
    QByteArray bytes = value.toUtf8();
    const qsizetype cut = bytes.indexOf('\n');
    bytes.truncate(cut < 0 ? bytes.size() : cut);
    const qsizetype cr = bytes.indexOf('\r');
    bytes.truncate(cr < 0 ? bytes.size() : cr);
    qsizetype blanks = 0;
    while (blanks < bytes.size() && isBlank(bytes[blanks]))
        ++blanks;
    return bytes.mid(blanks);
}

// A name a read gives back as written: no blanks around it (a read trims
// them), no line break, and text that survives UTF-8 (no lone surrogate).
bool plainName(QStringView name)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    if (!name.isEmpty() && (blank(name.front()) || blank(name.back())))
        return false;
    if (name.contains(u'\n') || name.contains(u'\r'))
        return false;
    return QString::fromUtf8(name.toUtf8()) == name;
}

bool writableSection(QStringView name)
{
    return plainName(name) && !name.contains(u']');
}

// Not a comment, a header or a key that ends early at its own '='.
bool writableKey(QStringView name)
{
    return plainName(name) && !name.contains(u'=') &&
           !(name.startsWith(u'[') || name.startsWith(u';') || name.startsWith(u'#'));
}

// What identifies the file's content on disk without reading it.
struct Stamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const QString& path)
{
#ifdef Q_OS_LINUX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    const auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return {true,           qint64(st.st_size), ns(st.st_mtim),
            ns(st.st_ctim), quint64(st.st_ino), quint64(st.st_dev)};
#else
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true,
            info.size(),
            info.lastModified().toMSecsSinceEpoch() * 1000000,
            info.metadataChangeTime().toMSecsSinceEpoch() * 1000000,
            0,
            0};
#endif
}

// File systems stamp modification times coarsely (a few milliseconds, two
// seconds on FAT), so a rewrite of the same size soon after a read can leave
// the stamp as it was. Until the stamp is older than this, the bytes are
// compared as well.
constexpr qint64 kCoarseStampNs = qint64(2) * 1000000000;

bool isRecent(const Stamp& stamp)
{
    return stamp.exists &&
           QDateTime::currentMSecsSinceEpoch() * 1000000 - stamp.modifiedNs < kCoarseStampNs;
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

// The file's bytes and an index of where its sections and keys stand. Only
// the first occurrence of a section counts, and within it the first
// occurrence of a key, as the platform's profile reader has it.
class Document {
public:
    // One change to the bytes: `removed` bytes at `at` give way to `inserted`.
    struct Edit {
        enum Kind { Replace, AddKey, AddSection } kind = Replace;
        qsizetype at = 0;
        qsizetype removed = 0;
        QByteArray inserted;
        qsizetype section = -1; // AddKey: the section that gains the line
        qsizetype prefix = 0;   // bytes inserted first to end the previous last line
        qsizetype headerLength = 0;
        quint32 sectionHash = 0;
        quint32 keyHash = 0;
    };

    const QByteArray& bytes() const { return m_bytes; }

    void load(QByteArray bytes)
    {
        m_bytes = std::move(bytes);
        m_sections.clear();
        m_keys.clear();
        m_keys.shrink_to_fit();
        // Every entry has an '=', so this bounds the index without growing it
        // by copies; pages reserved and never filled cost no memory.
        m_keys.reserve(size_t(std::count(m_bytes.cbegin(), m_bytes.cend(), '=')));
        m_ending = lineEndingOf(m_bytes);

        const char* data = m_bytes.constData();
        const qsizetype size = m_bytes.size();
        qsizetype current = -1; // section being indexed; -1 before any or in a repeated one
        for (qsizetype start = 0; start < size;) {
            // Blank lines are common and tell nothing.
            if (data[start] == '\n') {
                ++start;
                continue;
            }
            if (data[start] == '\r' && start + 1 < size && data[start + 1] == '\n') {
                start += 2;
                continue;
            }
            const Line line = lineAt(m_bytes, start);
            const Parsed parsed = parse(m_bytes, line);
            if (parsed.kind == Kind::Header) {
                current = findSection(parsed.name) < 0 ? qsizetype(m_sections.size()) : -1;
                if (current >= 0)
                    m_sections.push_back({hashName(parsed.name), line.start, line.next,
                                          qsizetype(m_keys.size()), qsizetype(m_keys.size())});
            } else if (parsed.kind == Kind::Entry && current >= 0) {
                m_keys.push_back({hashName(parsed.name), line.start});
                m_sections[current].insertAt = line.next;
                m_sections[current].keysEnd = qsizetype(m_keys.size());
            }
            start = line.next;
        }
        for (const Section& section : m_sections)
            std::sort(m_keys.begin() + section.keysBegin, m_keys.begin() + section.keysEnd);
    }

    // The raw value of the key, blanks and one pair of surrounding quotes
    // removed; nothing when the section or the key is missing.
    std::optional<QByteArrayView> value(QStringView section, QStringView key) const
    {
        const qsizetype line = findKey(findSection(section), key);
        if (line < 0)
            return std::nullopt;
        const Line where = lineAt(m_bytes, line);
        const Parsed parsed = parse(m_bytes, where);
        QByteArrayView value = trimmed(
            QByteArrayView(m_bytes).sliced(parsed.equals + 1, where.textEnd - parsed.equals - 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.sliced(1, value.size() - 2);
        return value;
    }

    Edit plan(QStringView section, QStringView key, const QByteArray& value) const
    {
        Edit edit;
        edit.section = findSection(section);
        const qsizetype line = findKey(edit.section, key);
        if (line >= 0) {
            // Keep the key's spelling and the blanks around '=' as they were.
            const Line where = lineAt(m_bytes, line);
            qsizetype valueStart = parse(m_bytes, where).equals + 1;
            while (valueStart < where.textEnd && isBlank(m_bytes[valueStart]))
                ++valueStart;
            edit.at = valueStart;
            edit.removed = where.textEnd - valueStart;
            edit.inserted = value;
            return edit;
        }
        edit.keyHash = hashName(key);
        edit.at = edit.section >= 0 ? m_sections[edit.section].insertAt : m_bytes.size();
        // Only a line that stops being the last one needs an ending of its
        // own; a lone CR there gets the LF it lacks.
        if (edit.at == m_bytes.size() && !m_bytes.isEmpty() && !m_bytes.endsWith('\n'))
            edit.inserted = m_bytes.endsWith('\r') ? QByteArrayLiteral("\n") : m_ending;
        edit.prefix = edit.inserted.size();
        if (edit.section < 0) {
            edit.kind = Edit::AddSection;
            edit.sectionHash = hashName(section);
            edit.inserted += '[' + section.toUtf8() + ']' + m_ending;
            edit.headerLength = edit.inserted.size() - edit.prefix;
        } else {
            edit.kind = Edit::AddKey;
        }
        edit.inserted += key.toUtf8() + '=' + value + m_ending;
        return edit;
    }

    void apply(const Edit& edit)
    {
        m_bytes.replace(edit.at, edit.removed, edit.inserted);
        const qsizetype delta = edit.inserted.size() - edit.removed;
        // Every line from `at` on moves; a section whose entries ended the
        // file keeps its place after the ending its last line just gained.
        for (Key& key : m_keys)
            if (key.line >= edit.at)
                key.line += delta;
        for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
            Section& s = m_sections[i];
            if (s.header >= edit.at)
                s.header += delta;
            if (edit.kind == Edit::AddSection && s.insertAt == edit.at)
                s.insertAt += edit.prefix;
            else if (s.insertAt >= edit.at)
                s.insertAt += delta;
        }
        const qsizetype newLine = edit.at + edit.prefix + edit.headerLength;
        if (edit.kind == Edit::AddKey) {
            Section& target = m_sections[edit.section];
            const Key added{edit.keyHash, newLine};
            const auto end = m_keys.begin() + target.keysEnd;
            m_keys.insert(std::upper_bound(m_keys.begin() + target.keysBegin, end, added), added);
            ++target.keysEnd;
            for (qsizetype i = edit.section + 1; i < qsizetype(m_sections.size()); ++i) {
                ++m_sections[i].keysBegin;
                ++m_sections[i].keysEnd;
            }
        } else if (edit.kind == Edit::AddSection) {
            const qsizetype keys = qsizetype(m_keys.size());
            m_sections.push_back(
                {edit.sectionHash, edit.at + edit.prefix, m_bytes.size(), keys, keys + 1});
            m_keys.push_back({edit.keyHash, newLine});
        }
        m_ending = lineEndingOf(m_bytes);
    }

private:
    struct Section {
        quint32 hash = 0;
        qsizetype header = 0;   // start of its "[name]" line
        qsizetype insertAt = 0; // where a new key goes: after the last entry, else the header
        qsizetype keysBegin = 0;
        qsizetype keysEnd = 0;
    };
    struct Key {
        quint32 hash = 0;
        qsizetype line = 0;
        bool operator<(const Key& other) const
        {
            return hash != other.hash ? hash < other.hash : line < other.line;
        }
    };

    template <typename Name> qsizetype findSection(const Name& name) const
    {
        const quint32 hash = hashName(name);
        for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
            if (m_sections[i].hash != hash)
                continue;
            const Parsed header = parse(m_bytes, lineAt(m_bytes, m_sections[i].header));
            if (sameNames(header.name, name))
                return i;
        }
        return -1;
    }

    static bool sameNames(QByteArrayView stored, QStringView wanted)
    {
        return sameName(stored, wanted);
    }
    static bool sameNames(QByteArrayView stored, QByteArrayView other)
    {
        return isAscii(other) ? sameName(stored, QString::fromLatin1(other))
                              : sameName(stored, decode(other));
    }

    qsizetype findKey(qsizetype section, QStringView key) const
    {
        if (section < 0)
            return -1;
        const Section& s = m_sections[section];
        const quint32 hash = hashName(key);
        const auto end = m_keys.begin() + s.keysEnd;
        for (auto it = std::lower_bound(m_keys.begin() + s.keysBegin, end, Key{hash, -1});
             it != end && it->hash == hash; ++it) {
            if (sameName(parse(m_bytes, lineAt(m_bytes, it->line)).name, key))
                return it->line;
        }
        return -1;
    }

    QByteArray m_bytes;
    QByteArray m_ending = defaultLineEnding();
    std::vector<Section> m_sections;
    std::vector<Key> m_keys; // grouped by section, each group sorted by hash, then line
};

} // namespace

// The document as last read, the stamp of the file it was read from, and the
// writes kept in memory only, which go on top of every fresh read.
class ProfileFile::Model {
public:
    Model(QString path, Keep keep) : m_path(std::move(path)), m_keep(keep) {}

    // Reads the file again when it is not the one the document came from.
    void refresh()
    {
        const Stamp stamp = stampOf(m_path);
        if (m_loaded && stamp == m_stamp) {
            if (!m_recent)
                return;
            QByteArray bytes;
            const bool readable = readFile(bytes);
            if (readable && !m_unreadable && qHash(bytes, 0) == m_diskHash) {
                m_recent = isRecent(stamp);
                return;
            }
            load(stamp, std::move(bytes), readable);
            return;
        }
        QByteArray bytes;
        const bool readable = !stamp.exists || readFile(bytes);
        load(stamp, std::move(bytes), readable);
    }

    const Document& document() const { return m_document; }
    bool unreadable() const { return m_unreadable; }

    // A write that reached the file (OnDisk) or stays in memory (InMemory).
    void wrote(const Document::Edit& edit, QStringView section, QStringView key,
               const QByteArray& value)
    {
        m_document.apply(edit);
        if (m_keep == Keep::OnDisk) {
            m_stamp = stampOf(m_path);
            m_unreadable = false;
            remember(m_document.bytes());
            return;
        }
        const auto same = [&](const Pending& p) {
            return p.section.compare(section, Qt::CaseInsensitive) == 0 &&
                   p.key.compare(key, Qt::CaseInsensitive) == 0;
        };
        m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(), same), m_pending.end());
        m_pending.append({section.toString(), key.toString(), value});
    }

private:
    struct Pending {
        QString section;
        QString key;
        QByteArray value;
    };

    bool readFile(QByteArray& bytes) const
    {
        // Unbuffered: the bytes go straight into one array of the file's size.
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return false;
        bytes = file.readAll();
        return file.error() == QFileDevice::NoError;
    }

    void remember(const QByteArray& diskBytes)
    {
        m_recent = isRecent(m_stamp);
        if (m_recent)
            m_diskHash = qHash(diskBytes, 0);
    }

    void load(const Stamp& stamp, QByteArray bytes, bool readable)
    {
        m_loaded = true;
        m_stamp = stamp;
        m_unreadable = !readable;
        if (!readable)
            bytes.clear();
        remember(bytes);
        m_document.load(std::move(bytes));
        for (const Pending& p : std::as_const(m_pending))
            m_document.apply(m_document.plan(p.section, p.key, p.value));
    }

    QString m_path;
    Keep m_keep;
    Document m_document;
    Stamp m_stamp;
    bool m_loaded = false;
    bool m_unreadable = false; // present but not readable: never replaced
    bool m_recent = false;     // stamped too recently to be trusted alone
    size_t m_diskHash = 0;
    QList<Pending> m_pending;
};

ProfileFile::ProfileFile(QString path, Keep keep)
    : m_path(std::move(path)), m_keep(keep), m_model(std::make_unique<Model>(m_path, m_keep))
{
}

ProfileFile::ProfileFile(const SettingsLocation& location)
    : ProfileFile(location.path, location.persistent ? Keep::OnDisk : Keep::InMemory)
{
}

ProfileFile::~ProfileFile() = default;

qint32 ProfileFile::readInt(QStringView section, QStringView key, qint32 defaultValue) const
{
    m_model->refresh();
    const std::optional<QByteArrayView> value = m_model->document().value(section, key);
    // An emptied box leaves "Key=" behind; reading it as the default keeps a
    // cleared width at 128 instead of turning it into 0 at the next start.
    if (!value || value->isEmpty())
        return defaultValue;
    qsizetype i = 0;
    const bool negative = value->at(i) == '-';
    if (value->at(i) == '-' || value->at(i) == '+')
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
    m_model->refresh();
    const std::optional<QByteArrayView> value = m_model->document().value(section, key);
    if (!value)
        return defaultValue;
    return decode(cutToBytes(*value, capacity - 1));
}

bool ProfileFile::writeText(QStringView section, QStringView key, const QString& value)
{
    if (!writableSection(section) || !writableKey(key))
        return false;
    m_model->refresh();
    // A file that exists but cannot be read must not be replaced by one that
    // holds only this key.
    if (m_keep == Keep::OnDisk && m_model->unreadable())
        return false;
    const QByteArray stored = storedValue(value);
    const Document::Edit edit = m_model->document().plan(section, key, stored);
    if (m_keep == Keep::InMemory) {
        m_model->wrote(edit, section, key, stored);
        return false;
    }

    const QByteArrayView bytes = m_model->document().bytes();
    const QByteArrayView after = bytes.sliced(edit.at + edit.removed);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.first(edit.at).data(), edit.at) != edit.at ||
        file.write(edit.inserted) != edit.inserted.size() ||
        file.write(after.data(), after.size()) != after.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    m_model->wrote(edit, section, key, stored);
    return true;
}

namespace {

// Try it rather than trust permission bits: a read-only mount or an access
// list can refuse a folder whose bits say it is writable.
bool canCreateFileIn(const QString& dir)
{
    QTemporaryFile probe(dir + QStringLiteral("krntools-probe-XXXXXX"));
    return probe.open();
}

// A folder as a path ending in '/', symbolic links resolved where it exists
// (/bin is a link to /usr/bin on current Debian).
QString folderPath(const QString& folder)
{
    const QString path = QDir::fromNativeSeparators(folder);
    const QString real = QFileInfo(path).canonicalFilePath();
    QString clean = real.isEmpty() ? QDir::cleanPath(path) : real;
    if (!clean.endsWith(u'/'))
        clean += u'/';
    return clean;
}

bool insideAny(const QString& dir, const QStringList& folders)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity kCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity kCase = Qt::CaseSensitive;
#endif
    return std::any_of(folders.begin(), folders.end(), [&](const QString& folder) {
        return !folder.isEmpty() && dir.startsWith(folderPath(folder), kCase);
    });
}

} // namespace

QStringList systemProgramFolders()
{
    QStringList folders{QStringLiteral(KRN_INSTALL_BINDIR)};
#ifdef Q_OS_WIN
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"})
        folders << qEnvironmentVariable(name);
#else
    folders << QStringLiteral("/usr/bin") << QStringLiteral("/usr/sbin")
            << QStringLiteral("/usr/local/bin") << QStringLiteral("/usr/local/sbin")
            << QStringLiteral("/bin") << QStringLiteral("/sbin");
#endif
    return folders;
}

SettingsLocation settingsLocationFor(const QString& executableDir, const QString& perUserDir,
                                     const QStringList& systemFolders)
{
    QString dir = QDir::fromNativeSeparators(executableDir);
    if (!dir.endsWith(u'/'))
        dir += u'/';
    const QString beside = dir + QLatin1String(kFileName);
    // An installed program never writes its own folder, not even for root or
    // an administrator: the file would outlive the package and hand one
    // user's choices to every other.
    if (!insideAny(folderPath(dir), systemFolders) && canCreateFileIn(dir))
        return {beside, true};

    QString config = QDir::fromNativeSeparators(perUserDir);
    if (config.isEmpty()) {
#ifdef Q_OS_WIN
        // Roaming, as Windows programs keep what follows the user.
        const QString base = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
#else
        const QString base =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
        if (!base.isEmpty())
            config = base + QStringLiteral("/krntools");
    }
    if (!config.isEmpty() && !config.endsWith(u'/'))
        config += u'/';
    const QString perUser = config.isEmpty() ? QString() : config + QLatin1String(kFileName);
    if (!config.isEmpty() && QDir().mkpath(config) && canCreateFileIn(config)) {
        // Choices already kept beside the executable (a copy installed with a
        // port mapping, say) carry over instead of silently starting afresh.
        if (!QFile::exists(perUser) && QFile::exists(beside))
            QFile::copy(beside, perUser);
        return {perUser, true};
    }
    // Nowhere to write: read what there is, the operator's own file first.
    return {!perUser.isEmpty() && QFile::exists(perUser) ? perUser : beside, false};
}

QString settingsPathFor(const QString& executableDir)
{
    return settingsLocationFor(executableDir).path;
}

} // namespace krn
