// The finder's waits, its confirming probes and how it places a late answer,
// on a line whose time is simulated: screens answer after a delay of their
// own, and a late answer lands in whatever wait is running then. (With real
// screens: the process test's find on the paced virtual screen.)

#include "commands/screenfinder.h"

#include <QMap>
#include <QtTest>

using namespace std::chrono_literals;
using krn::ScreenFinder;

namespace {

struct FakeScreen {
    qint32 speed;
    qint32 number;
    qint32 delay; // ms from the probe's write to the answer's arrival
    bool answersBroadcast = false;
};

class FakeFinderLine : public krn::FinderLine {
public:
    bool open(qint32 speed) override
    {
        m_speed = speed;
        m_open = true;
        return true;
    }
    bool setSpeed(qint32 speed) override
    {
        if (speed == failSpeedAt)
            return false;
        m_speed = speed;
        m_arrivals.clear(); // what was under way at the old speed is noise
        return true;
    }
    bool speedIsOurs() const override { return ownSpeed; }
    void close() override { m_open = false; }
    std::chrono::milliseconds roundTrip() const override { return roundTripMs; }

    krn::ProbeReply probe(qint32 screen, std::chrono::milliseconds wait,
                          std::chrono::milliseconds settle) override
    {
        if (!m_open)
            throw std::logic_error("probe on a closed line");
        probes << QStringLiteral("%1:%2").arg(m_speed).arg(screen);
        waits << qint32(wait.count());
        drop();
        while (settle.count() > 0 && !m_arrivals.isEmpty() &&
               m_arrivals.first() < now + settle.count())
            now = m_arrivals.takeFirst(); // heard while settling: quiet counts afresh
        if (settle.count() > 0)
            now += quint32(settle.count());
        drop();
        const quint32 sentAt = now;
        for (const FakeScreen& s : screens)
            if ((s.speed == m_speed || !ownSpeed) &&
                (s.number == screen || (screen == 255 && s.answersBroadcast)))
                arrive(sentAt + quint32(s.delay));
        if (probes.size() == faultAtProbe)
            return {{}, 0, sentAt, true};
        if (probes.size() == cancelAtProbe)
            finder->cancel();
        return waitFor(sentAt, wait);
    }
    krn::ProbeReply listen(std::chrono::milliseconds wait) override
    {
        drop();
        return waitFor(now, wait);
    }

    QList<FakeScreen> screens;
    bool ownSpeed = true;
    std::chrono::milliseconds roundTripMs{0};
    QStringList probes;
    QList<qint32> waits;
    qint32 failSpeedAt = 0;
    int faultAtProbe = -1;
    int cancelAtProbe = -1;
    krn::ScreenFinder* finder = nullptr;
    quint32 now = 0xFFFFF000u; // the clock wraps during the search

private:
    void arrive(quint32 at)
    {
        m_arrivals << at;
        std::sort(m_arrivals.begin(), m_arrivals.end(),
                  [this](quint32 a, quint32 b) { return a - now < b - now; });
    }
    void drop() // what came before now was discarded unread
    {
        while (!m_arrivals.isEmpty() && qint32(m_arrivals.first() - now) <= 0)
            m_arrivals.removeFirst();
    }
    krn::ProbeReply waitFor(quint32 from, std::chrono::milliseconds wait)
    {
        if (!m_arrivals.isEmpty() && m_arrivals.first() - from < quint32(wait.count())) {
            now = m_arrivals.takeFirst();
            return {QByteArray(1, 0x06), now - from, from, false};
        }
        now = from + quint32(wait.count());
        return {{}, quint32(wait.count()), from, false};
    }

    qint32 m_speed = 0;
    bool m_open = false;
    QList<quint32> m_arrivals;
};

QString foundText(const krn::FinderResult& r)
{
    QStringList f;
    for (const krn::FoundScreen& s : r.found)
        f << QStringLiteral("%1:%2").arg(s.speed).arg(s.screen);
    return f.join(u' ');
}

} // namespace

Q_DECLARE_METATYPE(QList<FakeScreen>)

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
