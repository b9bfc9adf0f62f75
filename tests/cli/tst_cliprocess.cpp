// krntools-cli as a script runs it: the built program against the virtual
// screen on a pty, with its own krntools.ini in a temporary folder.

#include "krn_version.h"
#include "settings/profilefile.h"
#include "support/cliprocess.h"
#include "support/vscreenprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using krn::test::VScreenProcess;

namespace {

using Run = krn::test::CliRun;
using krn::test::cliExecutable;
using krn::test::runCli;

} // namespace

class TestCliProcess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(cliExecutable()).isExecutable(), qPrintable(cliExecutable()));
    }

    // Runs on the remembered port, 4, where the virtual screen plays screens 1
    // and 2 in `mode`. Usage errors are told on standard error in the chosen
    // language and end with 2; --help, --version and dry runs end with 0; a
    // port that cannot be opened ends with 3; none of them sends anything.
    // After a delivered change of the remembered screen the settings follow
    // it; for another screen, or when nothing answered, they stay. A
    // delivered clock, drawn without a display, is remembered as the window
    // remembers it; the hardware options go out with the gate's password.
    void runs_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // all of standard output when it ends a line, else a part
        QTest::addColumn<QString>("err"); // a part of standard error
        QTest::addColumn<int>("frames");  // that reached the screen
        QTest::addColumn<QString>("after"); // the settings below, afterwards
        const auto row = [](const char* name, const char* args, const char* mode, int status,
                            const char* out, const char* err, int frames,
                            const char* after = "9600/1/0/宋体/12") {
            QTest::addRow("%s", name) << QString(args).split(u' ') << QString(mode) << status
                                      << QString(out) << QString(err) << frames << QString(after);
        };
        const char* ok = "Set parameter ok!";
        row("usage error", "--lang zh_CN number 256", "ack", 2, "",
            "number 256 超出 0 到 255 的范围。", 0);
        row("help", "--help", "ack", 0, "find [--speeds LIST] [--screens LIST]", "", 0);
        row("version", "--version", "ack", 0, qPrintable("krntools-cli " + QString(krn::kVersion)),
            "", 0);
        row("dry-run panel json",
            "--dry-run --json --port /dev/null --speed 57600 --screen 3,4 panel --width 300 "
            "--height 32 --colour dual --scan 2",
            "ack", 0,
            R"({"command":"panel","frame":"5A A5 19 03 00 0B 00 00 01 2C 00 20 01 02 00 00 00 00 00 00 00 00 00 00 00 E0","screen":3,"speed":57600})"
            "\n"
            R"({"command":"panel","frame":"5A A5 19 04 01 0B 00 00 01 2C 00 20 01 02 00 00 00 00 00 00 00 00 00 00 00 E6","screen":4,"speed":57600})"
            "\n",
            "", 0);
        row("dry-run speed change",
            "--dry-run --port /dev/null --speed 9600 --screen 255 speed 38400", "ack", 0,
            "Screen 255 at 9600 bit/s, speed: 5A A5 07 FF 00 0D 02 08\n", "", 0);
        row("port not opened", "--port /nonexistent/no-such-device --screen 1 reset", "ack", 3,
            "no-such-device", "", 0);
        row("speed 38400", "speed 38400", "ack", 0, ok, "", 1, "38400/1/0/宋体/12");
        row("number 9", "number 9", "ack", 0, ok, "", 1, "9600/9/0/宋体/12");
        row("number 9, silent", "number 9", "silent", 1, "can't be find", "", 1);
        row("another screen's speed", "--screen 1,2 speed 38400", "ack", 0, ok, "", 2);
        row("clock", "clock --language english --font Unifont --size 16", "ack", 0, ok, "", 29,
            "9600/1/1/Unifont/16");
        row("clock, wide glyphs too", "--lang zh_CN clock", "ack", 0, "设置参数完成", "", 29);
        row("hardware",
            "hardware --password 427163 --oe 1 --byte-order 0 --invert 1 --wraps 8 --wrap-mode 4",
            "ack", 0, ok, "", 1);
    }
    void runs()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mode);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(int, frames);
        QTemporaryDir dir;
        VScreenProcess screen;
        QVERIFY2(screen.start({"--screen", "1,2", "--mode", mode}), qPrintable(screen.errorText()));
        krn::ProfileFile ini(dir.filePath("krntools.ini"));
        ini.writeText(u"Ports", u"4", screen.device());
        ini.writeText(u"About", u"Send_Com", "3");
        const QStringList keys{"Send_Port", "Send_Screen", "Send_Time", "Send_TimeFont",
                               "Send_TimeSize"};
        const QStringList before{"9600", "1", "0", "宋体", "12"};
        for (int i = 0; i < keys.size(); ++i)
            ini.writeText(u"About", keys[i], before[i]);
        const Run r = runCli(QStringList{"--ini", ini.path()} + args);
        QCOMPARE(r.status, status);
        if (out.isEmpty() || out.endsWith('\n'))
            QCOMPARE(r.out, out);
        else
            QVERIFY2(r.out.contains(out), qPrintable(r.out));
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        screen.waitForLines(frames);
        QTest::qWait(100);
        QCOMPARE(screen.logLines().size(), frames);
        QStringList values;
        for (const QString& key : keys)
            values << ini.readText(u"About", key, {});
        QTEST(values.join(u'/'), "after");
    }

    // One connection for the batch, one line per screen in the language asked
    // for, the same words in text and JSON, a summary that names the screens
    // not done, and the traffic in the log. The times vary and are left out.
    void batchWithSilentAndRefusingScreens()
    {
        QTemporaryDir dir;
        VScreenProcess screen;
        QVERIFY2(screen.start({"--screen", "1,2:silent,3:nak", "--speed", "19200"}),
                 qPrintable(screen.errorText()));
        const QString log = dir.filePath("traffic.log");
        const QStringList args{"--ini",    dir.filePath("krntools.ini"),
                               "--port",   screen.device(),
                               "--speed",  "19200",
                               "--screen", "1-3",
                               "reset"};
        const Run text = runCli(QStringList{"--log", log, "--lang", "zh_TW"} + args);
        QCOMPARE(text.status, 1);
        QCOMPARE(QString(text.out).replace(QRegularExpression("\\d+ ms"), "ms"),
                 "屏號 1，19200 bit/s，reset：設置參數完成！（ms）\n"
                 "屏號 2，19200 bit/s，reset：通訊出錯！（ms）\n"
                 "屏號 3，19200 bit/s，reset：屏回答了 15，不是確認。（ms）\n"
                 "3 塊屏中 1 塊已完成；未完成的屏號：2,3。\n");
        QTest::qWait(100);
        QCOMPARE(screen.logLines().size(), 3);
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString traffic = QString::fromUtf8(f.readAll());
        QVERIFY2(traffic.contains("5A A5 07 01 00 0A 00 F3") && traffic.contains(screen.device()),
                 qPrintable(traffic));

        const Run json = runCli(QStringList{"--json"} + args);
        QCOMPARE(json.status, 1);
        QCOMPARE(
            QString(json.out).replace(QRegularExpression("\"ms\":\\d+,"), ""),
            R"({"command":"reset","message":"Set parameter ok!","outcome":"delivered","screen":1,"speed":19200})"
            "\n"
            R"({"command":"reset","message":"Send error!","outcome":"no-answer","screen":2,"speed":19200})"
            "\n"
            R"({"command":"reset","message":"The screen answered 15, not an acknowledgement.","outcome":"refused","reply":"15","reply_bytes":1,"screen":3,"speed":19200})"
            "\n"
            R"({"delivered":1,"failed":[2,3],"summary":true,"targets":3})"
            "\n");
    }

    // The finder at the corners of speed and number, with and without
    // broadcast answers, and on a line where nothing answers. The probes the
    // screen saw show the order: broadcasts first, then the speeds that
    // answered one, each screen found asked once more to confirm, and --first
    // stops at the first screen found.
    void finder_data()
    {
        QTest::addColumn<QStringList>("screenArgs");
        QTest::addColumn<QStringList>("findArgs");
        QTest::addColumn<QString>("found");
        QTest::addColumn<int>("probes");
        const auto row = [](const char* screenArgs, const char* findArgs, const char* found,
                            int probes) {
            QTest::addRow("%s", screenArgs)
                << QString(screenArgs).split(u' ') << QString(findArgs).split(u' ')
                << QString(found) << probes;
        };
        const char* corners = "--speeds 9600,57600 --screens 0,1,127,253,254";
        row("--speed 57600 --screen 254", corners, "57600:254", 13);
        row("--speed 57600 --screen 3,254 --broadcast-ack",
            "--first --speeds 9600,57600 --screens 254,3", "57600:254", 4);
        row("--mode silent", corners, "", 12);
    }
    void finder()
    {
        QFETCH(QStringList, screenArgs);
        QFETCH(QStringList, findArgs);
        QFETCH(QString, found);
        QFETCH(int, probes);
        QTemporaryDir dir;
        VScreenProcess screen;
        QVERIFY2(screen.start(screenArgs), qPrintable(screen.errorText()));
        const Run r = runCli(QStringList{"--json", "--ini", dir.filePath("krntools.ini"), "--port",
                                         screen.device(), "find"} +
                             findArgs);
        QCOMPARE(r.status, found.isEmpty() ? 1 : 0);
        QStringList got;
        for (const QString& line : r.out.trimmed().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (o.value("outcome").toString() == "found")
                got << QStringLiteral("%1:%2")
                           .arg(o.value("speed").toInt())
                           .arg(o.value("screen").toInt());
        }
        QCOMPARE(got.join(' '), found);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err)); // no terminal: no progress bar
        screen.waitForLines(probes);
        QTest::qWait(100);
        QCOMPARE(screen.logLines().size(), probes);
    }

    void stopped_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM, JSON") << SIGTERM;
        QTest::newRow("kill -9") << SIGKILL;
    }
    // A batch of 20 where one screen answers, stopped after the first: it
    // ends after the frame on the line and says how far it got; after
    // kill -9, which nobody can clean up after, the line still opens.
    void stopped()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        VScreenProcess screen;
        QVERIFY2(screen.start({"--screen", "1"}), qPrintable(screen.errorText()));
        const QStringList line{"--lang", "en",           "--ini", dir.filePath("krntools.ini"),
                               "--port", screen.device()};
        QProcess p;
        const QStringList json = signal == SIGTERM ? QStringList{"--json"} : QStringList{};
        p.start(cliExecutable(), line + json + QStringList{"reset", "--screen", "1-20"});
        QVERIFY(QTest::qWaitFor([&] { return p.canReadLine(); }, 10000)); // screen 1 is done
        // A batch already over has no process id: kill(0) would hit this test's own group.
        const qint64 pid = p.processId();
        QVERIFY2(pid > 0, "the batch ended before it could be stopped");
        ::kill(pid_t(pid), signal);
        QVERIFY(p.waitForFinished(8000));
        const QStringList out = QString::fromUtf8(p.readAll()).trimmed().split(u'\n');
        if (signal == SIGKILL) {
            QCOMPARE(p.exitStatus(), QProcess::CrashExit);
        } else {
            QCOMPARE(p.exitCode(), 128 + signal);
            QVERIFY2(out.size() <= 3, qPrintable(out.join(u'\n'))); // at most screen 2 went on
            QCOMPARE(
                out.last(),
                signal == SIGINT
                    ? QStringLiteral("Interrupted: 1 of 20 screens done.")
                    : QStringLiteral(
                          R"({"delivered":1,"failed":%1,"interrupted":true,"summary":true,"targets":%2})")
                          .arg(out.size() == 3 ? "[2]" : "[]")
                          .arg(out.size() - 1));
        }
        const Run again = runCli(line + QStringList{"reset", "--screen", "1"});
        QCOMPARE(again.status, 0);
    }
};

QTEST_GUILESS_MAIN(TestCliProcess)
#include "tst_cliprocess.moc"
