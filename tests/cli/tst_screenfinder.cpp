#include "commands/screenfinder.h"

#include <QtTest>

using namespace std::chrono_literals;

namespace {

// A line with screens on it: each listens at one speed, has a number, and
// answers a broadcast or not. Records every probe as "speed:screen".
class FakeFinderLine : public krn::FinderLine {
public:
    struct Screen {
        qint32 speed;
        qint32 number;
        bool answersBroadcast;
    };
    bool open(qint32 speed) override
    {
        if (failOpenAt == speed)
            return false;
        m_speed = speed;
        m_open = true;
        return true;
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
        if (probes.size() == cancelAtProbe && finder)
            finder->cancel();
        QByteArray reply;
        for (const Screen& s : screens)
            if (s.speed == m_speed && (s.number == screen || (screen == 255 && s.answersBroadcast)))
                reply += char(0x06);
        return {reply, reply.isEmpty() ? quint32(wait.count()) : 5u, false};
    }

    QList<Screen> screens;
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

QString foundText(const QList<krn::FoundScreen>& found)
{
    QStringList s;
    for (const krn::FoundScreen& f : found)
        s << QStringLiteral("%1:%2").arg(f.speed).arg(f.screen);
    return s.join(u' ');
}

} // namespace

using Screens = QList<FakeFinderLine::Screen>;
Q_DECLARE_METATYPE(Screens)

class TestScreenFinder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The broadcasts come first, one per speed; the speeds that answered one
    // are searched first.
    void search_data()
    {
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<bool>("first");
        QTest::addColumn<QString>("found");
        QTest::addColumn<int>("probes");
        const auto row = [](const char* name, Screens screens, bool first, const char* found,
                            int probes) {
            QTest::addRow("%s", name) << screens << first << QString(found) << probes;
        };
        // 4 speeds x (broadcast + 255 numbers) = 1024 probes for a full search.
        row("empty line", {}, false, "", 1024);
        row("answers the broadcast, first", {{57600, 254, true}}, true, "57600:254", 4 + 255);
        row("silent to the broadcast, first", {{57600, 254, false}}, true, "57600:254",
            4 + 4 * 255);
        row("two speeds", {{9600, 3, false}, {38400, 0, true}}, false, "38400:0 9600:3", 1024);
        row("two on one speed", {{19200, 0, true}, {19200, 254, true}}, false, "19200:0 19200:254",
            1024);
    }
    void search()
    {
        QFETCH(Screens, screens);
        QFETCH(bool, first);
        QFETCH(QString, found);
        QFETCH(int, probes);
        FakeFinderLine line;
        line.screens = screens;
        krn::ScreenFinder finder(line);
        QList<krn::FoundScreen> reported;
        int progressEvents = 0;
        finder.onFound = [&](const krn::FoundScreen& f) { reported << f; };
        finder.onProgress = [&](const krn::FinderProgress& p) {
            QCOMPARE(p.done, progressEvents);
            QCOMPARE(p.total, 1024);
            ++progressEvents;
        };
        krn::FinderPlan plan;
        plan.first = first;
        const krn::FinderResult r = finder.run(plan);
        QCOMPARE(r.end, krn::FinderEnd::Finished);
        QCOMPARE(foundText(r.found), found);
        QCOMPARE(foundText(reported), found);
        QCOMPARE(line.probes.size(), probes);
        QCOMPARE(r.probes, probes);
        QCOMPARE(progressEvents, probes);
        QCOMPARE(line.probes.mid(0, 4),
                 QStringList({"9600:255", "19200:255", "38400:255", "57600:255"}));
    }

    // The plan's own speeds, numbers and wait are what goes out; without a
    // wait, each speed's own covers the probe and the answer, rounded up.
    void plan()
    {
        FakeFinderLine line;
        krn::ScreenFinder finder(line);
        krn::FinderPlan plan;
        plan.speeds = {57600, 9600};
        plan.screens = {254, 0};
        plan.probeWait = 80ms;
        finder.run(plan);
        QCOMPARE(line.probes, QStringList({"57600:255", "9600:255", "57600:254", "57600:0",
                                           "9600:254", "9600:0"}));
        QCOMPARE(line.waits, QList<qint32>(6, 80));

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
        const auto row = [](const char* name, int failOpenAt, int faultAtProbe, int cancelAtProbe,
                            krn::FinderEnd end, int probes, int speed) {
            QTest::addRow("%s", name)
                << failOpenAt << faultAtProbe << cancelAtProbe << end << probes << speed;
        };
        row("cannot open a later speed", 38400, -1, -1, krn::FinderEnd::OpenFailed, 2, 38400);
        row("fault in a broadcast", 0, 3, -1, krn::FinderEnd::LineFault, 3, 38400);
        row("fault in the numbers", 0, 10, -1, krn::FinderEnd::LineFault, 10, 9600);
        row("cancelled during a probe", 0, -1, 7, krn::FinderEnd::Cancelled, 7, 0);
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
        line.screens = {{9600, 1, false}};
        line.failOpenAt = failOpenAt;
        line.faultAtProbe = faultAtProbe;
        line.cancelAtProbe = cancelAtProbe;
        krn::ScreenFinder finder(line);
        line.finder = &finder;
        const krn::FinderResult r = finder.run(krn::FinderPlan{});
        QCOMPARE(r.end, end);
        QCOMPARE(line.probes.size(), probes);
        QCOMPARE(r.speed, speed);
        // A search that was cancelled starts afresh next time.
        if (end == krn::FinderEnd::Cancelled) {
            line.cancelAtProbe = -1;
            line.probes.clear();
            krn::FinderPlan firstOnly;
            firstOnly.first = true;
            QCOMPARE(foundText(finder.run(firstOnly).found), "9600:1");
        }
    }
};

QTEST_GUILESS_MAIN(TestScreenFinder)
#include "tst_screenfinder.moc"
