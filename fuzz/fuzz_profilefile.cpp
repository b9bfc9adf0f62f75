// The settings file reader and writer against a plain reference reader that
// splits the file into lines and searches them from the top, as the rules say.
// Input: a file, then writes. Checked each time:
// - every key reads as the reference reads it, from the live object and from a
//   fresh one (the model never drifts from the file);
// - a write changes only its own line (or adds its line, or its section and
//   line); the line before may only gain the ending it lacked; every other
//   key reads as before; the written key reads back as written;
// - writing the same again leaves the file byte for byte as it was;
// - a refused write leaves the file as it was, and only names a read could
//   not give back are refused;
// - nothing but krntools.ini is left in the folder.
// Any difference aborts.

#include "settings/profilefile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

[[noreturn]] void mismatch(const char* what, const QByteArray& file, const QString& detail)
{
    std::fprintf(stderr, "profilefile mismatch: %s: %s\nfile: %s\n", what,
                 detail.toUtf8().constData(), file.toPercentEncoding(" []=;#").constData());
    std::abort();
}

// --- the reference reader -------------------------------------------------

struct Line {
    QByteArray text;
    QByteArray ending;
    bool operator==(const Line&) const = default;
};

// "\n" and "\r\n" end lines; so does a lone "\r" as the very last byte.
std::vector<Line> splitLines(const QByteArray& bytes)
{
    std::vector<Line> lines;
    for (const QByteArray& piece : bytes.split('\n'))
        lines.push_back({piece, "\n"});
    if (lines.back().text.isEmpty()) // nothing after the last "\n"
        lines.pop_back();
    else
        lines.back().ending.clear();
    for (Line& line : lines) {
        if (line.text.endsWith('\r') && (!line.ending.isEmpty() || &line == &lines.back())) {
            line.text.chop(1);
            line.ending.prepend('\r');
        }
    }
    return lines;
}

QByteArray trimBlanks(QByteArray text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove(0, 1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

QString decode(const QByteArray& bytes)
{
    // Stateless: a sequence cut off at the end is an error, not a state kept
    // for a next call that never comes.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030");
    return gb18030(bytes);
}

bool sameName(const QByteArray& stored, const QString& wanted)
{
    return decode(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

struct Entry {
    enum { None, Header, Key } kind = None;
    QByteArray name;
    QByteArray value; // keys: after '=', blanks and one pair of quotes removed
};

Entry entryOf(const std::vector<Line>& lines, size_t i)
{
    QByteArray text = lines[i].text;
    if (i == 0 && text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    const QByteArray t = trimBlanks(text);
    if (t.startsWith('[')) {
        const qsizetype close = t.indexOf(']');
        return {Entry::Header, trimBlanks(t.mid(1, close < 0 ? -1 : close - 1)), {}};
    }
    if (t.startsWith(';') || t.startsWith('#') || !t.contains('='))
        return {};
    QByteArray value = trimBlanks(t.mid(t.indexOf('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return {Entry::Key, trimBlanks(t.left(t.indexOf('='))), value};
}

// The line of the key in the first section of that name, before the next
// header, first occurrence.
std::optional<size_t> referenceLine(const std::vector<Line>& lines, const QString& section,
                                    const QString& key)
{
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Entry e = entryOf(lines, i);
        if (e.kind == Entry::Header) {
            if (inside)
                return std::nullopt;
            inside = sameName(e.name, section);
        } else if (inside && e.kind == Entry::Key && sameName(e.name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<QByteArray> referenceValue(const QByteArray& bytes, const QString& section,
                                         const QString& key)
{
    const std::vector<Line> lines = splitLines(bytes);
    const std::optional<size_t> line = referenceLine(lines, section, key);
    if (!line)
        return std::nullopt;
    return entryOf(lines, *line).value;
}

qint32 referenceInt(const std::optional<QByteArray>& value, qint32 fallback)
{
    if (!value || value->isEmpty())
        return fallback;
    qsizetype i = (value->front() == '-' || value->front() == '+') ? 1 : 0;
    long double magnitude = 0;
    for (; i < value->size() && value->at(i) >= '0' && value->at(i) <= '9'; ++i)
        magnitude = std::min<long double>(magnitude * 10 + (value->at(i) - '0'), 1e12L);
    const long double v = value->front() == '-' ? -magnitude : magnitude;
    return qint32(std::clamp<long double>(v, INT32_MIN, INT32_MAX));
}

// --- the properties -------------------------------------------------------

using Name = std::pair<QString, QString>; // section, key

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ? file.readAll() : QByteArray();
}

void checkReads(const krn::ProfileFile& live, const QByteArray& bytes,
                const std::vector<Name>& names)
{
    const krn::ProfileFile fresh(live.path());
    for (const auto& [section, key] : names) {
        const std::optional<QByteArray> want = referenceValue(bytes, section, key);
        const QString wantText = want ? decode(*want) : QStringLiteral("\x01missing");
        for (const krn::ProfileFile* file : {&live, &fresh}) {
            const QString got =
                file->readText(section, key, QStringLiteral("\x01missing"), 1 << 20);
            if (got != wantText)
                mismatch("readText", bytes,
                         section + u'/' + key + QStringLiteral(": ") + got +
                             QStringLiteral(" vs ") + wantText);
            if (file->readInt(section, key, -7) != referenceInt(want, -7))
                mismatch("readInt", bytes, section + u'/' + key);
        }
    }
}

// Names a read gives back as written.
bool plainName(const QString& name)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    return !(!name.isEmpty() && (blank(name.front()) || blank(name.back()))) &&
           !name.contains(u'\n') && !name.contains(u'\r') &&
           QString::fromUtf8(name.toUtf8()) == name;
}
bool representable(const QString& section, const QString& key)
{
    return plainName(section) && !section.contains(u']') && plainName(key) && !key.contains(u'=') &&
           !key.startsWith(u'[') && !key.startsWith(u';') && !key.startsWith(u'#');
}

// What a key written with `value` reads back as.
QString expectedRead(const QString& value)
{
    QByteArray v = value.toUtf8();
    for (const char end : {'\n', '\r'})
        if (v.contains(end))
            v.truncate(v.indexOf(end));
    return decode(entryOf({{"k=" + v, {}}}, 0).value);
}

// Old and new lines agree except for one changed line (same ending), or one
// or two added lines; the line before added lines may only gain the ending it
// lacked, and only when it was the last line.
void checkOnlyOwnLine(const QByteArray& oldBytes, const QByteArray& newBytes)
{
    const std::vector<Line> a = splitLines(oldBytes), b = splitLines(newBytes);
    size_t front = 0;
    while (front < a.size() && front < b.size() && a[front] == b[front])
        ++front;
    size_t back = 0;
    while (back < a.size() - front && back < b.size() - front &&
           a[a.size() - 1 - back] == b[b.size() - 1 - back])
        ++back;
    const size_t removed = a.size() - front - back, added = b.size() - front - back;
    if (removed == 1 && added == 1 && a[front].ending == b[front].ending &&
        entryOf(a, front).kind == Entry::Key && entryOf(a, front).name == entryOf(b, front).name)
        return;
    if (removed == 0 && added <= 2) // nothing (the same value again), a key, a section and key
        return;
    // The old last line completed: same text, its ending "" or "\r" now full.
    if (removed == 1 && back == 0 && front == a.size() - 1 && added >= 2 && added <= 3 &&
        a[front].text == b[front].text && !b[front].ending.isEmpty() &&
        (a[front].ending.isEmpty() || (a[front].ending == "\r" && b[front].ending == "\r\n")))
        return;
    mismatch("only its own line", oldBytes, QString::fromLatin1(newBytes.toPercentEncoding()));
}

QString folder()
{
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? "/dev/shm/krn-fuzz-XXXXXX"
                                                       : QDir::tempPath() + "/krn-fuzz-XXXXXX");
    return dir.path();
}

QString consumeName(FuzzedDataProvider& in, const std::vector<Name>& names, bool section)
{
    const int pick = in.ConsumeIntegralInRange<int>(0, 3);
    if (pick == 0 || names.empty())
        return QString::fromUtf8(in.ConsumeRandomLengthString(12));
    if (pick == 1)
        return section ? QStringLiteral("About") : QStringLiteral("Send_Port");
    const Name& n = names[in.ConsumeIntegralInRange<size_t>(0, names.size() - 1)];
    return section ? n.first : n.second;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString path = folder() + QStringLiteral("/krntools.ini");
    QFile::remove(path);
    const bool exists = in.ConsumeBool();
    QByteArray bytes = QByteArray::fromStdString(in.ConsumeRandomLengthString(4096));
    if (exists) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::abort();
    } else {
        bytes.clear();
    }

    // Every name the file holds, as written and in other cases.
    std::vector<Name> names;
    const std::vector<Line> lines = splitLines(bytes);
    QByteArray section;
    for (size_t i = 0; i < lines.size() && names.size() < 64; ++i) {
        const Entry e = entryOf(lines, i);
        if (e.kind == Entry::Header)
            section = e.name;
        else if (e.kind == Entry::Key)
            names.push_back({decode(section), decode(e.name)});
    }
    if (!names.empty())
        names.push_back({names.front().first.toUpper(), names.back().second.toLower()});

    krn::ProfileFile file(path);
    checkReads(file, bytes, names);
    for (int writes = in.ConsumeIntegralInRange<int>(1, 3); writes > 0; --writes) {
        const QString s = consumeName(in, names, true), k = consumeName(in, names, false);
        const QString value = QString::fromUtf8(in.ConsumeRandomLengthString(24));
        if (!file.writeText(s, k, value)) {
            if (representable(s, k))
                mismatch("refused", bytes, s + u'/' + k);
            if (contents(path) != bytes)
                mismatch("refused write changed the file", bytes, s + u'/' + k);
            continue;
        }
        const QByteArray after = contents(path);
        checkOnlyOwnLine(bytes, after);
        const std::optional<QByteArray> read = referenceValue(after, s, k);
        if (!read || decode(*read) != expectedRead(value))
            mismatch("read back", after, s + u'/' + k + u'=' + value);
        for (const auto& [os, ok] : names)
            if (!(sameName(os.toUtf8(), s) && sameName(ok.toUtf8(), k)) &&
                referenceValue(after, os, ok) != referenceValue(bytes, os, ok))
                mismatch("another key changed", after, os + u'/' + ok);
        if (!file.writeText(s, k, value) || contents(path) != after)
            mismatch("rewrite not idempotent", after, s + u'/' + k + u'=' + value);
        names.push_back({s, k});
        bytes = after;
        checkReads(file, bytes, names);
    }
    if (QDir(folder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size() > 1)
        mismatch("left behind", bytes, QDir(folder()).entryList().join(u' '));
    return 0;
}
