// Port numbers pinned to their adapter: two starts of the program with the
// system's device list changing in between.

#include "link/portmap.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "window/controltips.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The system's list as a test sets it: "ttyUSB0=usb-FTDI_A;ttyS0", devices in
// the order the system gives them, each with the by-id link named after '='.
// The device nodes and links are real files in a private folder, as udev
// would make them.
struct FakeSystem : krn::SerialDevices {
    explicit FakeSystem(const QString& root) : dev(root + u"/dev"_s), byId(root + u"/by-id"_s) {}

    void plug(const QString& plugged)
    {
        devices.clear();
        for (const QString& folder : {dev, byId})
            QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder));
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

class TestPortMap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(u"en_US"_s)); }
    void twoStarts_data();
    void twoStarts();
};

// Paths in the table are relative to the private folder; "" is none.
void TestPortMap::twoStarts_data()
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
    const QString fa = u"ttyUSB0=usb-FTDI_A-if00-port0"_s, pa = u"by-id/usb-FTDI_A-if00-port0"_s;
    const QString bfa = u"ttyACM0=usb-Arduino_B-if00;"_s + fa; // an adapter sorting first, then A
    auto row = [](const char* name, const QString& first, const QString& preset, int used,
                  const QString& pinned, const QString& second, int port, const QString& opens,
                  const QString& info, const char* tip) {
        QTest::newRow(name) << first << preset << used << pinned << second << port << opens << info
                            << tip;
    };
    row("an adapter sorting first is plugged in: the pin holds", fa, {}, 1, pa, bfa, 1, pa,
        u"dev/ttyUSB0"_s, "Pinned to ");
    row("never used: the number still follows the list", fa, {}, 0, {}, bfa, 1, u"dev/ttyACM0"_s,
        u"dev/ttyACM0"_s, "Once a command has gone out");
    row("the pinned adapter comes back under another node", fa, {}, 1, pa,
        u"ttyACM0=usb-Arduino_B-if00;ttyUSB1=usb-FTDI_A-if00-port0"_s, 1, pa, u"dev/ttyUSB1"_s,
        "Serial number: SN-ttyUSB1");
    row("the pinned adapter is unplugged", fa, {}, 1, pa, u"ttyACM0=usb-Arduino_B-if00"_s, 1, pa,
        {}, "which is not connected");
    row("no by-id link: the device's own name", u"ttyS0"_s, {}, 1, u"dev/ttyS0"_s,
        u"ttyACM0=usb-Arduino_B-if00;ttyS0"_s, 1, u"dev/ttyS0"_s, u"dev/ttyS0"_s, "Pinned to ");
    row("second port pinned, first left alone", u"ttyACM0;"_s + fa, {}, 2, pa, fa, 2, pa,
        u"dev/ttyUSB0"_s, "Pinned to ");
    row("nothing at that number: nothing pinned", fa, {}, 2, {}, fa, 2, {}, {},
        "no such serial device");
    const QString own = u"tcp://192.0.2.7:4001"_s;
    row("a mapping of the operator's own is kept", fa, own, 1, own, bfa, 1, own, {},
        "Pinned to tcp://");
}

void TestPortMap::twoStarts()
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
    // What the window does once a command went out on a port.
    auto pinAfterUse = [&ini](const krn::PortMap& map, qint32 n) {
        const QString path = krn::PortMap::pinFor(map.route(n));
        if (!path.isEmpty())
            ini.setPortMapping(n, path);
        return path;
    };

    FakeSystem system(root);
    system.plug(first);
    {
        const krn::PortMap map(&ini, &system);
        if (used > 0) {
            const QString written = pinAfterUse(map, used);
            QCOMPARE(written, preset.isEmpty() ? full(pinned) : QString());
        }
        QCOMPARE(read(qMax(used, 1)), full(pinned));
    }

    system.plug(second);
    const krn::PortMap map(&ini, &system);
    const krn::PortRoute route = map.route(port);
    QCOMPARE(route.device, full(opens));
    QCOMPARE(route.info ? route.info->location : QString(), full(info));
    const QString text = krn::serialPortTip(u"串口%1"_s.arg(port), route);
    QVERIFY2(text.contains(tip), qPrintable(text));
    if (route.source == krn::PortRoute::Source::Settings && !route.present)
        QVERIFY2(text.contains(route.device), qPrintable(text)); // names the missing adapter
    // A second use changes nothing once the number is pinned.
    if (!pinned.isEmpty()) {
        QCOMPARE(pinAfterUse(map, port), QString());
        QCOMPARE(read(port), full(pinned));
    }
}

QTEST_GUILESS_MAIN(TestPortMap)
#include "tst_portmap.moc"
