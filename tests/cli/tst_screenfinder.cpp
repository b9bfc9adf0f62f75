// The finder's search order and its corners with real screens are the
// process test's (krntools-cli find on the virtual screen); here the waits and
// the ends a real line does not reach on demand.

#include "commands/screenfinder.h"

#include <QtTest>

using namespace std::chrono_literals;

namespace {

// Screen 1 answers at 9600; every probe is recorded as "speed:screen".
class FakeFinderLine : public krn::FinderLine {
public:
    bool open(qint32 speed) override
    {
        m_speed = speed;
        m_open = speed != failOpenAt;
        return m_open;
    }
    void close() override { m_open = false; }
    krn::ProbeReply probe(qint32 screen, std::chrono::milliseconds wait) override
    {
        if (!m_open)
            throw std::logic_error("probe on a closed line");
        probes << QStringLiteral("%1:%2").arg(m_speed).arg(screen);
        waits << qint32(wait.count());
        if (probes.size() == faultAtProbe)
            return {{}, 0, true};
        if (probes.size() == cancelAtProbe)
            finder->cancel();
        return {m_speed == 9600 && screen == 1 ? QByteArray(1, 0x06) : QByteArray(), 5, false};
    }

    QStringList probes;
    QList<qint32> waits;
    qint32 failOpenAt = 0;
    int faultAtProbe = -1;
    int cancelAtProbe = -1;
    krn::ScreenFinder* finder = nullptr;

private:
    qint32 m_speed = 0;
    bool m_open = false;
};

} // namespace

class TestScreenFinder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The plan's wait is what goes out; without one, each speed's own covers
    // the probe and the answer, rounded up. Progress counts every probe.
    void waits()
    {
        FakeFinderLine line;
        krn::ScreenFinder finder(line);
        QList<int> done;
        finder.onProgress = [&](const krn::FinderProgress& p) {
            QCOMPARE(p.total, 6);
            done << p.done;
        };
        krn::FinderPlan plan{{57600, 9600}, {254, 0}, 80ms, false};
        finder.run(plan);
        QCOMPARE(line.waits, QList<qint32>(6, 80));
        QCOMPARE(done, QList<int>({0, 1, 2, 3, 4, 5}));
        line.waits.clear();
        plan.probeWait.reset();
        finder.run(plan);
        QCOMPARE(line.waits, QList<qint32>({33, 47, 33, 33, 47, 47}));
    }

    void endsEarly_data()
    {
        QTest::addColumn<int>("failOpenAt");
        QTest::addColumn<int>("faultAtProbe");
        QTest::addColumn<int>("cancelAtProbe");
        QTest::addColumn<krn::FinderEnd>("end");
        QTest::addColumn<int>("probes");
        QTest::addColumn<int>("speed");
        using E = krn::FinderEnd;
        QTest::addRow("cannot open a later speed")
            << 38400 << -1 << -1 << E::OpenFailed << 2 << 38400;
        QTest::addRow("fault in a broadcast") << 0 << 3 << -1 << E::LineFault << 3 << 38400;
        QTest::addRow("fault in the numbers") << 0 << 10 << -1 << E::LineFault << 10 << 9600;
        QTest::addRow("cancelled during a probe") << 0 << -1 << 7 << E::Cancelled << 7 << 0;
    }
    void endsEarly()
    {
        QFETCH(int, failOpenAt);
        QFETCH(int, faultAtProbe);
        QFETCH(int, cancelAtProbe);
        QFETCH(krn::FinderEnd, end);
        QFETCH(int, probes);
        QFETCH(int, speed);
        FakeFinderLine line;
        line.failOpenAt = failOpenAt;
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
            QCOMPARE(again.found.size(), 1);
            QCOMPARE(again.found.first().screen, 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestScreenFinder)
#include "tst_screenfinder.moc"
