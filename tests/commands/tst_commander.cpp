// The command buttons against the virtual screen. No graphical session here,
// so the clock download meets the one failure inside it a test can cause.

#include "commandrig.h"

#include "commands/trafficlog.h"

#include <QLocale>
#include <QRegularExpression>

using namespace krn::test;
using krn::FormSnapshot;
using B = QByteArray;

class TestCommander : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void payloads_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<int>("code"); // 0: nothing leaves, an error box starts with `data`
        QTest::addColumn<B>("data");

        const Edit none = [](FormSnapshot&) {};
        const auto panel = [](const char* width, const char* colour) { // height 32, scan 3
            return B("0000") + width + "0020" + colour + "03" + B(22, '0');
        };
        QTest::newRow("reset") << 8 << none << 10 << B("00");
        QTest::newRow("find") << 1 << none << 23 << B("000000000000");
        QTest::newRow("speed: its position") << 3 << none << 13 << B("02");
        QTest::newRow("screen 254.5") << 9 << none << 22 << B("fe");
        QTest::newRow("screen 255.5") << 9 << SET(newScreenText, "255.5") << 0
                                      << B("The new screen number 255.5 is outside 0 to 255.");
        QTest::newRow("hw") << 5 << SET(hardwarePositions[3], -1) << 19 << B("0100010602000000");
        QTest::newRow("hw, none selected")
            << 5 << SET(hardwarePositions[4], -1) << 0 << B("The value -1 is outside 0 to 255.");
        QTest::newRow("wiring count 256") << 5 << SET(wiringCountText, "256") << 0
                                          << B("The wiring count 256 is outside 0 to 255.");
        QTest::newRow("width 300.5, colour 0") << 7 << none << 11 << panel("012c", "01");
        QTest::newRow("colour 1") << 7 << SET(colourPosition, 1) << 11 << panel("012c", "00");
        QTest::newRow("width 301.5") << 7 << SET(widthText, "301.5") << 11 << panel("012e", "01");
        QTest::newRow("width 65535") << 7 << SET(widthText, "65535") << 11 << panel("ffff", "01");
        QTest::newRow("no number") << 7 << SET(widthText, "abc") << 11 << panel("0000", "01");
        QTest::newRow("width 65536") << 7 << SET(widthText, "65536") << 0
                                     << B("The panel width 65536 is outside 0 to 65535.");
        QTest::newRow("width -1") << 7 << SET(widthText, " -1") << 0
                                  << B("The panel width -1 is outside 0 to 65535.");
        QTest::newRow("height 3e9")
            << 7 << SET(heightText, "3e9") << 0 << B("The panel height 3e9 is outside 0 to 65535.");
        QTest::newRow("a bad width does not stop a reset")
            << 8 << SET(widthText, "99999") << 10 << B("00");
        QTest::newRow("clock, undrawable") << 4 << none << 0 << B("The clock glyphs cannot");
    }
    void payloads()
    {
        QFETCH(int, index);
        QFETCH(Edit, edit);
        QFETCH(int, code);
        QFETCH(B, data);
        Rig rig;
        QVERIFY(rig.start());
        FormSnapshot form = typicalForm();
        edit(form);
        QCOMPARE(rig.run(index, form, unifont()).delivered(), code != 0);
        const QStringList sent = rig.frames(code ? 1 : 0);
        // A failed command closes its port, so the next one opens what the window shows.
        QVERIFY(!rig.link.isOpen() && !rig.commander.running());
        if (!code) {
            QCOMPARE(sent, QStringList());
            // The download fails in drawing, the others name the value that does not fit.
            QVERIFY2(rig.box().startsWith("(!) Error prompt: " + data), qPrintable(rig.box()));
            QVERIFY(!rig.settingsText().contains("Send_Time"));
            return;
        }
        QCOMPARE(sent.size(), 1);
        const B frame = B::fromHex(sent[0].toLatin1());
        QCOMPARE(int(frame[5]), code);
        QCOMPARE(frame.mid(6, frame.size() - 7).toHex(), data);
        QCOMPARE(rig.box(), "(i) Prompt Window: Set parameter ok!");
    }

    void acknowledgement_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("delivered");
        const QString silent("silent"), nak("nak"), one("1"), all("255");
        QTest::newRow("silent") << silent << one << false;
        QTest::newRow("refusing") << nak << one << false;
        // Several screens would answer a broadcast at once: it always succeeds.
        QTest::newRow("255, silent") << silent << all << true;
        QTest::newRow("255, refusing") << nak << all << true;
    }
    void acknowledgement()
    {
        QFETCH(QString, mode);
        QFETCH(QString, screen);
        QFETCH(bool, delivered);
        Rig rig;
        QVERIFY(rig.start({"--mode", mode}));
        FormSnapshot form = typicalForm();
        form.screenText = screen;
        QCOMPARE(rig.run(8, form, unifont()).delivered(), delivered);
        const QStringList sent = rig.frames(1);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].mid(9, 2).toInt(nullptr, 16), screen.toInt());
        const char* box = delivered ? "(i) Prompt Window: " : "(!) error--sending byte...: ";
        QVERIFY2(rig.box().startsWith(box), qPrintable(rig.box()));
        QVERIFY(!rig.link.isOpen());
    }

    // A field engineer reads afterwards what went over the line.
    void trafficLogOfOneReset()
    {
        Rig rig;
        QVERIFY(rig.start());
        krn::TrafficLogFile log(rig.dir.filePath(QStringLiteral("logs/traffic.log")));
        krn::EventFanout events;
        events.add(&log);
        events.add(&rig.events);
        rig.link.setEvents(&events);
        QVERIFY(rig.run(8, typicalForm(), unifont()).delivered());

        QFile file(log.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(file.readAll());
        text.remove(
            QRegularExpression(QStringLiteral("^\\S+ \\S+ "), QRegularExpression::MultilineOption));
        text.remove(QRegularExpression(QStringLiteral(" after \\d+ ms")));
        const QString device = rig.screen.device();
        QCOMPARE(text, QStringLiteral("open    %1 (9600 8O1)\n"
                                      "send    5A A5 07 01 00 0A 00 F3  screen 1, seq 0: reset\n"
                                      "reply   06\n"
                                      "outcome acknowledged\n"
                                      "close   %1\n")
                           .arg(device));
    }

    // A log that cannot be written never stops a command.
    void unwritableLogStopsNothing()
    {
        Rig rig;
        QVERIFY(rig.start());
        QFile blocker(rig.dir.filePath(QStringLiteral("not-a-folder")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        krn::TrafficLogFile log(blocker.fileName() + QStringLiteral("/traffic.log"));
        rig.link.setEvents(&log);
        QVERIFY(rig.run(8, typicalForm(), unifont()).delivered());
        QCOMPARE(rig.box(), "(i) Prompt Window: Set parameter ok!");
        QVERIFY(!QFileInfo::exists(log.path()));
    }

    // The log keeps one older file and stays under its limit.
    void trafficLogRotates()
    {
        QTemporaryDir dir;
        krn::TrafficLogFile log(dir.filePath(QStringLiteral("traffic.log")), 200);
        krn::TrafficRecord r;
        r.kind = krn::TrafficRecord::Kind::Closed;
        r.time = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
        for (int i = 0; i < 10; ++i) {
            r.address = QStringLiteral("/dev/ttyUSB%1").arg(i);
            log.traffic(r);
        }
        QVERIFY(QFileInfo(log.path()).size() <= 200);
        QVERIFY(QFileInfo(log.path() + QStringLiteral(".1")).size() <= 200);
        QFile newest(log.path());
        QVERIFY(newest.open(QIODevice::ReadOnly));
        QVERIFY(newest.readAll().endsWith("close   /dev/ttyUSB9\n"));
        // Nothing else was left in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestCommander)
#include "tst_commander.moc"
