// Writes the program's window icon as PNG pictures of the sizes a Windows
// .ico carries, for icotool. The icon is drawn on a 16x16 grid of LED dots, so
// larger sizes are that grid scaled up whole pixels at a time.
// usage: makeicon OUTPUT_FOLDER
#include "window/icons.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeicon OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QImage grid = krn::icons::windowIcon().pixmap(16, 16).toImage();
    for (const int side : {16, 32, 48, 256}) {
        const QImage image = grid.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        const QString file = out.filePath(QStringLiteral("krntools-%1.png").arg(side));
        if (!image.save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
