#include "progressbar.h"

#include "strings/toolids.h"

namespace krn::cli {

QString progressLine(const FinderProgress& p, strings::Language language, int width)
{
    const int filled = p.total > 0 ? int(qint64(p.done) * width / p.total) : 0;
    const QString bar = QString(filled, u'#') + QString(width - filled, u'.');
    const QString where = p.broadcast
                              ? strings::load(strings::FinderBroadcastProgress, language)
                                    .arg(QString::number(p.speed), QString::number(p.found))
                              : strings::load(strings::FinderProgress, language)
                                    .arg(QString::number(p.speed), QString::number(p.screen),
                                         QString::number(p.found));
    return u'[' + bar + QStringLiteral("] ") + where;
}

} // namespace krn::cli
