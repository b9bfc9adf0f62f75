#include "cli/clioptions.h"
#include "cli/numberlist.h"

#include <QtTest>

using krn::cli::CliCommand;
using krn::cli::CliOptions;

namespace {

// The values a row sets, so a wrong field shows in the comparison. The
// clock's options and --dry-run are checked end to end by the process test.
QString describe(const CliOptions& o)
{
    QStringList d{krn::cli::commandWord(o.command)};
    const auto put = [&](bool on, const char* name, const QString& value = {}) {
        if (on)
            d << (value.isEmpty() ? QString(name) : QString(name) + '=' + value);
    };
    const auto opt = [&](const char* name, const auto& v) {
        put(bool(v), name, v ? QString::number(qint64(*v)) : QString());
    };
    const auto list = [](const auto& l) {
        return krn::cli::compactList(QList<qint32>(l.begin(), l.end()));
    };
    put(o.help, "help");
    put(o.version, "version");
    opt("port", o.portNumber);
    put(!o.device.isEmpty(), "device", o.device);
    opt("speed", o.speed);
    put(bool(o.screens), "screens", o.screens ? list(*o.screens) : QString());
    put(o.json, "json");
    opt("lang", o.language);
    put(o.command == CliCommand::Speed, "new", QString::number(o.newSpeed));
    put(o.command == CliCommand::Number, "new", QString::number(o.newScreen));
    opt("width", o.width);
    opt("height", o.height);
    opt("colour", o.colourPosition);
    opt("scan", o.scanPosition);
    if (o.command == CliCommand::Hardware)
        put(true, "hw", list(QList<qint32>{*o.oe, *o.byteOrder, *o.invert, *o.wraps, *o.wrapMode}));
    put(bool(o.clockSize), "size", o.clockSize ? QString::number(*o.clockSize) : QString());
    put(o.command == CliCommand::Find, "speeds", list(o.findSpeeds));
    put(o.command == CliCommand::Find, "screens", list(o.findScreens));
    opt("wait", o.probeWaitMs);
    put(o.first, "first");
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
        row("number 255 --screen 3", "number screens=3 new=255");
        row("panel --width 65535 --height 0 --colour single --scan 3",
            "panel width=65535 height=0 colour=1 scan=3");
        row("hardware --password 427163 --oe 1 --byte-order 0 --invert 1 --wraps 16 --wrap-mode 8",
            "hardware hw=1,0,1,16,8");
        row("find", "find speeds=9600,19200,38400,57600 screens=0-254");
        row("find --speeds 57600,9600 --screens 254,0 --probe-wait 80 --first",
            "find speeds=57600,9600 screens=254,0 wait=80 first");
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
        row("clock --size 10.5", "clock size=10.5");
        row("clock --size 0", "error 9207|--size|0|0|1638");
        row("clock --size 1e3", "error 9212|--size|1e3");
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, want);
        const krn::cli::ParseResult r = krn::cli::parseCommandLine(args);
        QStringList error{"error " + QString::number(r.error.id)};
        for (const krn::TextArg& a : r.error.args)
            error << a.literal;
        const QString got = r.options ? describe(*r.options) : error.join(u'|');
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
        QCOMPARE(krn::strings::render(r.error, *r.language),
                 "--port %2 不是串口；请给出从 1 开始的串口号或设备路径。");
        QCOMPARE(krn::strings::render(r.error, krn::strings::Language::English),
                 "--port %2 is not a port; give a port number from 1 up or a device path.");
    }
};

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
