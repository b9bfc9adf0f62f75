#pragma once

#include "sitefile.h"

#include <QDateTime>
#include <QSet>
#include <QString>

namespace krn::site {

// The commissioning journal beside a site file (SITE.journal): a line per
// row done, so a run stopped halfway resumes at the right row. A row counts
// as done while its number and label are unchanged in the file.
class Journal {
public:
    explicit Journal(QString sitePath);

    const QString& path() const { return m_path; }
    bool done(const SiteRow& row) const;
    // The first row of `file` not done, from `from` on; -1 when none is left.
    int next(const SiteFile& file, int from = 0) const;
    qsizetype left(const SiteFile& file) const;
    // Notes the row as done; false when the journal could not be written.
    bool note(const SiteRow& row, const QString& how, const QDateTime& when);

private:
    static QString key(int row, const QString& label);
    static QString cleaned(QString label);

    QString m_path;
    QSet<QString> m_done;
};

} // namespace krn::site
