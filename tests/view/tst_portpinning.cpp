// Port numbers pinned to their adapter: two starts of the program with the
// system's device list changing in between.

#include "link/portpinning.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "window/controltips.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The system's list as a test sets it: "ttyUSB0=usb-FTDI_A;ttyS0", devices in
// the order the system gives them, each with the by-id link named after '='.
// The device nodes and links are real files in a private folder, as udev
// would make them.
struct FakeSystem : krn::SerialDevices {
    explicit FakeSystem(const QString& root) : dev(root + u"/dev"_s), byId(root + u"/by-id"_s)
    {
        QDir().mkpath(dev);
        QDir().mkpath(byId);
    }

    void plug(const QString& plugged)
    {
        for (const QString& old : QDir(dev).entryList(QDir::Files | QDir::System))
            QFile::remove(dev + u'/' + old);
        for (const QString& old : QDir(byId).entryList(QDir::Files | QDir::System))
            QFile::remove(byId + u'/' + old);
        devices.clear();
        for (const QString& entry : plugged.split(u';', Qt::SkipEmptyParts)) {
            const QString name = entry.section(u'=', 0, 0);
            const QString link = entry.section(u'=', 1);
            QFile node(dev + u'/' + name);
            QVERIFY(node.open(QIODevice::WriteOnly));
            if (!link.isEmpty())
                QVERIFY(QFile::link(node.fileName(), byId + u'/' + link));
            devices << krn::SerialDevice{
                node.fileName(), u"USB serial "_s + name, u"FTDI"_s, u"SN-"_s + name,
                krn::SystemSerialDevices::stablePathFor(node.fileName(), byId)};
        }
    }

    QList<krn::SerialDevice> list() const override { return devices; }

    QString dev, byId;
    QList<krn::SerialDevice> devices;
};

} // namespace

class TestPortPinning : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(u"en_US"_s)); }
    void twoStarts_data();
    void twoStarts();
};

// Paths in the table are relative to the private folder; "" is none.
void TestPortPinning::twoStarts_data()
{
    QTest::addColumn<QString>("first");  // the devices at the first start
    QTest::addColumn<QString>("preset"); // [Ports] 1= before the first start
    QTest::addColumn<int>("used");       // the port a command went out on (0: none)
    QTest::addColumn<QString>("pinned"); // [Ports] <used>= afterwards
    QTest::addColumn<QString>("second"); // the devices at the second start
    QTest::addColumn<int>("port");       // asked at the second start
    QTest::addColumn<QString>("opens");
    QTest::addColumn<QString>("info"); // the system's entry it matches
    QTest::addColumn<QString>("tip");  // in the serial-port list's tooltip

    const QString fa = u"ttyUSB0=usb-FTDI_A-if00-port0"_s;
    QTest::newRow("an adapter sorting first is plugged in: the pin holds")
        << fa << "" << 1 << "by-id/usb-FTDI_A-if00-port0" << u"ttyACM0=usb-Arduino_B-if00;"_s + fa
        << 1 << "by-id/usb-FTDI_A-if00-port0"
        << "dev/ttyUSB0"
        << "Pinned to ";
    QTest::newRow("never used: the number still follows the list")
        << fa << "" << 0 << "" << u"ttyACM0=usb-Arduino_B-if00;"_s + fa << 1 << "dev/ttyACM0"
        << "dev/ttyACM0"
        << "Once a command has gone out";
    QTest::newRow("the pinned adapter comes back under another node")
        << fa << "" << 1 << "by-id/usb-FTDI_A-if00-port0"
        << "ttyACM0=usb-Arduino_B-if00;ttyUSB1=usb-FTDI_A-if00-port0" << 1
        << "by-id/usb-FTDI_A-if00-port0"
        << "dev/ttyUSB1"
        << "Serial number: SN-ttyUSB1";
    QTest::newRow("the pinned adapter is unplugged")
        << fa << "" << 1 << "by-id/usb-FTDI_A-if00-port0"
        << "ttyACM0=usb-Arduino_B-if00" << 1 << "by-id/usb-FTDI_A-if00-port0"
        << ""
        << "which is not connected";
    QTest::newRow("no by-id link: the device's own name")
        << "ttyS0"
        << "" << 1 << "dev/ttyS0"
        << "ttyACM0=usb-Arduino_B-if00;ttyS0" << 1 << "dev/ttyS0"
        << "dev/ttyS0"
        << "Pinned to ";
    QTest::newRow("second port pinned, first left alone")
        << u"ttyACM0;"_s + fa << "" << 2 << "by-id/usb-FTDI_A-if00-port0" << fa << 2
        << "by-id/usb-FTDI_A-if00-port0"
        << "dev/ttyUSB0"
        << "Pinned to ";
    QTest::newRow("nothing at that number: nothing pinned") << fa << "" << 2 << "" << fa << 2 << ""
                                                            << ""
                                                            << "no such serial device";
    QTest::newRow("a mapping of the operator's own is kept")
        << fa << "tcp://192.0.2.7:4001" << 1 << "tcp://192.0.2.7:4001"
        << u"ttyACM0=usb-Arduino_B-if00;"_s + fa << 1 << "tcp://192.0.2.7:4001"
        << ""
        << "Pinned to tcp://";
}

void TestPortPinning::twoStarts()
{
    QFETCH(QString, first);
    QFETCH(QString, preset);
    QFETCH(int, used);
    QFETCH(QString, pinned);
    QFETCH(QString, second);
    QFETCH(int, port);
    QFETCH(QString, opens);
    QFETCH(QString, info);
    QFETCH(QString, tip);

    QTemporaryDir dir;
    const QString root = dir.path();
    auto full = [&root](const QString& relative) {
        return relative.isEmpty() || relative.contains(u"://"_s) ? relative
                                                                 : root + u'/' + relative;
    };
    krn::ProfileFile file(root + u"/krntools.ini"_s);
    krn::Settings ini(file);
    if (!preset.isEmpty())
        QVERIFY(ini.setPortMapping(1, preset));
    auto read = [&ini](qint32 n) { return ini.portMapping(n); };
    auto write = [&ini](qint32 n, const QString& path) { return ini.setPortMapping(n, path); };

    FakeSystem system(root);
    system.plug(first);
    {
        krn::PortPinning pins(system, read, write);
        if (used > 0) {
            const QString written = pins.pinAfterUse(used);
            QCOMPARE(written, preset.isEmpty() ? full(pinned) : QString());
        }
        QCOMPARE(read(qMax(used, 1)), full(pinned));
    }

    system.plug(second);
    krn::PortPinning pins(system, read, write);
    const krn::PortRoute route = pins.route(port);
    QCOMPARE(route.device, full(opens));
    QCOMPARE(route.info ? route.info->location : QString(), full(info));
    const QString text = krn::serialPortTip(u"串口%1"_s.arg(port), route);
    QVERIFY2(text.contains(tip), qPrintable(text));
    if (route.source == krn::PortRoute::Source::Settings && !route.present)
        QVERIFY2(text.contains(route.device), qPrintable(text)); // names the missing adapter
    // A second use changes nothing once the number is pinned.
    if (!pinned.isEmpty()) {
        QCOMPARE(pins.pinAfterUse(port), QString());
        QCOMPARE(read(port), full(pinned));
    }
}

QTEST_GUILESS_MAIN(TestPortPinning)
#include "tst_portpinning.moc"
