#include "cli/dryrun.h"
#include "cli/numberlist.h"
#include "cli/portlisting.h"
#include "cli/progressbar.h"
#include "cli/report.h"
#include "core/failure.h"
#include "strings/toolids.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using krn::cli::TargetOutcome;
using krn::cli::TargetReport;
using krn::strings::Language;

Q_DECLARE_METATYPE(TargetOutcome)

namespace {
TargetReport report(qint32 screen, TargetOutcome outcome, QByteArray reply = {})
{
    return TargetReport{screen, 9600,  QStringLiteral("reset"), outcome,
                        12,     reply, QStringLiteral("detail")};
}
} // namespace

class TestCliOutput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numberLists_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("compact"); // "-" when the text is refused
        QTest::addRow("single") << "7"
                                << "7";
        QTest::addRow("corners") << "0,255"
                                 << "0,255";
        QTest::addRow("range") << "7-12"
                               << "7-12";
        QTest::addRow("pair stays a pair") << "3-4"
                                           << "3,4";
        QTest::addRow("blanks") << " 1 , 3 - 5 "
                                << "1,3-5";
        QTest::addRow("repeat dropped") << "5,1-6"
                                        << "5,1-4,6";
        QTest::addRow("whole range") << "0-255"
                                     << "0-255";
        QTest::addRow("above") << "256"
                               << "-";
        QTest::addRow("backwards") << "9-3"
                                   << "-";
        QTest::addRow("empty item") << "1,,2"
                                    << "-";
        QTest::addRow("trailing comma") << "1,"
                                        << "-";
        QTest::addRow("empty") << ""
                               << "-";
        QTest::addRow("sign") << "+3"
                              << "-";
        QTest::addRow("fraction") << "2.5"
                                  << "-";
        QTest::addRow("two dashes") << "1-2-3"
                                    << "-";
        QTest::addRow("huge") << "99999999999"
                              << "-";
    }
    void numberLists()
    {
        QFETCH(QString, text);
        QFETCH(QString, compact);
        const auto list = krn::cli::numberList(text, 0, 255);
        QCOMPARE(list ? krn::cli::compactList(*list) : QStringLiteral("-"), compact);
    }

    // The frames a dry run prints are the frames the link sends.
    void frames_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("sequence");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("frame");
        QTest::addRow("reset screen 1")
            << 1 << 0 << 0x0A << QByteArray(1, 0) << "5A A5 07 01 00 0A 00 F3";
        QTest::addRow("find broadcast")
            << 255 << 0 << 0x17 << QByteArray(6, 0) << "5A A5 0C FF 00 17 00 00 00 00 00 00 1B";
        QTest::addRow("number 254 to 7, seq 255")
            << 254 << 255 << 0x16 << QByteArray(1, 7) << "5A A5 07 FE FF 16 07 E8";
    }
    void frames()
    {
        QFETCH(int, screen);
        QFETCH(int, sequence);
        QFETCH(int, code);
        QFETCH(QByteArray, data);
        QFETCH(QString, frame);
        QCOMPARE(krn::cli::hexBytes(
                     krn::cli::frameBytes(quint8(screen), quint8(sequence), quint8(code), data)),
                 frame);
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
        krn::cli::DryRun json(Language::English, true);
        const QJsonObject o =
            QJsonDocument::fromJson(json.line(3, 57600, "panel", 0x0B, QByteArray(19, 0)).toUtf8())
                .object();
        QCOMPARE(o.value("screen").toInt(), 3);
        QCOMPARE(o.value("speed").toInt(), 57600);
        QCOMPARE(o.value("frame").toString().left(17), "5A A5 19 03 00 0B");
    }

    void lines_data()
    {
        QTest::addColumn<TargetOutcome>("outcome");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("traditional");
        QTest::addColumn<QString>("json");
        QTest::addRow("delivered")
            << TargetOutcome::Delivered << QByteArray("\x06")
            << "Screen 4 at 9600 bit/s, reset: detail (12 ms)"
            << "屏號 4，9600 bit/s，reset：detail（12 ms）"
            << R"({"command":"reset","message":"detail","ms":12,"outcome":"delivered","screen":4,"speed":9600})";
        QTest::addRow("refused")
            << TargetOutcome::Refused << QByteArray("\x15\xff")
            << "Screen 4 at 9600 bit/s, reset: The screen answered 15 FF, not an acknowledgement. "
               "(12 ms)"
            << "屏號 4，9600 bit/s，reset：屏回答了 15 FF，不是確認。（12 ms）"
            << R"({"command":"reset","message":"detail","ms":12,"outcome":"refused","reply":"15 FF","screen":4,"speed":9600})";
        QTest::addRow("no answer")
            << TargetOutcome::NoAnswer << QByteArray()
            << "Screen 4 at 9600 bit/s, reset: detail (12 ms)"
            << "屏號 4，9600 bit/s，reset：detail（12 ms）"
            << R"({"command":"reset","message":"detail","ms":12,"outcome":"no-answer","screen":4,"speed":9600})";
    }
    void lines()
    {
        QFETCH(TargetOutcome, outcome);
        QFETCH(QByteArray, reply);
        QFETCH(QString, english);
        QFETCH(QString, traditional);
        QFETCH(QString, json);
        const TargetReport r = report(4, outcome, reply);
        QCOMPARE(krn::cli::textLine(r, Language::English), english);
        QCOMPARE(krn::cli::textLine(r, Language::TraditionalChinese), traditional);
        QCOMPARE(QString::fromUtf8(krn::cli::jsonLine(r)), json);
    }

    void summaries_data()
    {
        QTest::addColumn<QList<TargetReport>>("reports");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("json");
        QTest::addColumn<int>("status");
        QTest::addRow("all delivered")
            << QList{report(1, TargetOutcome::Delivered), report(2, TargetOutcome::Delivered)}
            << "All 2 screens done."
            << R"({"delivered":2,"failed":[],"summary":true,"targets":2})" << 0;
        QTest::addRow("one silent, one refused")
            << QList{report(1, TargetOutcome::Delivered), report(2, TargetOutcome::NoAnswer),
                     report(3, TargetOutcome::Refused), report(4, TargetOutcome::Delivered)}
            << "2 of 4 screens done; not done: 2,3."
            << R"({"delivered":2,"failed":[2,3],"summary":true,"targets":4})" << 1;
        QTest::addRow("open failed wins")
            << QList{report(1, TargetOutcome::NoAnswer), report(2, TargetOutcome::OpenFailed)}
            << "0 of 2 screens done; not done: 1,2."
            << R"({"delivered":0,"failed":[1,2],"summary":true,"targets":2})" << 3;
        QTest::addRow("invalid value")
            << QList{report(7, TargetOutcome::InvalidValue)} << "0 of 1 screens done; not done: 7."
            << R"({"delivered":0,"failed":[7],"summary":true,"targets":1})" << 1;
        QTest::addRow("found") << QList{report(9, TargetOutcome::Found)} << "All 1 screens done."
                               << R"({"delivered":1,"failed":[],"summary":true,"targets":1})" << 0;
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

    // Port numbers as the window counts them: a mapping wins, the rest are the
    // system's devices in natural order.
    void ports_data()
    {
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<QStringList>("mapping"); // "n=device"
        QTest::addColumn<QString>("rows");
        QTest::addRow("natural order")
            << QStringList{"/dev/ttyUSB10", "/dev/ttyS0", "/dev/ttyUSB2"} << QStringList{}
            << "1 /dev/ttyS0|2 /dev/ttyUSB2|3 /dev/ttyUSB10";
        QTest::addRow("mapping wins and adds") << QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1"}
                                               << QStringList{"1=/dev/pts/7", "9=tcp://h:1"}
                                               << "1 /dev/pts/7|2 /dev/ttyUSB1|9 tcp://h:1";
        QTest::addRow("none") << QStringList{} << QStringList{} << "";
    }
    void ports()
    {
        QFETCH(QStringList, devices);
        QFETCH(QStringList, mapping);
        QFETCH(QString, rows);
        QList<krn::cli::PortDevice> system;
        for (const QString& d : devices)
            system << krn::cli::PortDevice{d, "desc " + d, "maker", "SN"};
        const auto mapped = [&](qint32 n) {
            for (const QString& m : mapping)
                if (m.section(u'=', 0, 0).toInt() == n)
                    return m.section(u'=', 1);
            return QString();
        };
        QStringList got;
        for (const krn::cli::PortRow& r : krn::cli::portRows(system, mapped))
            got << QStringLiteral("%1 %2").arg(r.number).arg(r.port.device);
        QCOMPARE(got.join(u'|'), rows);
    }
    void portsText()
    {
        const QList<krn::cli::PortRow> rows{
            {2, {"/dev/ttyUSB1", "FT232R USB UART", "FTDI", "A10K3"}}};
        QCOMPARE(krn::cli::portsText(rows, Language::English),
                 "Port\tDevice\tDescription\tMaker\tSerial number\n"
                 "2\t/dev/ttyUSB1\tFT232R USB UART\tFTDI\tA10K3\n");
        QCOMPARE(krn::cli::portsText({}, Language::SimplifiedChinese), "没有找到串口。\n");
        QCOMPARE(
            krn::cli::portsJson(rows),
            R"({"description":"FT232R USB UART","device":"/dev/ttyUSB1","maker":"FTDI","port":2,"serial":"A10K3"})"
            "\n");
    }

    // Every text of the tool exists in the three languages with the same
    // places to fill, so no language drops or invents a value.
    void textsInThreeLanguages()
    {
        using namespace krn::strings;
        const QList<quint16> used{UsageNoCommand,
                                  UsageUnknownCommand,
                                  UsageUnknownOption,
                                  UsageMissingValue,
                                  UsageNotASpeed,
                                  UsageNotAScreenList,
                                  UsageNotAPort,
                                  UsageOutOfRange,
                                  UsageNotAChoice,
                                  UsageMissingOption,
                                  UsageUnexpectedArgument,
                                  UsageWrongPassword,
                                  UsageNotANumber,
                                  UsageOptionNotForCommand,
                                  UsageOneScreenOnly,
                                  UsageTryHelp,
                                  UsageEmptyValue,
                                  TargetLine,
                                  RefusedReply,
                                  SummaryAllDelivered,
                                  SummaryNotDelivered,
                                  DryRunFrame,
                                  PortsHeader,
                                  NoPorts,
                                  LineNotOpened,
                                  LogNotWritten,
                                  HelpText,
                                  FinderFound,
                                  FinderNothingFound,
                                  FinderSummary,
                                  FinderProgress,
                                  FinderBroadcastProgress,
                                  FinderTitle,
                                  FinderMenuItem,
                                  FinderCancel,
                                  FinderUse,
                                  FinderDone,
                                  FinderCancelled};
        const QRegularExpression place(QStringLiteral("%[1-9]"));
        const auto places = [&](const QString& text) {
            QStringList found;
            for (const QRegularExpressionMatch& m : place.globalMatch(text))
                found << m.captured();
            found.sort();
            return found.join(u',');
        };
        int present = 0;
        for (quint16 id = 9200; id < 9300; ++id) {
            QString english;
            try {
                english = load(id, Language::English);
            } catch (const krn::Failure&) {
                QVERIFY2(!used.contains(id), qPrintable(QString::number(id)));
                continue;
            }
            ++present;
            for (const Language l : {Language::SimplifiedChinese, Language::TraditionalChinese}) {
                const QString text = load(id, l);
                QVERIFY2(!text.isEmpty() && text != english, qPrintable(QString::number(id)));
                QCOMPARE(places(text), places(english));
            }
        }
        QCOMPARE(present, used.size());
    }

    void progress_data()
    {
        QTest::addColumn<bool>("broadcast");
        QTest::addColumn<int>("done");
        QTest::addColumn<QString>("line");
        QTest::addRow("start") << true << 0 << "[..........] 9600 bit/s, broadcast, found 1";
        QTest::addRow("half") << false << 512 << "[#####.....] 9600 bit/s, screen 17, found 1";
        QTest::addRow("all") << false << 1024 << "[##########] 9600 bit/s, screen 17, found 1";
    }
    void progress()
    {
        QFETCH(bool, broadcast);
        QFETCH(int, done);
        QFETCH(QString, line);
        const krn::FinderProgress p{broadcast, 9600, 17, done, 1024, 1};
        QCOMPARE(krn::cli::progressLine(p, Language::English, 10), line);
    }
};

QTEST_GUILESS_MAIN(TestCliOutput)
#include "tst_clioutput.moc"
