#include "cli/clioptions.h"
#include "cli/numberlist.h"

#include <QtTest>

using krn::cli::CliCommand;
using krn::cli::CliOptions;

namespace {

QString joined(const QList<qint32>& list)
{
    return krn::cli::compactList(list);
}

// The values a row sets, so a wrong field shows in the comparison.
QString describe(const CliOptions& o)
{
    QStringList d{krn::cli::commandWord(o.command)};
    if (o.help)
        d << "help";
    if (o.version)
        d << "version";
    if (o.portNumber)
        d << QStringLiteral("port=%1").arg(*o.portNumber);
    if (!o.device.isEmpty())
        d << "device=" + o.device;
    if (o.speed)
        d << QStringLiteral("speed=%1").arg(*o.speed);
    if (o.screens)
        d << "screens=" + joined(*o.screens);
    if (o.json)
        d << "json";
    if (o.dryRun)
        d << "dry-run";
    if (o.language)
        d << QStringLiteral("lang=%1").arg(int(*o.language));
    if (o.command == CliCommand::Speed)
        d << QStringLiteral("new=%1").arg(o.newSpeed);
    if (o.command == CliCommand::Number)
        d << QStringLiteral("new=%1").arg(o.newScreen);
    if (o.width)
        d << QStringLiteral("width=%1").arg(*o.width);
    if (o.height)
        d << QStringLiteral("height=%1").arg(*o.height);
    if (o.colourPosition)
        d << QStringLiteral("colour=%1").arg(*o.colourPosition);
    if (o.scanPosition)
        d << QStringLiteral("scan=%1").arg(*o.scanPosition);
    if (o.command == CliCommand::Hardware)
        d << QStringLiteral("hw=%1,%2,%3,%4,%5")
                 .arg(o.hardware[0])
                 .arg(o.hardware[1])
                 .arg(o.hardware[2])
                 .arg(o.hardware[3])
                 .arg(o.hardware[4]);
    if (o.clockLanguage)
        d << QStringLiteral("clock=%1").arg(*o.clockLanguage);
    if (!o.clockFont.isEmpty())
        d << "font=" + o.clockFont;
    if (o.clockSize)
        d << QStringLiteral("size=%1").arg(*o.clockSize);
    if (o.command == CliCommand::Find) {
        d << "speeds=" + joined(o.findSpeeds) << "screens=" + joined(o.findScreens);
        if (o.probeWaitMs)
            d << QStringLiteral("wait=%1").arg(*o.probeWaitMs);
        if (o.first)
            d << "first";
    }
    return d.join(u' ');
}

} // namespace

class TestCliOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("want"); // the values, or "error ID|arg|arg..."
        const auto row = [](const char* args, const char* want) {
            QTest::addRow("%s", args) << QString::fromUtf8(args).split(u' ', Qt::SkipEmptyParts)
                                      << QString::fromUtf8(want);
        };
        // Values that run.
        row("reset", "reset");
        row("--screen 1,3,7-12 reset", "reset screens=1,3,7-12");
        row("reset --screen=255 --speed 57600 --port 2", "reset port=2 speed=57600 screens=255");
        row("--screen 5,3-4,5,0 reset", "reset screens=5,3,4,0");
        row("--port /dev/ttyUSB0 --port 3 reset", "reset port=3");
        row("--port tcp://10.0.0.5:4001 reset", "reset device=tcp://10.0.0.5:4001");
        row("--port COM3 reset", "reset device=COM3");
        row("speed 19200", "speed new=19200");
        row("number 255 --screen 3", "number screens=3 new=255");
        row("panel --width 65535 --height 0 --colour single --scan 3",
            "panel width=65535 height=0 colour=1 scan=3");
        row("hardware --password 427163 --oe 1 --byte-order 0 --invert 1 --wraps 16 --wrap-mode 8",
            "hardware hw=1,0,1,16,8");
        row("clock --language english --font Unifont --size 16",
            "clock clock=1 font=Unifont size=16");
        row("find", "find speeds=9600,19200,38400,57600 screens=0-254");
        row("find --speeds 57600,9600 --screens 254,0 --probe-wait 80 --first",
            "find speeds=57600,9600 screens=254,0 wait=80 first");
        row("--lang zh_TW --json --dry-run reset", "reset json dry-run lang=1");
        row("--lang zh-cn ports --json", "ports json lang=0");
        row("reset --bogus-free --help", "error 9202|--bogus-free");
        row("nonsense --help", "reset help");
        row("-h", "reset help");
        row("--version", "reset version");
        // Usage errors: each names the option and the value.
        row("", "error 9200");
        row("rest", "error 9201|rest");
        row("reset --colour dual", "error 9213|--colour|reset");
        row("reset --speed", "error 9203|--speed");
        row("reset --speed 4800", "error 9204|--speed|4800");
        row("reset --screen 256", "error 9205|--screen|256|0|255");
        row("reset --screen 3-1", "error 9205|--screen|3-1|0|255");
        row("reset --screen 1,,2", "error 9205|--screen|1,,2|0|255");
        row("reset --screen -3", "error 9205|--screen|-3|0|255");
        row("reset --screen 1-", "error 9205|--screen|1-|0|255");
        row("reset --port 0", "error 9206|--port|0");
        row("reset --port ttyUSB0", "error 9206|--port|ttyUSB0");
        row("panel --width 65536", "error 9207|--width|65536|0|65535");
        row("panel --width 300.5", "error 9212|--width|300.5");
        row("panel --height -1", "error 9212|--height|-1");
        row("panel --colour red", "error 9208|--colour|red|dual, single");
        row("panel --scan 4", "error 9207|--scan|4|0|3");
        row("hardware --password 1234 --oe 1", "error 9211|--password");
        row("hardware --password 427163 --oe 1", "error 9209|hardware|--byte-order");
        row("hardware --password 427163 --oe 1 --byte-order 0 --invert 1 --wraps 3 --wrap-mode 8",
            "error 9208|--wraps|3|2, 4, 8, 16");
        row("hardware --oe 2", "error 9207|--oe|2|0|1");
        row("speed", "error 9203|speed");
        row("speed 115200", "error 9204|speed|115200");
        row("number 256", "error 9207|number|256|0|255");
        row("number 5 --screen 1,2", "error 9214|number|--screen|1,2");
        row("reset extra", "error 9210|extra");
        row("find --screens 255", "error 9205|--screens|255|0|254");
        row("find --speed 9600", "error 9213|--speed|find");
        row("find --speeds 9600,1200", "error 9204|--speeds|9600,1200");
        row("find --probe-wait 0", "error 9207|--probe-wait|0|1|60000");
        row("ports --port 1", "error 9213|--port|ports");
        row("--lang fr reset", "error 9208|--lang|fr|zh_CN, zh_TW, en");
        row("--json=yes reset", "error 9210|--json=yes");
        row("clock --font=", "error 9216|--font");
        row("clock --size 0", "error 9207|--size|0|1|1638");
        row("clock --language klingon", "error 9208|--language|klingon|chinese, english");
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, want);
        const krn::cli::ParseResult r = krn::cli::parseCommandLine(args);
        const QString got =
            r.options
                ? describe(*r.options)
                : QStringLiteral("error ") + QStringList{QString::number(r.error.id)}.join(u'|') +
                      (r.error.args.isEmpty() ? QString() : u'|' + r.error.args.join(u'|'));
        QCOMPARE(got, want);
    }

    // The message is told in the chosen language, and a value that looks like
    // a placeholder is shown as typed.
    void errorText_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("simplified");
        QTest::addRow("placeholder value")
            << QStringList{"--port", "%2", "reset"}
            << "--port %2 is not a port; give a port number from 1 up or a device path."
            << "--port %2 不是串口；请给出从 1 开始的串口号或设备路径。";
        QTest::addRow("range") << QStringList{"panel", "--width", "70000"}
                               << "--width 70000 is outside 0 to 65535."
                               << "--width 70000 超出 0 到 65535 的范围。";
    }
    void errorText()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, english);
        QFETCH(QString, simplified);
        const krn::cli::ParseResult r = krn::cli::parseCommandLine(args);
        QVERIFY(!r.options);
        QCOMPARE(r.error.text(krn::strings::Language::English), english);
        QCOMPARE(r.error.text(krn::strings::Language::SimplifiedChinese), simplified);
    }

    // --lang is known even when the line fails, so the error is told in it.
    void languageOfAFailedLine()
    {
        const krn::cli::ParseResult r =
            krn::cli::parseCommandLine({"--lang", "zh_TW", "panel", "--width", "x"});
        QVERIFY(!r.options);
        QCOMPARE(r.language, krn::strings::Language::TraditionalChinese);
    }
};

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
