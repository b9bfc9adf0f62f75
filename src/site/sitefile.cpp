#include "sitefile.h"

#include "core/encoding.h"
#include "core/failure.h"
#include "link/netaddress.h"
#include "strings/siteids.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <array>

namespace krn::site {

namespace {

enum class Column {
    Label,
    Port,
    Screen,
    Speed,
    Width,
    Height,
    Colour,
    Scan,
    Clock,
    Font,
    Size,
    Oe,
    ByteOrder,
    Invert,
    Wraps,
    WrapMode,
};

struct ColumnName {
    Column column;
    const char* english;
    const char16_t* chinese;
    const char* alias = nullptr;
};

// The names a header may give each column, English in any case or Chinese.
constexpr std::array kColumns{
    ColumnName{Column::Label, "label", u"位置"},
    ColumnName{Column::Port, "port", u"串口"},
    ColumnName{Column::Screen, "screen", u"屏号"},
    ColumnName{Column::Speed, "speed", u"波特率"},
    ColumnName{Column::Width, "width", u"宽度"},
    ColumnName{Column::Height, "height", u"高度"},
    ColumnName{Column::Colour, "colour", u"颜色", "color"},
    ColumnName{Column::Scan, "scan", u"扫描方式"},
    ColumnName{Column::Clock, "clock", u"时钟"},
    ColumnName{Column::Font, "font", u"字体"},
    ColumnName{Column::Size, "size", u"字号"},
    ColumnName{Column::Oe, "oe", u"OE极性"},
    ColumnName{Column::ByteOrder, "byte-order", u"字节顺序"},
    ColumnName{Column::Invert, "invert", u"字节取反"},
    ColumnName{Column::Wraps, "wraps", u"绕线次数"},
    ColumnName{Column::WrapMode, "wrap-mode", u"绕线方式"},
};

std::optional<Column> columnNamed(const QString& name)
{
    for (const ColumnName& c : kColumns)
        if (name.compare(QLatin1String(c.english), Qt::CaseInsensitive) == 0 ||
            name == QStringView(c.chinese) ||
            (c.alias && name.compare(QLatin1String(c.alias), Qt::CaseInsensitive) == 0))
            return c.column;
    return std::nullopt;
}

const ColumnName& nameOf(Column column)
{
    return kColumns[std::size_t(column)];
}

// The comma, semicolon or tab that splits the header into the most cells.
QChar separatorOf(QStringView header)
{
    QChar best = u',';
    qsizetype most = -1;
    for (const QChar c : {QChar(u','), QChar(u';'), QChar(u'\t')}) {
        const qsizetype n = header.count(c);
        if (n > most)
            best = c, most = n;
    }
    return best;
}

// Records as spreadsheets write them: cells in double quotes may hold the
// separator, line breaks and doubled quotes. Returns the row of an unclosed
// quote as a failure.
QList<QStringList> records(const QString& text, QChar separator)
{
    QList<QStringList> out;
    QStringList record;
    QString cell;
    bool quoted = false;
    int line = 1, recordLine = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                if (c == u'\n')
                    ++line;
                cell += c;
            }
            continue;
        }
        if (c == u'"' && cell.trimmed().isEmpty()) {
            cell.clear();
            quoted = true;
        } else if (c == separator) {
            record << cell;
            cell.clear();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            record << cell;
            out << record;
            record.clear();
            cell.clear();
            recordLine = ++line;
        } else {
            cell += c;
        }
    }
    if (quoted)
        throw Failure(Message{strings::SiteOpenQuote, {QString::number(recordLine)}});
    if (!cell.isEmpty() || !record.isEmpty()) {
        record << cell;
        out << record;
    }
    return out;
}

// A row's cells by column, and how to name a bad one.
class Cells {
public:
    Cells(int row, const QStringList& cells, const QHash<Column, qsizetype>& at,
          const QStringList& header)
        : m_row(row), m_cells(cells), m_at(at), m_header(header)
    {
    }

    bool has(Column c) const { return !text(c).isEmpty(); }
    QString text(Column c) const
    {
        const qsizetype i = m_at.value(c, -1);
        return i >= 0 && i < m_cells.size() ? m_cells.at(i).trimmed() : QString();
    }
    // The column as the header spells it.
    QString name(Column c) const
    {
        const qsizetype i = m_at.value(c, -1);
        return i >= 0 ? m_header.at(i) : QLatin1String(nameOf(c).english);
    }
    [[noreturn]] void bad(Column c, quint16 want) const
    {
        throw Failure(Message{strings::SiteCellInvalid,
                              {QString::number(m_row), name(c), text(c), TextRef{want}}});
    }
    [[noreturn]] void missing(Column c, quint16 need) const
    {
        throw Failure(
            Message{strings::SiteCellMissing, {QString::number(m_row), name(c), TextRef{need}}});
    }

    qint32 whole(Column c, qint32 low, qint32 high, quint16 want) const
    {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
        const QString t = text(c);
        if (!digits.match(t).hasMatch() || t.toInt() < low || t.toInt() > high)
            bad(c, want);
        return t.toInt();
    }
    // The position of the cell's text among `choices` (each "english|中文|...").
    int choice(Column c, std::initializer_list<const char16_t*> choices, quint16 want) const
    {
        const QString t = text(c);
        int position = 0;
        for (const char16_t* names : choices) {
            for (const QString& n : QString::fromUtf16(names).split(u'|'))
                if (t.compare(n, Qt::CaseInsensitive) == 0)
                    return position;
            ++position;
        }
        bad(c, want);
    }
    // Required, or all of a group when one of them is given.
    void require(std::initializer_list<Column> group, quint16 need) const
    {
        for (const Column c : group)
            if (!has(c))
                missing(c, need);
    }
    bool anyOf(std::initializer_list<Column> group) const
    {
        return std::any_of(group.begin(), group.end(), [this](Column c) { return has(c); });
    }

private:
    int m_row;
    const QStringList& m_cells;
    const QHash<Column, qsizetype>& m_at;
    const QStringList& m_header;
};

// A port number from 1, a device path, a COM name or a network address.
QString portCell(const Cells& cells)
{
    const QString t = cells.text(Column::Port);
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,5}$"));
    if (number.match(t).hasMatch()) {
        if (t.toInt() < 1 || t.toInt() > 65535)
            cells.bad(Column::Port, strings::SiteWantPort);
        return t;
    }
    if (NetAddress::looksLikeNetwork(t)) {
        NetAddress::parse(t); // its own words when it is not an address
        return t;
    }
    if (!t.contains(u'/') && !t.contains(u'\\') &&
        !t.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive))
        cells.bad(Column::Port, strings::SiteWantPort);
    return t;
}

SiteRow rowFrom(const Cells& c, int row)
{
    using C = Column;
    SiteRow r;
    r.row = row;
    r.label = c.text(C::Label);
    c.require({C::Port, C::Screen, C::Speed}, strings::SiteNeedAlways);
    r.port = portCell(c);
    r.screen = c.whole(C::Screen, 0, 254, strings::SiteWantScreen);
    r.speed = c.whole(C::Speed, 0, 999999, strings::SiteWantSpeed);
    if (std::find(LineSpeeds.begin(), LineSpeeds.end(), r.speed) == LineSpeeds.end())
        c.bad(C::Speed, strings::SiteWantSpeed);

    if (c.anyOf({C::Width, C::Height, C::Colour, C::Scan})) {
        c.require({C::Width, C::Height, C::Colour, C::Scan}, strings::SiteNeedPanel);
        r.panel = PanelGeometry{
            c.whole(C::Width, 0, LargestPanelSide, strings::SiteWantSide),
            c.whole(C::Height, 0, LargestPanelSide, strings::SiteWantSide),
            c.choice(C::Colour, {u"dual|双色", u"single|单色"}, strings::SiteWantColour),
            c.choice(C::Scan, {u"1/16", u"1/8", u"1/4", u"static|静态"}, strings::SiteWantScan)};
    }
    if (c.anyOf({C::Oe, C::ByteOrder, C::Invert, C::Wraps, C::WrapMode})) {
        c.require({C::Oe, C::ByteOrder, C::Invert, C::Wraps, C::WrapMode},
                  strings::SiteNeedHardware);
        const qint32 wraps = c.whole(C::Wraps, 0, 99, strings::SiteWantWraps);
        if (std::find(WiringCounts.begin(), WiringCounts.end(), wraps) == WiringCounts.end())
            c.bad(C::Wraps, strings::SiteWantWraps);
        r.hardware =
            HardwareOptions{c.whole(C::Oe, 0, 1, strings::SiteWantBit),
                            c.whole(C::ByteOrder, 0, 1, strings::SiteWantBit),
                            c.whole(C::Invert, 0, 1, strings::SiteWantBit), wraps,
                            c.whole(C::WrapMode, 0, WiringModes - 1, strings::SiteWantWrapMode)};
    }
    if (c.has(C::Clock)) {
        SiteClock clock;
        clock.language = c.choice(C::Clock, {u"chinese|中文版|中文", u"english|英文版|英文"},
                                  strings::SiteWantClock);
        clock.font = c.text(C::Font);
        if (c.has(C::Size)) {
            static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,4}(\\.[0-9]{1,3})?$"));
            const QString t = c.text(C::Size);
            if (!decimal.match(t).hasMatch() || !(t.toDouble() > 0) ||
                t.toDouble() > LargestClockPoints)
                c.bad(C::Size, strings::SiteWantSize);
            clock.size = t.toDouble();
        }
        r.clock = clock;
    }
    return r;
}

} // namespace

std::variant<SiteFile, Message> parseSiteFile(const QByteArray& bytes)
{
    try {
        const QString text = decodeUtf8OrGb18030(bytes);
        const qsizetype firstBreak = text.indexOf(u'\n');
        const QList<QStringList> recs =
            records(text, separatorOf(QStringView(text).left(firstBreak)));
        if (recs.isEmpty())
            throw Failure(Message{strings::SiteNoRows, {QString()}});

        QStringList header;
        QHash<Column, qsizetype> at;
        for (const QString& cell : recs.first()) {
            const QString name = cell.trimmed();
            header << name;
            if (name.isEmpty())
                continue; // a spreadsheet's trailing separator
            const std::optional<Column> c = columnNamed(name);
            if (!c)
                throw Failure(
                    Message{strings::SiteUnknownColumn, {QString::number(header.size()), name}});
            if (at.contains(*c))
                throw Failure(Message{strings::SiteDuplicateColumn, {name}});
            at.insert(*c, header.size() - 1);
        }
        for (const Column c : {Column::Port, Column::Screen, Column::Speed})
            if (!at.contains(c))
                throw Failure(Message{strings::SiteNoColumn,
                                      {QString::fromLatin1(nameOf(c).english),
                                       QString::fromUtf16(nameOf(c).chinese)}});

        SiteFile file;
        for (qsizetype i = 1; i < recs.size(); ++i) {
            const QStringList& cells = recs.at(i);
            // A spreadsheet ends with empty rows (";;;;").
            if (std::all_of(cells.begin(), cells.end(),
                            [](const QString& s) { return s.trimmed().isEmpty(); }))
                continue;
            const SiteRow row = rowFrom(Cells(int(i) + 1, cells, at, header), int(i) + 1);
            file.hardware = file.hardware || row.hardware;
            file.rows << row;
        }
        if (file.rows.isEmpty())
            throw Failure(Message{strings::SiteNoRows, {QString()}});
        return file;
    } catch (const Failure& f) {
        return f.message();
    }
}

std::variant<SiteFile, Message> readSiteFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Message{strings::SiteUnreadable, {path, file.errorString()}};
    std::variant<SiteFile, Message> parsed = parseSiteFile(file.readAll());
    // The file has no name of its own inside; the message gets it here.
    if (Message* m = std::get_if<Message>(&parsed); m && m->id == strings::SiteNoRows)
        m->args = {TextArg(path)};
    return parsed;
}

} // namespace krn::site
