// The link over a real QSerialPort on a pseudo-terminal, with the virtual
// screen or the test itself at the other end.

#include "fakes.h"
#include "support/linkrig.h"
#include "support/ptypair.h"
#include "support/vscreenprocess.h"

#include <QElapsedTimer>
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
const QString NotFound = QStringLiteral("The hardware control system can't be find!\r\nNumber ");

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

    // The real parts, with port 1 mapped to `device`.
    struct Rig : krn::test::LinkRig {
        explicit Rig(const QString& device) { mapPort1(device); }

        void open(const QString& screen = QStringLiteral("1"))
        {
            link.OpenLink({0, QStringLiteral("9600"), screen});
        }
        // Sends `payload` as command `code` on the open port; returns the wait.
        qint64 send(qint32 code, QByteArray payload)
        {
            state.CommandCode = code;
            state.PayloadLength = qint32(payload.size()) - 1;
            QElapsedTimer t;
            t.start();
            link.SendFrame(payload);
            return t.elapsed();
        }
    };

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void whatCountsAsAnAcknowledgement()
    {
        PtyPair pty;
        QVERIFY2(pty.open(), qPrintable(pty.errorText()));
        pty.setReceiver([&](const QByteArray&) {
            if (pty.received().size() == 8)
                QTimer::singleShot(10, [&] { pty.write(hex("06")); });
        });
        Rig rig(pty.slavePath());
        rig.open();
        QVERIFY(rig.send(0x0D, hex("0200")) < 1000);
        QCOMPARE(pty.received().toHex(' '), QByteArray("5a a5 07 01 00 0d 02 f6"));
        QCOMPARE(rig.state.BusyFlag, qint16(0));

        // Neither a byte waiting before the send nor a batch that merely
        // contains 06 after something else is an acknowledgement.
        for (const QByteArray& early : {hex("06"), hex("1506")}) {
            pty.setReceiver([&](const QByteArray&) {
                if (early.size() == 2)
                    pty.write(early);
            });
            if (early.size() == 1)
                QVERIFY(pty.write(early));
            QTest::qWait(50);
            QVERIFY(rig.send(0x0A, hex("0000")) >= 3000);
            QCOMPARE(rig.state.BusyFlag, qint16(1));
        }
        // This connection has had an answer already, so the text says so.
        QCOMPARE(rig.boxes.boxes.size(), 2);
        QCOMPARE(rig.boxes.boxes[1].body, QStringLiteral("Send error!"));
    }

    void hangUpDuringTheWait()
    {
        VScreenProcess vs;
        QVERIFY2(vs.start({QStringLiteral("--hangup-after"), QStringLiteral("1")}),
                 qPrintable(vs.errorText()));
        Rig rig(vs.device());
        rig.open();
        QVERIFY(rig.send(0x0A, hex("0000")) < 3000);
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.boxes.boxes.size(), 1);
        QCOMPARE(rig.boxes.boxes[0].icon, MessageIcon::Critical);

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
        holder.open();
        QVERIFY(holder.port.isOpen());

        Rig second(pty.slavePath());
        second.open();
        Rig missing(QStringLiteral("/dev/krntools-no-such-port"));
        missing.open();
        for (const auto& [rig, words] : {std::pair{&second, "in use by another program"},
                                         std::pair{&missing, "does not exist"}}) {
            QCOMPARE(rig->state.BusyFlag, qint16(1));
            QCOMPARE(rig->boxes.boxes.size(), 1);
            QVERIFY2(rig->boxes.boxes[0].body.contains(QLatin1String(words)),
                     qPrintable(rig->boxes.boxes[0].body));
            QCOMPARE(rig->boxes.boxes[0].title, QStringLiteral("Error prompt"));
        }
    }
};

QTEST_GUILESS_MAIN(TestLinkPty)
#include "tst_linkpty.moc"
