// krntools-cli with site files, as an installer runs it: the virtual screen
// plays the controllers, several of them on each of two lines.

#include "support/cliprocess.h"
#include "support/vscreenprocess.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using krn::test::runCli;
using krn::test::VScreenProcess;

namespace {

// The frames in a screen's log lines ("... | 5A A5 ... | ...") or a dry run's
// ("...: 5A A5 ..."), with the sequence number and the checksum masked: the
// numbering of a line differs from a single command's, what the screen is
// told does not.
QStringList framesOf(const QStringList& lines)
{
    QStringList frames;
    for (const QString& line : lines) {
        const qsizetype at = line.indexOf(QLatin1String("5A A5 "));
        if (at < 0)
            continue;
        QStringList bytes = line.mid(at).section(QStringLiteral(" | "), 0, 0).split(u' ');
        bytes[4] = bytes.last() = QStringLiteral("..");
        frames << bytes.join(u' ');
    }
    return frames;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A line of controllers, started or the test ends.
#define START(screen, ...) QVERIFY2((screen).start({__VA_ARGS__}), qPrintable((screen).errorText()))

} // namespace

class TestSiteRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Three rows on two lines: each controller receives exactly what the
    // single commands send it, one JSON object per row, a summary last.
    void twoLines()
    {
        QTemporaryDir dir;
        VScreenProcess a, b;
        START(a, "--screen", "1,2", "--speed", "9600");
        START(b, "--screen", "7", "--speed", "19200");
        const QString site = dir.filePath("site.csv");
        QVERIFY(write(site, QStringLiteral("label,port,screen,speed,width,height,colour,scan,"
                                           "oe,byte-order,invert,wraps,wrap-mode,clock,font\n"
                                           "Counter 1,%1,1,9600,128,32,dual,1/16,,,,,,,\n"
                                           "Counter 2,%1,2,9600,,,,,1,0,1,8,3,,\n"
                                           "Platform,%2,7,19200,256,64,single,static,,,,,,"
                                           "english,Unifont\n")
                                .arg(a.device(), b.device())
                                .toUtf8()));
        const QStringList ini{"--ini", dir.filePath("krntools.ini")};
        const krn::test::CliRun run =
            runCli(ini + QStringList{"--json", "apply", site, "--password", "427163"});
        QCOMPARE(run.status, 0);
        const QStringList lines = run.out.trimmed().split(u'\n');
        QCOMPARE(lines.size(), 4);
        QStringList rows;
        for (const QString& line : lines) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (!o.contains("summary"))
                rows << QStringLiteral("%1:%2").arg(o["row"].toInt()).arg(o["outcome"].toString());
        }
        rows.sort();
        QCOMPARE(rows.join(u' '), "2:delivered 3:delivered 4:delivered");
        QCOMPARE(QJsonDocument::fromJson(lines.last().toUtf8()).object()["delivered"].toInt(), 3);

        const auto single = [&](const QString& device, const QStringList& args) {
            return framesOf(
                runCli(ini + QStringList{"--dry-run", "--port", device} + args).out.split(u'\n'));
        };
        QTest::qWait(200);
        QCOMPARE(framesOf(a.logLines()),
                 single(a.device(), {"panel", "--screen", "1", "--width", "128", "--height", "32",
                                     "--colour", "dual", "--scan", "0"}) +
                     single(a.device(), {"hardware", "--screen", "2", "--password", "427163",
                                         "--oe", "1", "--byte-order", "0", "--invert", "1",
                                         "--wraps", "8", "--wrap-mode", "3"}));
        QCOMPARE(framesOf(b.logLines()),
                 single(b.device(), {"panel", "--screen", "7", "--speed", "19200", "--width", "256",
                                     "--height", "64", "--colour", "single", "--scan", "3"}) +
                     single(b.device(), {"clock", "--screen", "7", "--speed", "19200", "--language",
                                         "english", "--font", "Unifont"}));
    }

    // Read whole before anything is sent: a GB18030 file with Chinese names
    // and semicolons plans; screen 300 in row 2 stops the run, named by row
    // and column, and the screen hears nothing.
    void checkedFirst()
    {
        QTemporaryDir dir;
        VScreenProcess screen;
        START(screen, "--screen", "1");
        const QString site = dir.filePath("现场.csv");
        const auto file = [&](const QString& secondScreen) {
            QStringEncoder gb("GB18030");
            return write(site, gb(QStringLiteral("位置;串口;屏号;波特率;宽度;高度;颜色;扫描方式\r\n"
                                                 "大厅;%1;1;9600;128;32;双色;静态\r\n"
                                                 "门口;%1;%2;9600;64;16;单色;1/8\r\n")
                                      .arg(screen.device(), secondScreen)));
        };
        const QStringList ini{"--ini", dir.filePath("krntools.ini")};
        QVERIFY(file("2"));
        const krn::test::CliRun plan = runCli(ini + QStringList{"plan", site});
        QCOMPARE(plan.status, 0);
        QVERIFY2(plan.out.startsWith("Row 2 (大厅), " + screen.device() +
                                     ", screen 1 at 9600 "
                                     "bit/s:\n  Screen 1 at 9600 bit/s, panel: 5A A5 19 01 00 0B "
                                     "00 00 00 80 00 20 01 03"),
                 qPrintable(plan.out));
        QCOMPARE(plan.out.count("panel:"), 2);

        QVERIFY(file("300"));
        const krn::test::CliRun apply = runCli(ini + QStringList{"apply", site});
        QCOMPARE(apply.status, 2);
        QVERIFY2(apply.err.contains("Row 3, column 屏号: \"300\" is not a screen number"),
                 qPrintable(apply.err));
        QTest::qWait(200);
        QCOMPARE(screen.logLines(), QStringList());
    }

    // Factory-fresh controllers (screen 1 at 9600), connected one at a time,
    // become the rows' numbers and speeds with their panels; once every row
    // is done, a call sends nothing.
    void commission()
    {
        QTemporaryDir dir;
        const QString tty = dir.filePath("tty");
        const QString site = dir.filePath("site.csv");
        QVERIFY(write(site, QStringLiteral("label,port,screen,speed,width,height,colour,scan\n"
                                           "East,%1,5,19200,128,32,dual,1/16\n"
                                           "West,%1,6,38400,64,16,single,1/8\n")
                                .arg(tty)
                                .toUtf8()));
        const QStringList args{"--ini", dir.filePath("krntools.ini"), "commission", site, "--next"};
        for (const char* want :
             {"screen number 5|line-speed position 1|panel width 128 height 32",
              "screen number 6|line-speed position 2|panel width 64 height 16"}) {
            VScreenProcess fresh;
            START(fresh, "--screen", "1", "--speed", "9600", "--pace", "--link", tty);
            QCOMPARE(runCli(args).status, 0);
            const QString summary = fresh.stop();
            for (const QString& part : QString(want).split(u'|'))
                QVERIFY2(summary.contains(part), qPrintable(summary));
        }
        VScreenProcess third;
        START(third, "--screen", "1", "--link", tty);
        const krn::test::CliRun done = runCli(args);
        QCOMPARE(done.status, 0);
        QVERIFY2(done.err.contains("nothing was sent"), qPrintable(done.err));
        QTest::qWait(200);
        QCOMPARE(third.logLines(), QStringList());
    }

    // The report of a run with a silent screen, in a real browser: both rows,
    // the failure, and the clock table drawn.
    void report()
    {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty())
            QSKIP("chromium is not installed (scripts/deps.sh installs it)");
        QTemporaryDir dir;
        VScreenProcess screen;
        START(screen, "--screen", "1,2:silent");
        const QString site = dir.filePath("site.csv");
        QVERIFY(write(site, QStringLiteral("label,port,screen,speed,clock,font\n"
                                           "Lobby,%1,1,9600,english,Unifont\n"
                                           "Stairs,%1,2,9600,english,Unifont\n")
                                .arg(screen.device())
                                .toUtf8()));
        const QString page = dir.filePath("handover.html");
        const krn::test::CliRun run =
            runCli({"--ini", dir.filePath("krntools.ini"), "apply", site, "--report", page});
        QCOMPARE(run.status, 1);
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY(html.contains("Lobby") && html.contains("Stairs"));
        QCOMPARE(html.count("src=\"data:image/png;base64,"), 1);
        QVERIFY(!html.contains("http:") && !html.contains("https:") && !html.contains("src=\"/"));

        const QString shot = dir.filePath("shot.png");
        QProcess browser;
        browser.start(chromium,
                      {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                       "--no-first-run", "--disable-background-networking",
                       "--disable-component-update", "--disable-sync",
                       "--user-data-dir=" + dir.filePath("profile"), "--window-size=1200,800",
                       "--screenshot=" + shot, QUrl::fromLocalFile(page).toString()});
        QVERIFY(browser.waitForFinished(60000));
        QImage image(shot);
        QVERIFY2(!image.isNull(), qPrintable(QString::fromUtf8(browser.readAllStandardError())));
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                red += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
            }
        QVERIFY2(red > 200, qPrintable(QString::number(red))); // the glyphs, lit
    }
};

QTEST_GUILESS_MAIN(TestSiteRun)
#include "tst_siterun.moc"
