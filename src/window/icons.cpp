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
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    // Grey case, black face, a lit row of red and green dots.
    p.fillRect(0, 2, 16, 12, QColor(128, 128, 128));
    p.fillRect(1, 3, 14, 10, Qt::black);
    for (int x = 2; x < 14; x += 2) {
        for (int y = 4; y < 12; y += 2) {
            const bool lit = (y == 6 || y == 8) && x != 12;
            p.fillRect(x, y, 1, 1, lit ? QColor(255, 0, 0) : QColor(128, 0, 0));
        }
    }
    p.fillRect(12, 6, 1, 3, QColor(0, 255, 0));
    p.end();
    return QIcon(pixmap);
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
