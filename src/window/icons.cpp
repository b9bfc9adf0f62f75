#include "icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace krn::icons {

namespace {

constexpr int Side = 16;

QPixmap blank()
{
    QPixmap pixmap(Side, Side);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon windowIcon()
{
    // The installed icon's own sizes, so the title bar, the task bar and the
    // menu entry all show the same picture.
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

QIcon fontIcon()
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    // A capital A drawn with lines, so the icon does not depend on a font.
    p.setPen(QPen(QColor(0, 0, 128), 2));
    p.drawLine(2, 13, 6, 2);
    p.drawLine(6, 2, 10, 13);
    p.setPen(QPen(QColor(0, 0, 128), 1));
    p.drawLine(4, 9, 8, 9);
    // A red pen across the lower right corner.
    p.setPen(QPen(QColor(255, 0, 0), 2));
    p.drawLine(10, 14, 15, 8);
    p.setPen(QPen(Qt::black, 1));
    p.drawPoint(9, 15);
    p.end();
    return QIcon(pixmap);
}

} // namespace krn::icons
