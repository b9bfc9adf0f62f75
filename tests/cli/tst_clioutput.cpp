#include "cli/dryrun.h"
#include "cli/numberlist.h"
#include "cli/portlisting.h"
#include "cli/progressbar.h"
#include "cli/report.h"
#include "settings/profilefile.h"
#include "settings/settings.h"

#include <QtTest>

using krn::cli::TargetOutcome;
using krn::cli::TargetReport;
using krn::strings::Language;

namespace {
TargetReport report(qint32 screen, TargetOutcome outcome)
{
    return TargetReport{screen, 9600, QStringLiteral("reset"), outcome, 12, {}, 0, {}};
}
} // namespace

// Result lines and the summary of a batch with a refusal are pinned end to
// end by the process test; here the branches a run does not reach easily.
class TestCliOutput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numberLists_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("compact"); // "-" when the text is refused
        const auto row = [](const char* text, const char* compact) {
            QTest::addRow("'%s'", text) << QString(text) << QString(compact);
        };
        row(" 1 , 3 - 5 ", "1,3-5");
        row("0,3-4,255", "0,3,4,255"); // a pair stays a pair
        row("5,1-6", "5,1-4,6");       // a repeat is dropped
        for (const char* refused :
             {"256", "9-3", "1,,2", "1-", "", "+3", "-3", "2.5", "1-2-3", "99999999999"})
            row(refused, "-");
    }
    void numberLists()
    {
        QFETCH(QString, text);
        QFETCH(QString, compact);
        const auto list = krn::cli::numberList(text, 0, 255);
        QCOMPARE(list ? krn::cli::compactList(*list) : QStringLiteral("-"), compact);
    }

    // A run numbers its frames as a fresh line would, 0 first, wrapping at 255.
    void dryRunSequence()
    {
        krn::cli::DryRun run(Language::English, false);
        QStringList lines;
        for (int i = 0; i < 257; ++i)
            lines << run.line(1, 9600, "reset", 0x0A, QByteArray(1, 0));
        QCOMPARE(lines.first(), "Screen 1 at 9600 bit/s, reset: 5A A5 07 01 00 0A 00 F3");
        QVERIFY(lines.at(255).contains("5A A5 07 01 FF 0A 00 0C"));
        QCOMPARE(lines.at(256), lines.first());
    }

    // A batch ends with 0 when all went, 1 when some did not or there was
    // nothing to do, 3 when the port would not open; a screen found is done.
    void summaries_data()
    {
        QTest::addColumn<QList<TargetReport>>("reports");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("json");
        QTest::addColumn<int>("status");
        using O = TargetOutcome;
        QTest::addRow("all delivered")
            << QList{report(1, O::Delivered), report(2, O::Found)} << "All 2 screens done."
            << R"({"delivered":2,"failed":[],"summary":true,"targets":2})" << 0;
        QTest::addRow("nothing") << QList<TargetReport>{} << "All 0 screens done."
                                 << R"({"delivered":0,"failed":[],"summary":true,"targets":0})"
                                 << 1;
    }
    void summaries()
    {
        QFETCH(QList<TargetReport>, reports);
        QFETCH(QString, text);
        QFETCH(QString, json);
        QFETCH(int, status);
        QCOMPARE(krn::cli::summaryText(reports, Language::English), text);
        QCOMPARE(QString::fromUtf8(krn::cli::summaryJson(reports)), json);
        QCOMPARE(int(krn::cli::exitStatusFor(reports)), status);
    }

    // Port numbers as the window counts them, one look at the system's list:
    // a mapping wins and adds, the rest are the system's devices in natural
    // order; each as `ports` prints it.
    void ports()
    {
        struct System : krn::SerialDevices {
            QList<krn::SerialDevice> list() const override
            {
                return {{"/dev/ttyS0", {}, {}, {}, {}},
                        {"/dev/ttyUSB1", "FT232R USB UART", "FTDI", "A10K3", {}},
                        {"/dev/ttyUSB10", {}, {}, {}, {}}};
            }
        } system;
        QTemporaryDir dir;
        krn::ProfileFile file(dir.filePath("krntools.ini"));
        krn::Settings settings(file);
        settings.setPortMapping(1, "/dev/pts/7");
        settings.setPortMapping(9, "tcp://h:1");
        const QList<krn::PortRoute> rows = krn::PortMap(&settings, &system).routes(16);
        QStringList got;
        for (const krn::PortRoute& r : rows)
            got << QStringLiteral("%1 %2").arg(r.number).arg(r.device);
        QCOMPARE(got.join(u'|'), "1 /dev/pts/7|2 /dev/ttyUSB1|3 /dev/ttyUSB10|9 tcp://h:1");
        QCOMPARE(krn::cli::portsText(rows.mid(1, 1), Language::English),
                 "Port\tDevice\tDescription\tMaker\tSerial number\n"
                 "2\t/dev/ttyUSB1\tFT232R USB UART\tFTDI\tA10K3\n");
        QCOMPARE(krn::cli::portsText({}, Language::SimplifiedChinese), "没有找到串口。\n");
        QCOMPARE(
            krn::cli::portsJson(rows.mid(1, 1)),
            R"({"description":"FT232R USB UART","device":"/dev/ttyUSB1","maker":"FTDI","port":2,"serial":"A10K3"})"
            "\n");
    }

    // The finder's lines: a screen found names its number and speed each in
    // its place, also behind a device server's raw port, which keeps its own
    // speed; the progress bar, how far the search has come.
    void finderLines()
    {
        TargetReport r{254, 19200, "find", TargetOutcome::Found, 17, QByteArray(1, 6), 1, {}};
        QCOMPARE(krn::cli::foundLine(r, Language::English),
                 "Found screen 254 at 19200 bit/s (answer 06, 17 ms).");
        r.speed = 0;
        QCOMPARE(krn::cli::foundLine(r, Language::English),
                 "Found screen 254 at the device server's own line speed (answer 06, 17 ms).");
        QCOMPARE(krn::cli::progressLine({true, 9600, 17, 0, 1024, 1}, Language::English, 10),
                 "[..........] 9600 bit/s, broadcast, found 1");
        QCOMPARE(krn::cli::progressLine({false, 9600, 17, 512, 1024, 1}, Language::English, 10),
                 "[#####.....] 9600 bit/s, screen 17, found 1");
    }
};

QTEST_GUILESS_MAIN(TestCliOutput)
#include "tst_clioutput.moc"
