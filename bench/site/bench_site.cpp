// Prints how long a site file of 8 lines with 4 paced screens each takes when
// the lines run at the same time, against one such line alone, side by side:
// the same engine, the same rows. Figures only; it never fails on speed.

#include "link/portmap.h"
#include "site/sitework.h"
#include "support/vscreenprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <vector>

using namespace krn;

namespace {

// `lines` lines of four paced screens at 9600 (a panel each), as a site file
// would give them.
site::SiteFile siteOf(const std::vector<std::unique_ptr<test::VScreenProcess>>& screens, int lines)
{
    site::SiteFile file;
    int row = 2;
    for (int l = 0; l < lines; ++l)
        for (qint32 n = 1; n <= 4; ++n) {
            site::SiteRow r;
            r.row = row++;
            r.port = screens.at(size_t(l))->device();
            r.screen = n;
            r.speed = 9600;
            r.panel = PanelGeometry{128, 32, 0, 0};
            file.rows << r;
        }
    return file;
}

double runMs(const site::SiteFile& file, int jobs, int* delivered)
{
    QList<int> rows;
    for (int i = 0; i < file.rows.size(); ++i)
        rows << i;
    const std::atomic<bool> stop{false};
    const PortMap ports;
    QElapsedTimer t;
    t.start();
    const QList<site::RowResult> results =
        site::applyRows(file, rows, ports, QStringLiteral("Unifont"), jobs, stop, nullptr);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    *delivered = int(std::count_if(results.begin(), results.end(),
                                   [](const site::RowResult& r) { return r.delivered(); }));
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::vector<std::unique_ptr<test::VScreenProcess>> screens;
    for (int l = 0; l < 8; ++l) {
        screens.push_back(std::make_unique<test::VScreenProcess>());
        if (!screens.back()->start({"--screen", "1-4", "--speed", "9600", "--pace"})) {
            std::fprintf(stderr, "cannot start the virtual screen: %s\n",
                         qPrintable(screens.back()->errorText()));
            return 1;
        }
    }
    std::printf("%-40s %10s %10s\n", "site (4 paced screens a line, 9600)", "time", "delivered");
    int delivered = 0;
    const double one = runMs(siteOf(screens, 1), 1, &delivered);
    std::printf("%-40s %8.0f ms %7d/4\n", "1 line", one, delivered);
    for (const int jobs : {8, 1}) {
        const double eight = runMs(siteOf(screens, 8), jobs, &delivered);
        std::printf("%-40s %8.0f ms %7d/32  (%.2f x one line)\n",
                    qPrintable(QStringLiteral("8 lines, --jobs %1").arg(jobs)), eight, delivered,
                    eight / one);
    }
    return 0;
}
