// The command buttons end to end: the real serial backend on a pseudo-terminal,
// the virtual screen at the other end, message boxes recorded.

#include "commandrig.h"
#include "strings/stringtable.h"

#include <QLocale>
#include <QTimer>

using krn::FormSnapshot;
using krn::MessageIcon;
using namespace krn::test;
using Edit = std::function<void(FormSnapshot&)>;

Q_DECLARE_METATYPE(Edit)

class TestCommander : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(krn::test::VScreenProcess::executable()),
                 qPrintable(krn::test::VScreenProcess::executable()));
    }
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void commandsOnTheWire_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("frame");

        const Edit none = [](FormSnapshot&) {};
        QTest::newRow("reset") << 8 << none << QStringLiteral("5A A5 07 01 00 0A 00 F3");
        QTest::newRow("find") << 1 << none
                              << QStringLiteral("5A A5 0C 01 00 17 00 00 00 00 00 00 E5");
        QTest::newRow("line speed") << 3 << none << QStringLiteral("5A A5 07 01 00 0D 02 F6");
        QTest::newRow("screen number") << 9 << none << QStringLiteral("5A A5 07 01 00 16 FE 11");
        QTest::newRow("hardware options")
            << 5 << none << QStringLiteral("5A A5 0E 01 00 13 01 00 01 06 02 00 00 00 E7");
        QTest::newRow("panel") << 7 << none
                               << QStringLiteral("5A A5 19 01 00 0B 00 00 01 2C 00 20 01 03 00 "
                                                 "00 00 00 00 00 00 00 00 00 00 E3");
        QTest::newRow("broadcast reset")
            << 8 << Edit([](FormSnapshot& f) { f.screenText = QStringLiteral("255"); })
            << QStringLiteral("5A A5 07 FF 00 0A 00 0D");
    }

    void commandsOnTheWire()
    {
        QFETCH(int, index);
        QFETCH(Edit, edit);
        QFETCH(QString, frame);

        Rig rig;
        QVERIFY(rig.start({}));
        FormSnapshot form = typicalForm();
        edit(form);
        QVERIFY(rig.commander->Send_Function(index, form, unifont()));
        QCOMPARE(rig.frames(1), QStringList{frame});
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].body, SuccessBody);
        QCOMPARE(rig.boxes.boxes[0].title, SuccessTitle);
        QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Information);
        QVERIFY(!rig.link->isOpen());
        QVERIFY(!rig.commander->running());
    }

    void aScreenThatDoesNotAnswer_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("screenText");
        QTest::addColumn<int>("frames");
        QTest::addColumn<bool>("delivered");

        const QStringList silent{"--mode", "silent"};
        const QString one = QStringLiteral("1");
        const QString all = QStringLiteral("255");
        QTest::newRow("silent") << 8 << silent << one << 1 << false;
        QTest::newRow("refusing") << 8 << QStringList{"--mode", "nak"} << one << 1 << false;
        QTest::newRow("another screen number")
            << 8 << QStringList{"--screen", "2"} << one << 1 << false;
        // Several screens would answer a broadcast at once, so it counts as
        // delivered whatever comes back.
        QTest::newRow("broadcast, silent") << 8 << silent << all << 1 << true;
        QTest::newRow("broadcast, refusing")
            << 8 << QStringList{"--mode", "nak"} << all << 1 << true;
        QTest::newRow("broadcast download, silent") << 4 << silent << all << 29 << true;
    }

    void aScreenThatDoesNotAnswer()
    {
        QFETCH(int, index);
        QFETCH(QStringList, arguments);
        QFETCH(QString, screenText);
        QFETCH(int, frames);
        QFETCH(bool, delivered);

        Rig rig;
        QVERIFY(rig.start(arguments));
        const QString before = rig.settingsText();
        FormSnapshot form = typicalForm();
        form.screenText = screenText;
        QCOMPARE(rig.commander->Send_Function(index, form, unifont()), delivered);
        QCOMPARE(rig.frames(frames).size(), frames);
        QCOMPARE(rig.boxes.boxes.size(), 1);
        if (delivered) {
            QCOMPARE(rig.boxes.boxes[0].title, SuccessTitle);
        } else {
            QCOMPARE(rig.boxes.boxes[0].title, SendTitle);
            QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Exclamation);
        }
        QCOMPARE(rig.settingsText() != before, delivered && index == 4);
        QVERIFY(!rig.link->isOpen());
    }

    void aPayloadThatDoesNotFitSendsNothing_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<Edit>("edit");
        QTest::newRow("width 65536")
            << 7 << Edit([](FormSnapshot& f) { f.widthText = QStringLiteral("65536"); });
        QTest::newRow("width -1") << 7 << Edit([](FormSnapshot& f) {
            f.widthText = QStringLiteral("-1");
        });
        QTest::newRow("new screen 255.5")
            << 9 << Edit([](FormSnapshot& f) { f.newScreenText = QStringLiteral("255.5"); });
        QTest::newRow("hardware list without selection")
            << 5 << Edit([](FormSnapshot& f) { f.hardwarePositions[1] = -1; });
    }

    void aPayloadThatDoesNotFitSendsNothing()
    {
        QFETCH(int, index);
        QFETCH(Edit, edit);

        Rig rig;
        QVERIFY(rig.start({}));
        FormSnapshot form = typicalForm();
        edit(form);
        QVERIFY(!rig.commander->Send_Function(index, form, unifont()));
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].title, ErrorTitle);
        QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Exclamation);
        QVERIFY2(rig.boxes.boxes[0].body.contains(QLatin1String("Overflow")),
                 qPrintable(rig.boxes.boxes[0].body));
        // The port is closed again, so the next command opens it afresh with
        // what the window shows then.
        QVERIFY(!rig.link->isOpen());
        QCOMPARE(rig.frames(0), QStringList());

        QVERIFY(rig.commander->Send_Function(8, typicalForm(), unifont()));
        QCOMPARE(rig.frames(1), QStringList{QStringLiteral("5A A5 07 01 00 0A 00 F3")});
    }

    void aClickDuringACommandIsIgnored()
    {
        Rig rig;
        // The answer comes late, so the timer below fires inside the wait.
        QVERIFY(rig.start({"--delay", "300"}));
        bool runningInside = false;
        bool nested = true;
        QTimer::singleShot(50, [&] {
            runningInside = rig.commander->running();
            nested = rig.commander->Send_Function(9, typicalForm(), unifont());
        });
        QVERIFY(rig.commander->Send_Function(8, typicalForm(), unifont()));
        QVERIFY(runningInside);
        QVERIFY(!nested);
        QVERIFY(!rig.commander->running());
        QCOMPARE(rig.frames(1), QStringList{QStringLiteral("5A A5 07 01 00 0A 00 F3")});
        QCOMPARE(rig.boxes.boxes.size(), 1);
    }

    void clockDownload_data()
    {
        QTest::addColumn<int>("clockLanguage");
        QTest::addColumn<QLocale>("interface");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QByteArray>("unit"); // stream bytes 208..239, hex

        const QLocale en(QLocale::English, QLocale::UnitedStates);
        const QLocale zh(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
        // Unifont's degree sign and 'C', two narrow cells.
        QTest::newRow("English clock") << 1 << en << 29 << 912
                                       << QByteArray("00000000182424180000000000000000"
                                                     "000000003c42424040404042423c0000");
        // Unifont's U+2103 is drawn in the left half of its wide cell.
        QTest::newRow("Chinese clock, Chinese table")
            << 0 << zh << 29 << 912
            << QByteArray("40a0a0403c42424040404042423c0000"
                          "00000000000000000000000000000000");
        QTest::newRow("Chinese clock, English table") << 0 << en << 8 << 240 << QByteArray();
    }

    void clockDownload()
    {
        QFETCH(int, clockLanguage);
        QFETCH(QLocale, interface);
        QFETCH(int, frames);
        QFETCH(int, bytes);
        QFETCH(QByteArray, unit);

        QLocale::setDefault(interface);
        Rig rig;
        QVERIFY(rig.start({}));
        rig.values.ClockLanguage = clockLanguage;
        FormSnapshot form = typicalForm();
        form.clockLanguagePosition = clockLanguage;
        QVERIFY(rig.commander->Send_Function(4, form, unifont()));

        const QStringList sent = rig.frames(frames);
        QCOMPARE(sent.size(), frames);
        QByteArray stream;
        for (int i = 0; i < sent.size(); ++i) {
            const QByteArray frame = QByteArray::fromHex(sent[i].toLatin1());
            QCOMPARE(quint8(frame[5]), quint8(20));
            const QByteArray data = payloadOf(sent[i]);
            // Full frames, and one shorter frame with the rest.
            QCOMPARE(data.size(), i + 1 < sent.size() ? 32 : 16);
            stream += data;
        }
        QCOMPARE(stream.size(), bytes);
        // Unifont's '0' opens every table.
        QCOMPARE(stream.left(16).toHex(), QByteArray("00000000182442464a52624224180000"));
        if (!unit.isEmpty())
            QCOMPARE(stream.mid(208, 32).toHex(), unit);
        // The screen assembled the same table.
        QVERIFY2(rig.screen.stop().contains(
                     QStringLiteral("glyph table %1 bytes in %2 frames").arg(bytes).arg(frames)),
                 qPrintable(rig.screen.summary()));

        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].title, interface.language() == QLocale::English
                                               ? SuccessTitle
                                               : krn::strings::load(krn::strings::PromptTitle));
    }

    void aDownloadRemembersTheClockSettings()
    {
        Rig rig;
        QVERIFY(rig.start({}));
        rig.values.ClockFontName = QStringLiteral("宋体");
        rig.values.ClockFontSize = -3; // written as it stands
        FormSnapshot form = typicalForm();
        form.clockLanguagePosition = -1;
        QVERIFY(rig.commander->Send_Function(4, form, unifont()));
        QCOMPARE(rig.frames(29).size(), 29);

        const QString text = rig.settingsText();
        const qsizetype about = text.indexOf(QLatin1String("[About]"));
        const qsizetype time = text.indexOf(QLatin1String("Send_Time=-1"));
        const qsizetype font = text.indexOf(QStringLiteral("Send_TimeFont=宋体"));
        const qsizetype size = text.indexOf(QLatin1String("Send_TimeSize=-3"));
        QVERIFY2(about >= 0 && about < time && time < font && font < size, qPrintable(text));
        QCOMPARE(rig.settings->readText(u"About", u"Send_TimeFont", QString()),
                 QStringLiteral("宋体"));
    }

    void anUnansweredFrameStopsTheDownload()
    {
        Rig rig;
        QVERIFY(rig.start({"--stop-after", "2"}));
        const QString before = rig.settingsText();
        QVERIFY(!rig.commander->Send_Function(4, typicalForm(), unifont()));
        const QStringList sent = rig.frames(3);
        QCOMPARE(sent.size(), 3);
        QCOMPARE(payloadOf(sent[2]).size(), 32);
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].title, SendTitle);
        QCOMPARE(rig.boxes.boxes[0].body, QStringLiteral("Send error!"));
        QCOMPARE(rig.settingsText(), before);
        QVERIFY(!rig.link->isOpen());
    }
};

QTEST_MAIN(TestCommander)
#include "tst_commander.moc"
