// The real link over network lines: port numbers mapped in [Ports] to
// rfc2217:// and tcp:// addresses of ser2net, in front of the virtual screen.
// The link behaves as over a serial port: the same waits, the same outcomes.

#include "core/programvalues.h"
#include "core/qteventpump.h"
#include "core/textids.h"
#include "link/anyline.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qtserialport.h"
#include "ser2netprocess.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "support/vscreenprocess.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace krn;
using krn::test::Ser2netProcess;
using krn::test::VScreenProcess;

namespace {
// What the app wires together in main(), with the line that picks by address.
struct NetLinkRig {
    QTemporaryDir dir;
    ProgramValues values;
    ProfileFile file{dir.filePath(QStringLiteral("krntools.ini"))};
    Settings settings{file};
    PortMap ports{&settings};
    AnyLine line{std::make_unique<QtSerialPort>()};
    SteadyClock clock;
    QtEventPump pump;
    Link link{values.link, line, ports, clock, pump};

    VScreenProcess screen;
    Ser2netProcess server;

    // ser2net on the virtual screen, and port 3 mapped to it.
    bool start(bool rfc2217, const QStringList& screenOptions = {})
    {
        if (!screen.start(screenOptions)) {
            qWarning("%s", qPrintable(screen.errorText()));
            return false;
        }
        if (!server.start(rfc2217 ? QStringLiteral("telnet(rfc2217),tcp") : QStringLiteral("tcp"),
                          screen.device(), QStringLiteral("9600o81"))) {
            qWarning("%s", qPrintable(server.errorText()));
            return false;
        }
        return settings.setPortMapping(
            3, QStringLiteral("%1://127.0.0.1:%2")
                   .arg(rfc2217 ? QLatin1String("rfc2217") : QLatin1String("tcp"))
                   .arg(server.port()));
    }
    ~NetLinkRig()
    {
        link.ClosePort();
        server.stop();
        screen.stop();
    }
};

const LinkTarget Port3{3, QString(), 9600, 1};
} // namespace

class TestNetLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void kinds_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::newRow("rfc2217://") << true;
        QTest::newRow("tcp://") << false;
    }

    void resetDelivered_data() { kinds_data(); }
    // The reset frame of a first command, 5A A5 07 01 00 0A 00 F3, is
    // acknowledged through ser2net; the next command opens the line again.
    void resetDelivered()
    {
        QFETCH(bool, rfc2217);
        NetLinkRig rig;
        QVERIFY(rig.start(rfc2217));
        for (int command = 0; command < 2; ++command) {
            QCOMPARE(rig.link.OpenPort(Port3).has_value(), false);
            QCOMPARE(rig.values.link.BusyFlag, 0);
            const Delivery d = rig.link.SendFrame(1, 0x0A, QByteArray(1, '\0'));
            QCOMPARE(int(d.kind), int(DeliveryKind::Acknowledged));
            QCOMPARE(d.reply.toHex(), QByteArray("06"));
            rig.link.ClosePort();
        }
        QVERIFY(rig.screen.waitForLines(2));
        QVERIFY2(rig.screen.logLines()[0].contains(QLatin1String("5A A5 07 01 00 0A 00 F3")),
                 qPrintable(rig.screen.logLines()[0]));
        QVERIFY2(rig.screen.logLines()[1].contains(QLatin1String("5A A5 07 01 01 0A 00 F2")),
                 qPrintable(rig.screen.logLines()[1]));
    }

    void silentScreen_data() { kinds_data(); }
    // Nothing comes back: the written 3000 ms wait and the no-answer outcome.
    void silentScreen()
    {
        QFETCH(bool, rfc2217);
        NetLinkRig rig;
        QVERIFY(rig.start(rfc2217, {QStringLiteral("--mode"), QStringLiteral("silent")}));
        QVERIFY(!rig.link.OpenPort(Port3));
        QElapsedTimer t;
        t.start();
        const Delivery d = rig.link.SendFrame(1, 0x0A, QByteArray(1, '\0'));
        const qint64 ms = t.elapsed();
        QCOMPARE(int(d.kind), int(DeliveryKind::NoAnswer));
        QVERIFY(d.reply.isEmpty());
        QVERIFY2(ms >= 2990 && ms < 3500, qPrintable(QString::number(ms)));
    }

    // The screen's line goes dead in the middle of a series of frames: ser2net
    // hangs up, and the frame fails with that said, at once.
    void hangUpMidSeries()
    {
        NetLinkRig rig;
        QVERIFY(rig.start(true, {QStringLiteral("--hangup-after"), QStringLiteral("3")}));
        QVERIFY(!rig.link.OpenPort(Port3));
        for (int i = 0; i < 2; ++i)
            QCOMPARE(int(rig.link.SendFrame(1, 0x0A, QByteArray(1, '\0')).kind),
                     int(DeliveryKind::Acknowledged));
        QElapsedTimer t;
        t.start();
        const Delivery d = rig.link.SendFrame(1, 0x0A, QByteArray(1, '\0'));
        QCOMPARE(int(d.kind), int(DeliveryKind::LineFault));
        QCOMPARE(int(d.message.id), int(strings::NetClosedByServer));
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(!rig.link.isOpen());
    }

    // Nothing listens at the mapped address: the port does not open, told why.
    void nothingListens()
    {
        NetLinkRig rig;
        QVERIFY(rig.start(true));
        rig.server.stop();
        const std::optional<Message> failure = rig.link.OpenPort(Port3);
        QVERIFY(failure);
        QCOMPARE(int(failure->id), int(strings::NetRefused));
        QCOMPARE(rig.values.link.BusyFlag, 1);
    }
};

QTEST_GUILESS_MAIN(TestNetLink)
#include "tst_netlink.moc"
