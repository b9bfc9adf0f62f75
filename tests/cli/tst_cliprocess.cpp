// krntools-cli as a script runs it: the built program against the virtual
// screen on a pty, with its own krntools.ini in a temporary folder.

#include "krn_version.h"
#include "settings/profilefile.h"
#include "support/vscreenprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using krn::test::VScreenProcess;

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

QString cliExecutable()
{
    const QString path = qEnvironmentVariable("KRN_CLI");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + "/../krntools-cli" : path;
}

// Runs the tool to its end; the event loop keeps the virtual screen's output
// flowing meanwhile.
Run runCli(const QStringList& arguments, int timeoutMs = 60000, const QStringList& unset = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : unset)
        env.remove(name);
    env.insert("LANG", "en_US.UTF-8");
    env.insert("LC_ALL", "en_US.UTF-8");
    p.setProcessEnvironment(env);
    p.start(cliExecutable(), arguments);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (p.state() != QProcess::NotRunning)
        loop.exec();
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(2000);
        return {};
    }
    return Run{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
               QString::fromUtf8(p.readAllStandardOutput()),
               QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestCliProcess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(cliExecutable()).isExecutable(), qPrintable(cliExecutable()));
    }

    // Usage errors name the option and the value, send nothing and end with 2;
    // --help, --version and dry runs open nothing and end with 0.
    void contract_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // expected in standard output
        QTest::addColumn<QString>("err"); // expected in standard error
        const auto row = [](const char* name, QStringList args, int status, const char* out,
                            const char* err) {
            QTest::addRow("%s", name) << args << status << QString(out) << QString(err);
        };
        row("bad speed", {"--speed", "4800", "reset"}, 2, "",
            "--speed 4800 is not a line speed; use 9600, 19200, 38400 or 57600.");
        row("bad list", {"--screen", "1,300", "reset"}, 2, "",
            "--screen 1,300 is not a list of screen numbers");
        row("bad width", {"panel", "--width", "65536"}, 2, "",
            "--width 65536 is outside 0 to 65535.");
        row("wrong password",
            {"hardware", "--password", "1", "--oe", "0", "--byte-order", "0", "--invert", "0",
             "--wraps", "2", "--wrap-mode", "0"},
            2, "", "The password given with --password is not correct.");
        row("chinese error", {"--lang", "zh_CN", "number", "256"}, 2, "",
            "number 256 超出 0 到 255 的范围。");
        row("help", {"--help"}, 0, "find [--speeds LIST] [--screens LIST]", "");
        row("version", {"--version"}, 0, qPrintable("krntools-cli " + QString(krn::kVersion)), "");
        row("dry-run reset",
            {"--dry-run", "--port", "/dev/null", "--speed", "9600", "--screen", "1", "reset"}, 0,
            "Screen 1 at 9600 bit/s, reset: 5A A5 07 01 00 0A 00 F3\n", "");
        row("number for several screens",
            {"--dry-run", "--port", "/dev/null", "--speed", "19200", "--screen", "1,2", "number",
             "7"},
            2, "", "The command number changes one screen at a time");
        row("dry-run panel json",
            {"--dry-run", "--json", "--port", "/dev/null", "--speed", "57600", "--screen", "3,4",
             "panel", "--width", "300", "--height", "32", "--colour", "dual", "--scan", "2"},
            0,
            R"({"command":"panel","frame":"5A A5 19 03 00 0B 00 00 01 2C 00 20 01 02 00 00 00 00 00 00 00 00 00 00 00 E0","screen":3,"speed":57600})"
            "\n"
            R"({"command":"panel","frame":"5A A5 19 04 01 0B 00 00 01 2C 00 20 01 02 00 00 00 00 00 00 00 00 00 00 00 E6","screen":4,"speed":57600})"
            "\n",
            "");
        row("dry-run speed change",
            {"--dry-run", "--port", "/dev/null", "--speed", "9600", "--screen", "255", "speed",
             "38400"},
            0, "Screen 255 at 9600 bit/s, speed: 5A A5 07 FF 00 0D 02 08\n", "");
    }
    void contract()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        VScreenProcess screen;
        QVERIFY2(screen.start(), qPrintable(screen.errorText()));
        // Every run may reach the screen through the remembered port; usage
        // errors and dry runs must not.
        krn::ProfileFile ini(dir.filePath("krntools.ini"));
        ini.writeText(u"Ports", u"1", screen.device());
        const Run r = runCli(QStringList{"--ini", ini.path()} + args);
        QCOMPARE(r.status, status);
        if (status == 0 && !out.endsWith('\n'))
            QVERIFY2(r.out.contains(out), qPrintable(r.out));
        else
            QCOMPARE(r.out, out);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        QTest::qWait(100);
        QCOMPARE(screen.logLines(), QStringList());
    }

    // One connection for the batch, one line per screen, and a summary that
    // names the silent screen.
    void batchWithASilentScreen_data()
    {
        QTest::addColumn<bool>("json");
        QTest::addRow("text") << false;
        QTest::addRow("json") << true;
    }
    void batchWithASilentScreen()
    {
        QFETCH(bool, json);
        QTemporaryDir dir;
        VScreenProcess screen;
        QVERIFY2(screen.start({"--screen", "1,2:silent,3", "--speed", "19200"}),
                 qPrintable(screen.errorText()));
        QStringList args{"--ini",    dir.filePath("krntools.ini"),
                         "--port",   screen.device(),
                         "--speed",  "19200",
                         "--screen", "1-3",
                         "reset"};
        if (json)
            args.prepend("--json");
        const Run r = runCli(args);
        QCOMPARE(r.status, 1);
        const QStringList lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        if (json) {
            QStringList outcomes;
            for (const QString& line : lines.mid(0, 3)) {
                const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
                QCOMPARE(o.value("speed").toInt(), 19200);
                QCOMPARE(o.value("command").toString(), "reset");
                outcomes << QStringLiteral("%1:%2")
                                .arg(o.value("screen").toInt())
                                .arg(o.value("outcome").toString());
            }
            QCOMPARE(outcomes, QStringList({"1:delivered", "2:no-answer", "3:delivered"}));
            QCOMPARE(lines.at(3), R"({"delivered":2,"failed":[2],"summary":true,"targets":3})");
        } else {
            QVERIFY2(lines.at(0).startsWith("Screen 1 at 19200 bit/s, reset: Set parameter ok!"),
                     qPrintable(lines.at(0)));
            QVERIFY2(lines.at(1).startsWith("Screen 2 at 19200 bit/s, reset: "),
                     qPrintable(lines.at(1)));
            QCOMPARE(lines.at(3), "2 of 3 screens done; not done: 2.");
        }
        QTest::qWait(100);
        QCOMPARE(screen.logLines().size(), 3);
    }

    void portCannotBeOpened()
    {
        QTemporaryDir dir;
        const Run r = runCli({"--ini", dir.filePath("krntools.ini"), "--port",
                              dir.filePath("no-such-device"), "--screen", "1", "reset"});
        QCOMPARE(r.status, 3);
        QVERIFY2(r.out.contains("no-such-device"), qPrintable(r.out));
    }

    // After a delivered change of the remembered screen, the settings follow;
    // for another screen, or when nothing answered, they stay.
    void followUps_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("screenMode");
        QTest::addColumn<QString>("port");   // Send_Port afterwards
        QTest::addColumn<QString>("number"); // Send_Screen afterwards
        QTest::addRow("speed of the remembered screen") << QStringList{"speed", "38400"} << "ack"
                                                        << "38400"
                                                        << "1";
        QTest::addRow("number of the remembered screen") << QStringList{"number", "9"} << "ack"
                                                         << "9600"
                                                         << "9";
        QTest::addRow("not answered") << QStringList{"number", "9"} << "silent"
                                      << "9600"
                                      << "1";
        QTest::addRow("another screen") << QStringList{"--screen", "1,2", "speed", "38400"} << "ack"
                                        << "9600"
                                        << "1";
    }
    void followUps()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, screenMode);
        QFETCH(QString, port);
        QFETCH(QString, number);
        QTemporaryDir dir;
        VScreenProcess screen;
        QVERIFY2(screen.start({"--screen", "1,2", "--mode", screenMode}),
                 qPrintable(screen.errorText()));
        krn::ProfileFile ini(dir.filePath("krntools.ini"));
        ini.writeText(u"Ports", u"4", screen.device());
        ini.writeText(u"About", u"Send_Com", "3");
        ini.writeText(u"About", u"Send_Port", "9600");
        ini.writeText(u"About", u"Send_Screen", "1");
        runCli(QStringList{"--ini", ini.path()} + args);
        QCOMPARE(ini.readText(u"About", u"Send_Port", {}), port);
        QCOMPARE(ini.readText(u"About", u"Send_Screen", {}), number);
    }

    // The clock download draws its glyphs without a display too, and a
    // delivered one is remembered as the window remembers it; the hardware
    // options go out with the gate's password.
    void commandsThatNeedMore_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("clockKeys"); // Send_Time/Send_TimeFont/Send_TimeSize after
        QTest::addRow("english clock")
            << QStringList{"clock", "--language", "english", "--font", "Unifont", "--size", "16"}
            << 29 << "1/Unifont/16";
        QTest::addRow("chinese clock from the settings")
            << QStringList{"clock"} << 29 << "0/宋体/12";
        QTest::addRow("hardware") << QStringList{"hardware", "--password", "427163",
                                                 "--oe",     "1",          "--byte-order",
                                                 "0",        "--invert",   "1",
                                                 "--wraps",  "8",          "--wrap-mode",
                                                 "4"}
                                  << 1 << "0/宋体/12";
    }
    void commandsThatNeedMore()
    {
        QFETCH(QStringList, args);
        QFETCH(int, frames);
        QFETCH(QString, clockKeys);
        VScreenProcess screen;
        QVERIFY2(screen.start(), qPrintable(screen.errorText()));
        QTemporaryDir dir;
        krn::ProfileFile ini(dir.filePath("krntools.ini"));
        ini.writeText(u"About", u"Send_Time", "0");
        ini.writeText(u"About", u"Send_TimeFont", "宋体");
        ini.writeText(u"About", u"Send_TimeSize", "12");
        const Run r = runCli(QStringList{"--lang", "zh_CN", "--ini", ini.path(), "--port",
                                         screen.device(), "--speed", "9600", "--screen", "1"} +
                                 args,
                             60000, {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QVERIFY(screen.waitForLines(frames));
        QTest::qWait(100);
        QCOMPARE(screen.logLines().size(), frames);
        QCOMPARE(ini.readText(u"About", u"Send_Time", {}) + '/' +
                     ini.readText(u"About", u"Send_TimeFont", {}) + '/' +
                     ini.readText(u"About", u"Send_TimeSize", {}),
                 clockKeys);
    }

    void trafficLog()
    {
        QTemporaryDir dir;
        VScreenProcess screen;
        QVERIFY2(screen.start(), qPrintable(screen.errorText()));
        const QString log = dir.filePath("traffic.log");
        const Run r = runCli({"--ini", dir.filePath("krntools.ini"), "--port", screen.device(),
                              "--speed", "9600", "--screen", "1", "--log", log, "reset"});
        QCOMPARE(r.status, 0);
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY2(text.contains("5A A5 07 01 00 0A 00 F3"), qPrintable(text));
        QVERIFY2(text.contains(screen.device()), qPrintable(text));
    }

    // The finder at the corners of speed and number, with and without
    // broadcast answers, and on a line where nothing answers.
    void finder_data()
    {
        QTest::addColumn<QStringList>("screenArgs");
        QTest::addColumn<QStringList>("findArgs");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("found");
        const QStringList corners{"--speeds", "9600,57600", "--screens", "0,1,127,253,254"};
        for (const char* speed : {"9600", "57600"})
            for (const char* number : {"0", "254"})
                for (const bool broadcast : {false, true}) {
                    QStringList screenArgs{"--speed", speed, "--screen", number};
                    if (broadcast)
                        screenArgs << "--broadcast-ack";
                    QTest::addRow("%s/%s%s", speed, number, broadcast ? " broadcast" : "")
                        << screenArgs << corners << 0 << QStringLiteral("%1:%2").arg(speed, number);
                }
        QTest::addRow("two screens, first only")
            << QStringList{"--speed", "57600", "--screen", "3,254", "--broadcast-ack"}
            << QStringList{"--first", "--speeds", "9600,57600", "--screens", "254,3"} << 0
            << "57600:254";
        QTest::addRow("empty line") << QStringList{"--mode", "silent"} << corners << 1 << "";
    }
    void finder()
    {
        QFETCH(QStringList, screenArgs);
        QFETCH(QStringList, findArgs);
        QFETCH(int, status);
        QFETCH(QString, found);
        QTemporaryDir dir;
        VScreenProcess screen;
        QVERIFY2(screen.start(screenArgs), qPrintable(screen.errorText()));
        const Run r = runCli(QStringList{"--json", "--ini", dir.filePath("krntools.ini"), "--port",
                                         screen.device(), "find"} +
                             findArgs);
        QCOMPARE(r.status, status);
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
    }
};

QTEST_GUILESS_MAIN(TestCliProcess)
#include "tst_cliprocess.moc"
