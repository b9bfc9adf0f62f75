// The link over a real QSerialPort on a pseudo-terminal, with the virtual
// screen or the test itself at the other end.

#include "fakes.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qteventpump.h"
#include "link/qtserialport.h"
#include "settings/profilefile.h"
#include "support/ptypair.h"
#include "support/vscreenprocess.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/resource.h>

using namespace krn;
using krn::test::PtyPair;
using krn::test::VScreenProcess;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}
} // namespace

class TestLinkPty : public QObject {
    Q_OBJECT

    // Everything a command needs, with port 1 mapped to `device`.
    struct Rig {
        explicit Rig(const QString& device) { settings.writeText(u"Ports", u"1", device); }
        QTemporaryDir dir;
        ProfileFile settings{dir.filePath(QStringLiteral("krntools.ini"))};
        PortMap ports{&settings};
        LinkState state;
        QtSerialPort port;
        RecordingBoxes boxes;
        SteadyClock clock;
        QtEventPump pump;
        Link link{state, port, ports, boxes, clock, pump};

        // One command's connection: open, send `payload` to `screen`, close.
        qint64 command(const QString& screen, qint32 code, QByteArray payload, bool close = true)
        {
            link.OpenLink({0, QStringLiteral("9600"), screen});
            if (state.BusyFlag != 0)
                return -1;
            state.CommandCode = code;
            state.PayloadLength = qint32(payload.size()) - 1;
            QElapsedTimer t;
            t.start();
            link.SendFrame(payload);
            const qint64 ms = t.elapsed();
            if (close)
                link.ClosePort();
            return ms;
        }
    };

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void workedExampleOnTheWire()
    {
        PtyPair pty;
        QVERIFY2(pty.open(), qPrintable(pty.errorText()));
        pty.setReceiver([&](const QByteArray&) {
            if (pty.received().size() == 8)
                QTimer::singleShot(10, [&] { pty.write(hex("06")); });
        });
        Rig rig(pty.slavePath());
        const qint64 ms = rig.command(QStringLiteral("1"), 0x0D, hex("0200"));
        QCOMPARE(pty.received().toHex(' '), QByteArray("5a a5 07 01 00 0d 02 f6"));
        QCOMPARE(rig.state.BusyFlag, qint16(0));
        QVERIFY(rig.boxes.boxes.isEmpty());
        QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
        QVERIFY(!rig.port.isOpen());
    }

    // Replies played by hand, each batch a separate write with a pause between.
    void repliesFromTheFarEnd_data()
    {
        QTest::addColumn<QByteArrayList>("batches");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<QString>("body");
        QTest::newRow("nak, then ack later")
            << QByteArrayList{hex("15"), hex("06")} << true << QString();
        QTest::newRow("junk, then ack later")
            << QByteArrayList{hex("0102"), hex("06")} << true << QString();
        QTest::newRow("nak only") << QByteArrayList{hex("15")} << false << "Send error!";
    }
    void repliesFromTheFarEnd()
    {
        QFETCH(QByteArrayList, batches);
        QFETCH(bool, delivered);
        QFETCH(QString, body);
        PtyPair pty;
        QVERIFY(pty.open());
        pty.setReceiver([&](const QByteArray&) {
            if (pty.received().size() != 8)
                return;
            for (int i = 0; i < batches.size(); ++i)
                QTimer::singleShot(20 + 300 * i, [&pty, b = batches[i]] { pty.write(b); });
        });
        Rig rig(pty.slavePath());
        rig.command(QStringLiteral("3"), 0x0A, hex("0000"));
        QCOMPARE(rig.state.BusyFlag, qint16(delivered ? 0 : 1));
        QCOMPARE(rig.boxes.boxes.size(), body.isEmpty() ? 0 : 1);
        if (!body.isEmpty())
            QCOMPARE(rig.boxes.boxes[0].body, body);
    }

    void strayAckBeforeTheSendDoesNotCount()
    {
        PtyPair pty;
        QVERIFY(pty.open());
        Rig rig(pty.slavePath());
        rig.link.OpenLink({0, QStringLiteral("9600"), QStringLiteral("3")});
        QCOMPARE(rig.state.BusyFlag, qint16(0));
        QVERIFY(pty.write(hex("06")));
        QTest::qWait(50); // let the stray byte reach the port's buffer
        rig.state.CommandCode = 10;
        QByteArray payload = hex("0000");
        rig.link.SendFrame(payload);
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].body,
                 QStringLiteral("The hardware control system can't be find!\r\nNumber 3"));
    }

    void virtualScreenModes_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<QString>("body");
        const QString none =
            QStringLiteral("The hardware control system can't be find!\r\nNumber ");
        QTest::newRow("ack") << QStringList{} << "1" << true << QString();
        QTest::newRow("slow ack") << QStringList{"--delay", "400"} << "1" << true << QString();
        QTest::newRow("nak and ack in one batch")
            << QStringList{"--mode", "garbage"} << "1" << false << "Send error!";
        QTest::newRow("another screen's number") << QStringList{} << "3" << false << none + "3";
        QTest::newRow("silent screen")
            << QStringList{"--mode", "silent"} << "1" << false << none + "1";
        QTest::newRow("broadcast, nobody answers") << QStringList{} << "255" << true << QString();
        QTest::newRow("broadcast, a nak")
            << QStringList{"--mode", "nak", "--broadcast-ack"} << "255" << true << QString();
    }
    void virtualScreenModes()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, screen);
        QFETCH(bool, delivered);
        QFETCH(QString, body);
        VScreenProcess vs;
        QVERIFY2(vs.start(options), qPrintable(vs.errorText()));
        Rig rig(vs.device());
        const qint64 ms = rig.command(screen, 0x0A, hex("0000"));
        QCOMPARE(rig.state.BusyFlag, qint16(delivered ? 0 : 1));
        QCOMPARE(rig.boxes.boxes.size(), body.isEmpty() ? 0 : 1);
        if (!body.isEmpty()) {
            QCOMPARE(rig.boxes.boxes[0].body, body);
            QCOMPARE(rig.boxes.boxes[0].title, QStringLiteral("error--sending byte..."));
            QVERIFY2(ms >= 3000, qPrintable(QString::number(ms)));
        }
        // Both clocks count whole milliseconds, so "50 ms" may read 49 here.
        if (screen == QLatin1String("255"))
            QVERIFY2(ms >= 49 && ms < 1000, qPrintable(QString::number(ms)));
        QVERIFY(vs.waitForLines(1));
        QVERIFY(vs.logLines().first().contains(QLatin1String("checksum good")));
    }

    void sequenceRunsOnAcrossCommandsAndWraps()
    {
        VScreenProcess vs;
        QVERIFY2(vs.start(), qPrintable(vs.errorText()));
        Rig rig(vs.device());
        for (int i = 0; i < 258; ++i) {
            rig.command(QStringLiteral("1"), 0x0A, hex("0000"));
            QCOMPARE(rig.state.BusyFlag, qint16(0));
        }
        QVERIFY(vs.waitForLines(258));
        const QStringList lines = vs.logLines();
        QVERIFY(lines[0].contains(QLatin1String("seq 0 ")));
        QVERIFY(lines[255].contains(QLatin1String("seq 255 ")));
        QVERIFY(lines[256].contains(QLatin1String("seq 0 ")));
        QVERIFY(rig.boxes.boxes.isEmpty());
    }

    void hangUpDuringTheWait()
    {
        VScreenProcess vs;
        QVERIFY2(vs.start({QStringLiteral("--hangup-after"), QStringLiteral("1")}),
                 qPrintable(vs.errorText()));
        Rig rig(vs.device());
        const qint64 ms = rig.command(QStringLiteral("1"), 0x0A, hex("0000"), false);
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QVERIFY(!rig.port.isOpen());
        QVERIFY2(ms < 3000, qPrintable(QString::number(ms)));
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Critical);
        QCOMPARE(rig.boxes.boxes[0].title, QStringLiteral("error--sending byte..."));

        // Nothing keeps spinning on the dead line afterwards.
        const double before = cpuMs();
        QTest::qWait(500);
        const double used = cpuMs() - before;
        QVERIFY2(used < 100, qPrintable(QStringLiteral("%1 ms of CPU in 500 ms").arg(used)));
    }

    void portsThatWillNotOpen()
    {
        PtyPair pty;
        QVERIFY(pty.open());
        Rig holder(pty.slavePath());
        holder.link.OpenLink({0, QStringLiteral("9600"), QStringLiteral("1")});
        QVERIFY(holder.port.isOpen());

        Rig second(pty.slavePath());
        second.link.OpenLink({0, QStringLiteral("9600"), QStringLiteral("1")});
        QCOMPARE(second.state.BusyFlag, qint16(1));
        QCOMPARE(second.boxes.boxes.size(), 1);
        QVERIFY2(second.boxes.boxes[0].body.contains(QLatin1String("in use by another program")),
                 qPrintable(second.boxes.boxes[0].body));
        QCOMPARE(second.boxes.boxes[0].title, QStringLiteral("Error prompt"));

        Rig missing(QStringLiteral("/dev/krntools-no-such-port"));
        missing.link.OpenLink({0, QStringLiteral("9600"), QStringLiteral("1")});
        QCOMPARE(missing.state.BusyFlag, qint16(1));
        QVERIFY2(missing.boxes.boxes.value(0).body.contains(QLatin1String("does not exist")),
                 qPrintable(missing.boxes.boxes.value(0).body));
    }
};

QTEST_GUILESS_MAIN(TestLinkPty)
#include "tst_linkpty.moc"
