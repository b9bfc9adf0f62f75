#include "cli/clioptions.h"
#include "cli/numberlist.h"

#include <QtTest>

using krn::cli::CliCommand;
using krn::cli::CliOptions;

namespace {

// The values a row sets, so a wrong field shows in the comparison.
QString describe(const CliOptions& o)
{
    QStringList d{krn::cli::commandWord(o.command)};
    const auto flag = [&](bool on, const char* name) {
        if (on)
            d << name;
    };
    const auto value = [&](const char* name, const auto& v) {
        if (v)
            d << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(*v);
    };
    flag(o.help, "help");
    flag(o.version, "version");
    value("port", o.portNumber);
    if (!o.device.isEmpty())
        d << "device=" + o.device;
    value("speed", o.speed);
    if (o.screens)
        d << "screens=" + krn::cli::compactList(*o.screens);
    flag(o.json, "json");
    flag(o.dryRun, "dry-run");
    if (o.language)
        d << QStringLiteral("lang=%1").arg(int(*o.language));
    if (o.command == CliCommand::Speed || o.command == CliCommand::Number)
        d << QStringLiteral("new=%1").arg(o.command == CliCommand::Speed ? o.newSpeed
                                                                         : o.newScreen);
    value("width", o.width);
    value("height", o.height);
    value("colour", o.colourPosition);
    value("scan", o.scanPosition);
    if (o.command == CliCommand::Hardware)
        d << "hw=" + krn::cli::compactList(QList<qint32>(o.hardware.begin(), o.hardware.end()));
    value("clock", o.clockLanguage);
    if (!o.clockFont.isEmpty())
        d << "font=" + o.clockFont;
    value("size", o.clockSize);
    if (o.command == CliCommand::Find) {
        d << "speeds=" + krn::cli::compactList(o.findSpeeds)
          << "screens=" + krn::cli::compactList(o.findScreens);
        value("wait", o.probeWaitMs);
        flag(o.first, "first");
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
        row("reset --screen=255 --speed 57600 --port 2", "reset port=2 speed=57600 screens=255");
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
        row("reset --port 0", "error 9206|--port|0");
        row("reset --port ttyUSB0", "error 9206|--port|ttyUSB0");
        row("panel --width 65536", "error 9207|--width|65536|0|65535");
        row("panel --width 300.5", "error 9212|--width|300.5");
        row("panel --colour red", "error 9208|--colour|red|dual, single");
        row("hardware --password 1234 --oe 1", "error 9211|--password");
        row("hardware --password 427163 --oe 1", "error 9209|hardware|--byte-order");
        row("hardware --password 427163 --oe 1 --byte-order 0 --invert 1 --wraps 3 --wrap-mode 8",
            "error 9208|--wraps|3|2, 4, 8, 16");
        row("speed", "error 9203|speed");
        row("speed 115200", "error 9204|speed|115200");
        row("number 256", "error 9207|number|256|0|255");
        row("number 5 --screen 1,2", "error 9214|number|--screen|1,2");
        row("reset extra", "error 9210|extra");
        row("find --screens 255", "error 9205|--screens|255|0|254");
        row("find --speeds 9600,1200", "error 9204|--speeds|9600,1200");
        row("--lang fr reset", "error 9208|--lang|fr|zh_CN, zh_TW, en");
        row("--json=yes reset", "error 9210|--json=yes");
        row("clock --font=", "error 9216|--font");
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, want);
        const krn::cli::ParseResult r = krn::cli::parseCommandLine(args);
        const QString got =
            r.options
                ? describe(*r.options)
                : (QStringList{"error " + QString::number(r.error.id)} + r.error.args).join(u'|');
        QCOMPARE(got, want);
    }

    // The error is told in the language of --lang even when the line fails
    // before --lang is looked at, and a value that looks like a placeholder is
    // shown as typed.
    void errorText()
    {
        const krn::cli::ParseResult r =
            krn::cli::parseCommandLine({"--port", "%2", "reset", "--lang", "zh_CN"});
        QVERIFY(!r.options);
        QCOMPARE(r.language, krn::strings::Language::SimplifiedChinese);
        QCOMPARE(r.error.text(*r.language),
                 "--port %2 不是串口；请给出从 1 开始的串口号或设备路径。");
        QCOMPARE(r.error.text(krn::strings::Language::English),
                 "--port %2 is not a port; give a port number from 1 up or a device path.");
    }
};

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
