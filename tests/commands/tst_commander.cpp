// The command buttons against the virtual screen. No graphical session here,
// so the clock download meets the one failure inside it a test can cause.

#include "commands/trafficlog.h"
#include "support/windowrig.h"

#include <QLocale>
#include <QRegularExpression>
#include <map>

using namespace krn::test;
using krn::FormSnapshot;
using B = QByteArray;

class TestCommander : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // A button pressed on a screen in `mode`: the frame that leaves (code 0:
    // none) and the box that starts with `box`.
    void payloads_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<int>("code");
        QTest::addColumn<B>("data");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("mode");
        const QString ok = "(i) Prompt Window: Set parameter ok!", no = "(!) Error prompt: ";
        const auto row = [&](const char* name, int index, Edit edit, int code, B data,
                             QString box = {}, QString mode = {}) {
            QTest::newRow(name) << index << edit << code << data << (box.isEmpty() ? ok : box)
                                << mode;
        };
        const Edit none = [](FormSnapshot&) {};
        const auto panel = [](const char* width, const char* colour) { // height 32, scan 3
            return B("0000") + width + "0020" + colour + "03" + B(22, '0');
        };
        row("find", 1, none, 23, "000000000000");
        row("screen 255.5", 9, SET(newScreenText, "255.5"), 0, {},
            no + "The new screen number 255.5 is outside 0 to 255.");
        row("hw", 5, SET(hardwarePositions[3], -1), 19, "0100010602000000");
        row("hw, none selected", 5, SET(hardwarePositions[4], -1), 0, {},
            no + "The value -1 is outside 0 to 255.");
        row("width 300.5, colour 0", 7, none, 11, panel("012c", "01"));
        row("colour 1", 7, SET(colourPosition, 1), 11, panel("012c", "00"));
        row("width 65536", 7, SET(widthText, "65536"), 0, {},
            no + "The panel width 65536 is outside 0 to 65535.");
        row("a bad width does not stop a reset", 8, SET(widthText, "99999"), 10, "00");
        // The download fails in drawing: no success, no clock settings.
        row("clock, undrawable", 4, none, 0, {}, no + "The clock glyphs cannot");
        const QString fault = "(!) error--sending byte...: ";
        row("silent", 8, none, 10, "00", fault, "silent");
        row("refusing", 8, none, 10, "00", fault, "nak");
        // Several screens would answer a broadcast at once: it always succeeds.
        row("255, silent", 8, SET(screenText, "255"), 10, "00", ok, "silent");
        row("255, refusing", 8, SET(screenText, "255"), 10, "00", ok, "nak");
    }
    void payloads()
    {
        QFETCH(int, index);
        QFETCH(Edit, edit);
        QFETCH(int, code);
        QFETCH(QString, box);
        QFETCH(QString, mode);
        std::unique_ptr<FormRig>& shared = m_screens[mode];
        if (!shared) {
            shared = std::make_unique<FormRig>();
            QVERIFY(shared->start(mode.isEmpty() ? QStringList() : QStringList{"--mode", mode}));
        }
        FormRig& rig = *shared;
        rig.boxes.boxes.clear();
        FormSnapshot form = typicalForm();
        edit(form);
        QCOMPARE(rig.run(index, form).delivered(), box.startsWith("(i)"));
        const QStringList sent = rig.frames(code ? 1 : 0);
        // A failed command closes its port, so the next one opens what the window shows.
        QVERIFY(!rig.link.isOpen() && !rig.commander.running());
        QVERIFY2(rig.boxes.boxes.size() == 1 && rig.boxes.text().startsWith(box),
                 qPrintable(rig.boxes.text()));
        QCOMPARE(sent.size(), code ? 1 : 0);
        if (!code) {
            QVERIFY(!rig.fileBytes().contains("Send_Time"));
            return;
        }
        const B frame = B::fromHex(sent[0].toLatin1());
        QCOMPARE(int(quint8(frame[3])), form.screenText.toInt());
        QCOMPARE(int(frame[5]), code);
        QTEST(frame.mid(6, frame.size() - 7).toHex(), "data");
    }

    // A field engineer reads afterwards what went over the line; a log that
    // cannot be written never stops a command.
    void trafficLog_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::newRow("one reset") << true;
        QTest::newRow("unwritable") << false;
    }
    void trafficLog()
    {
        QFETCH(bool, writable);
        FormRig rig;
        QVERIFY(rig.start());
        QFile blocker(rig.dir.filePath(QStringLiteral("logs")));
        QVERIFY(writable || blocker.open(QIODevice::WriteOnly)); // a file where the folder goes
        blocker.close();
        krn::TrafficLogFile log(blocker.fileName() + QStringLiteral("/traffic.log"));
        rig.link.setEvents(&log);
        QVERIFY(rig.run(8, typicalForm()).delivered());
        QCOMPARE(rig.boxes.text(), "(i) Prompt Window: Set parameter ok!");
        QFile file(log.path());
        QCOMPARE(file.open(QIODevice::ReadOnly), writable);
        if (!writable)
            return;
        QString text = QString::fromUtf8(file.readAll());
        text.remove(
            QRegularExpression(QStringLiteral("^\\S+ \\S+ "), QRegularExpression::MultilineOption));
        text.remove(QRegularExpression(QStringLiteral(" after \\d+ ms")));
        QCOMPARE(text, QStringLiteral("open    %1 (9600 8O1)\n"
                                      "send    5A A5 07 01 00 0A 00 F3  screen 1, seq 0: reset\n"
                                      "reply   06\n"
                                      "outcome acknowledged\n"
                                      "close   %1\n")
                           .arg(rig.screen.device()));
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

private:
    std::map<QString, std::unique_ptr<FormRig>> m_screens; // one virtual screen per mode
};

QTEST_GUILESS_MAIN(TestCommander)
#include "tst_commander.moc"
