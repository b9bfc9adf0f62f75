#include "progressbar.h"

namespace krn::cli {

QString progressLine(const FinderProgress& p, strings::Language language, int width)
{
    const int filled = p.total > 0 ? int(qint64(p.done) * width / p.total) : 0;
    const QString bar = QString(filled, u'#') + QString(width - filled, u'.');
    const QString where = strings::render(progressMessage(p), language);
    return u'[' + bar + QStringLiteral("] ") + where;
}

} // namespace krn::cli
