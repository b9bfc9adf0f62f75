#include "journal.h"

#include <QFile>

namespace krn::site {

QString Journal::key(int row, const QString& label)
{
    return QString::number(row) + u'\t' + cleaned(label);
}

// A label as the journal's one-line records keep it.
QString Journal::cleaned(QString label)
{
    return label.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
}

Journal::Journal(QString sitePath) : m_path(std::move(sitePath) + QStringLiteral(".journal"))
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // row <TAB> label <TAB> time <TAB> how
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QStringList f = QString::fromUtf8(line).split(u'\t');
        if (f.size() >= 2)
            m_done.insert(key(f.at(0).toInt(), f.at(1)));
    }
}

bool Journal::done(const SiteRow& row) const
{
    return m_done.contains(key(row.row, row.label));
}

int Journal::next(const SiteFile& file, int from) const
{
    for (int i = std::max(from, 0); i < file.rows.size(); ++i)
        if (!done(file.rows.at(i)))
            return i;
    return -1;
}

qsizetype Journal::left(const SiteFile& file) const
{
    return std::count_if(file.rows.begin(), file.rows.end(),
                         [this](const SiteRow& r) { return !done(r); });
}

bool Journal::note(const SiteRow& row, const QString& how, const QDateTime& when)
{
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QString label = cleaned(row.label);
    const QByteArray line = (QString::number(row.row) + u'\t' + label + u'\t' +
                             when.toString(Qt::ISODate) + u'\t' + how + u'\n')
                                .toUtf8();
    // One write, flushed: a run killed after it has the row noted.
    const bool ok = file.write(line) == line.size() && file.flush();
    if (ok)
        m_done.insert(key(row.row, row.label));
    return ok;
}

} // namespace krn::site
