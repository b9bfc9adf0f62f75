// The finder's waits, its confirming probes and how it places a late answer,
// on a line whose time is simulated: screens answer after a delay of their
// own, and a late answer lands in whatever wait is running then. (With real
// screens: the process test's find on the paced virtual screen.)

#include "commands/screenfinder.h"
#include "support/fakefinderline.h"

#include <QMap>
#include <QtTest>

using namespace std::chrono_literals;
using krn::ScreenFinder;
using krn::test::FakeFinderLine;
using krn::test::FakeScreen;

namespace {

QString foundText(const krn::FinderResult& r)
{
    QStringList f;
    for (const krn::FoundScreen& s : r.found)
        f << QStringLiteral("%1:%2").arg(s.speed).arg(s.screen);
    return f.join(u' ');
}

} // namespace

Q_DECLARE_METATYPE(QList<krn::test::FakeScreen>)

class TestScreenFinder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A plan's wait is what goes out. Without one a probe covers its and the
    // answer's line time, the round trip and 30 ms until something answered;
    // after that what the slowest answer needed beyond the line, plus 4 ms.
    void waits()
    {
        FakeFinderLine line;
        krn::ScreenFinder finder(line);
        krn::FinderPlan plan{{57600, 9600}, {254, 0}, 80ms, false};
        finder.run(plan);
        QCOMPARE(line.waits, QList<qint32>(6, 80));

        line.waits.clear();
        plan.probeWait.reset();
        line.roundTripMs = 2ms;
        finder.run(plan);
        QCOMPARE(line.waits, QList<qint32>({35, 49, 35, 35, 49, 49}));

        // The screen at 9600 answers the broadcast 5 ms after its line time.
        line.waits.clear();
        line.screens = {{9600, 7, 16 + 2 + 5, true}};
        finder.run(plan);
        QCOMPARE(line.waits.mid(0, 3), QList<qint32>({35, 49, 16 + 2 + 5 + 4}));
    }

    void findsOnlyWhoAnswers_data()
    {
        QTest::addColumn<QList<FakeScreen>>("screens");
        QTest::addColumn<int>("roundTrip");
        QTest::addColumn<bool>("ownSpeed");
        QTest::addColumn<QString>("found");
        using L = QList<FakeScreen>;
        // clang-format off
        QTest::newRow("254 answers the broadcast") << L{{9600, 254, 17, true}} << 0 << true << "9600:254";
        QTest::newRow("40 ms after its line time") << L{{19200, 100, 8 + 40}} << 0 << true << "19200:100";
        QTest::newRow("400 ms late, the last number") << L{{9600, 254, 16 + 400}} << 0 << true << "9600:254";
        QTest::newRow("400 ms late, learned fast first") << L{{9600, 3, 17, true}, {9600, 200, 16 + 400}} << 0 << true << "9600:3 9600:200";
        // Answers later than the probe wait, every one: none is credited to the next number.
        QTest::newRow("three behind a slow network") << L{{9600, 1, 80}, {9600, 2, 80}, {9600, 3, 80}} << 0 << true << "9600:1 9600:2 9600:3";
        QTest::newRow("the round trip measured") << L{{9600, 1, 16 + 60}, {9600, 2, 16 + 60}} << 60 << true << "9600:1 9600:2";
        QTest::newRow("a device server's own speed") << L{{38400, 5, 10}} << 0 << false << "0:5";
        QTest::newRow("nobody") << L{} << 0 << true << "";
        // clang-format on
    }
    void findsOnlyWhoAnswers()
    {
        QFETCH(QList<FakeScreen>, screens);
        QFETCH(int, roundTrip);
        QFETCH(bool, ownSpeed);
        FakeFinderLine line;
        line.screens = screens;
        line.ownSpeed = ownSpeed;
        line.roundTripMs = std::chrono::milliseconds(roundTrip);
        krn::ScreenFinder finder(line);
        const krn::FinderResult r = finder.run(krn::FinderPlan{});
        QCOMPARE(r.end, krn::FinderEnd::Finished);
        QTEST(foundText(r), "found");
        QCOMPARE(r.serverSpeed, !ownSpeed);
        // The server's speed is searched once; ours at each speed.
        QCOMPARE(line.probes.filter(QStringLiteral(":255")).size(), ownSpeed ? 4 : 1);
    }

    void endsEarly_data()
    {
        QTest::addColumn<int>("failSpeedAt");
        QTest::addColumn<int>("faultAtProbe");
        QTest::addColumn<int>("cancelAtProbe");
        QTest::addColumn<krn::FinderEnd>("end");
        QTest::addColumn<int>("probes");
        QTest::addColumn<int>("speed");
        using E = krn::FinderEnd;
        QTest::addRow("a later speed refused") << 38400 << -1 << -1 << E::OpenFailed << 2 << 38400;
        QTest::addRow("fault in a broadcast") << 0 << 3 << -1 << E::LineFault << 3 << 38400;
        QTest::addRow("fault in the numbers") << 0 << 10 << -1 << E::LineFault << 10 << 9600;
        QTest::addRow("cancelled during a probe") << 0 << -1 << 7 << E::Cancelled << 7 << 0;
    }
    void endsEarly()
    {
        QFETCH(int, failSpeedAt);
        QFETCH(int, faultAtProbe);
        QFETCH(int, cancelAtProbe);
        QFETCH(krn::FinderEnd, end);
        QFETCH(int, probes);
        QFETCH(int, speed);
        FakeFinderLine line;
        line.screens = {{9600, 1, 5}};
        line.failSpeedAt = failSpeedAt;
        line.faultAtProbe = faultAtProbe;
        line.cancelAtProbe = cancelAtProbe;
        krn::ScreenFinder finder(line);
        line.finder = &finder;
        const krn::FinderResult r = finder.run(krn::FinderPlan{});
        QCOMPARE(r.end, end);
        QCOMPARE(line.probes.size(), probes);
        QCOMPARE(r.probes, probes);
        QCOMPARE(r.speed, speed);
        // A search that was cancelled starts afresh next time.
        line.cancelAtProbe = -1;
        if (end == krn::FinderEnd::Cancelled) {
            const krn::FinderResult again = finder.run(krn::FinderPlan{{9600}, {}, {}, true});
            QCOMPARE(foundText(again), QStringLiteral("9600:1"));
        }
    }
};

QTEST_GUILESS_MAIN(TestScreenFinder)
#include "tst_screenfinder.moc"
