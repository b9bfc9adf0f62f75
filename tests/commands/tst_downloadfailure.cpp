// A clock download whose glyphs cannot be drawn: here there is no graphical
// session at all, the one failure inside the download that a test can bring
// about for real.

#include "commandrig.h"

#include <QLocale>

using namespace krn::test;

class TestDownloadFailure : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void aFailureInsideTheDownloadIsNoSuccess()
    {
        Rig rig;
        QVERIFY(rig.start({}));
        const QString before = rig.settingsText();

        QVERIFY(!rig.commander->Send_Function(4, typicalForm(), QFont()));
        QVERIFY(!rig.commander->running());
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].title, ErrorTitle);
        QCOMPARE(rig.boxes.boxes[0].icon, krn::MessageIcon::Exclamation);
        QVERIFY(rig.boxes.boxes[0].body.contains(QLatin1String("cannot be drawn")));
        QCOMPARE(rig.frames(0), QStringList());
        QCOMPARE(rig.settingsText(), before);
        QVERIFY(!rig.link->isOpen());

        // The other commands do not draw and still work.
        QVERIFY(rig.commander->Send_Function(8, typicalForm(), QFont()));
        QCOMPARE(rig.frames(1).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDownloadFailure)
#include "tst_downloadfailure.moc"
