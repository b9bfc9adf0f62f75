// The link over a real QSerialPort on a pseudo-terminal, with the virtual
// screen or the test itself at the other end.

#include "support/enginerig.h"
#include "support/ptypair.h"
#include "support/vscreenprocess.h"

#include "strings/stringtable.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using namespace krn;
using krn::test::PtyPair;
using krn::test::VScreenProcess;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}
QString english(const Message& m)
{
    return strings::render(m, strings::Language::English);
}

// Counts the socket-notifier wake-ups the process handles: a port that keeps
// reporting a dead line shows up here as thousands of them, whatever the load
// or the sanitizer does to CPU time.
class WakeUpCounter : public QObject {
public:
    WakeUpCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~WakeUpCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    int wakeUps = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::SockAct || event->type() == QEvent::SockClose)
            ++wakeUps;
        return false;
    }
};
} // namespace

class TestLinkPty : public QObject {
    Q_OBJECT

    // The real parts, with port 1 mapped to `device`.
    struct Rig : krn::test::EngineRig {
        explicit Rig(const QString& device) { mapPort1(device); }

        std::optional<Message> open() { return link.OpenPort(LinkTarget{1, {}, 9600, 1}); }
        // Sends `data` as command `code` to screen 1; returns the wait.
        qint64 send(quint8 code, const QByteArray& data)
        {
            QElapsedTimer t;
            t.start();
            delivery = link.SendFrame(1, code, data);
            return t.elapsed();
        }
        Delivery delivery;
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
        QVERIFY(rig.send(0x0D, hex("02")) < 1000);
        QCOMPARE(pty.received().toHex(' '), QByteArray("5a a5 07 01 00 0d 02 f6"));
        QCOMPARE(rig.state.BusyFlag, qint16(0));

        // A byte waiting before the send is no acknowledgement: the port's
        // input is discarded first. (A batch that merely contains 06: the
        // frame sender's scripted replies.)
        QVERIFY(pty.write(hex("06")));
        QTest::qWait(50);
        QVERIFY(rig.send(0x0A, hex("00")) >= 3000);
        QCOMPARE(rig.state.BusyFlag, qint16(1));
    }

    void hangUpDuringTheWait()
    {
        VScreenProcess vs;
        QVERIFY2(vs.start({QStringLiteral("--hangup-after"), QStringLiteral("1")}),
                 qPrintable(vs.errorText()));
        Rig rig(vs.device());
        rig.open();
        QVERIFY(rig.send(0x0A, hex("00")) < 3000);
        QCOMPARE(rig.state.BusyFlag, qint16(1));
        QVERIFY(!rig.engine.line.isOpen());
        QCOMPARE(rig.delivery.kind, DeliveryKind::LineFault);
        // In plain words, not the system's "Inappropriate ioctl for device".
        QCOMPARE(english(rig.delivery.message),
                 QStringLiteral("The serial port %1 went away: the adapter was unplugged or the "
                                "line hung up. Plug it back in and try again.")
                     .arg(vs.device()));

        // Nothing keeps waking up on the dead line afterwards.
        WakeUpCounter counter;
        QTest::qWait(500);
        QVERIFY2(counter.wakeUps < 5, qPrintable(QString::number(counter.wakeUps)));
    }

    void openPort_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("address"); // %1: the pty
        QTest::addColumn<bool>("held");       // by another program
        QTest::addColumn<QString>("why");     // words of the reason; empty: it opens
        // clang-format off
        QTest::newRow("sixteenth port") << 16 << "" << false << "";
        QTest::newRow("an address given directly") << 0 << "%1" << false << "";
        QTest::newRow("no port chosen") << 0 << "" << false << "No serial port is selected.";
        QTest::newRow("unmapped port") << 300 << "" << false << "Serial port 300 does not exist on this computer. Check that the adapter is plugged in and pick the port it uses.";
        QTest::newRow("in use") << 16 << "" << true << "in use by another program";
        QTest::newRow("no such device") << 0 << "/dev/krntools-no-such-port" << false << "does not exist";
        // clang-format on
    }
    // Opened with the command's speed, or told why not; once open, the port is
    // used as it is, and closing twice is harmless.
    void openPort()
    {
        QFETCH(int, port);
        QFETCH(QString, address);
        QFETCH(QString, why);
        QFETCH(bool, held);
        PtyPair pty;
        QVERIFY(pty.open());
        Rig holder(pty.slavePath());
        if (held)
            QVERIFY(!holder.open());
        Rig rig(pty.slavePath());
        rig.settings.setPortMapping(16, pty.slavePath());
        rig.state.BusyFlag = 7;
        const std::optional<Message> failure = rig.link.OpenPort(
            LinkTarget{port, address.replace(QStringLiteral("%1"), pty.slavePath()), 19200, 1});
        QCOMPARE(int(rig.state.BusyFlag), failure ? 1 : 0);
        QCOMPARE(rig.state.BaudRate, 19200);
        QCOMPARE(rig.engine.line.isOpen(), why.isEmpty());
        if (failure)
            QVERIFY2(english(*failure).contains(why), qPrintable(english(*failure)));
        if (!why.isEmpty())
            return;
        QVERIFY(!failure);
        rig.state.BusyFlag = 1;
        QVERIFY(!rig.link.OpenPort(LinkTarget{2, {}, 9600, 1})); // port 2 is not mapped
        QCOMPARE(rig.state.BusyFlag, qint16(0));
        rig.link.ClosePort();
        rig.link.ClosePort();
        QVERIFY(!rig.engine.line.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestLinkPty)
#include "tst_linkpty.moc"
