// The Telnet decoder of the RFC 2217 line: data and commands apart, whatever
// pieces the stream arrives in.

#include "link/telnetdecoder.h"

#include <QTest>

using krn::TelnetDecoder;
using krn::TelnetEvent;

namespace {
QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

// Feeds `wire` cut at `cuts` (ascending). Returns the data in hex, then the
// events: "C f1" (IAC NOP), "N fd 2c" (IAC DO COM-PORT), "S 2c 6608" (a
// subnegotiation and its payload).
QString decode(const QByteArray& wire, const QList<qsizetype>& cuts)
{
    TelnetDecoder decoder;
    QByteArray data;
    QList<TelnetEvent> events;
    qsizetype from = 0;
    for (qsizetype cut : cuts + QList<qsizetype>{wire.size()}) {
        decoder.feed(QByteArrayView(wire).sliced(from, cut - from), data, events);
        from = cut;
    }
    QStringList out{QString::fromLatin1(data.toHex(' '))};
    for (const TelnetEvent& e : events) {
        if (e.kind == TelnetEvent::Kind::Command)
            out << QString::asprintf("C %02x", e.code);
        else if (e.kind == TelnetEvent::Kind::Negotiation)
            out << QString::asprintf("N %02x %02x", e.code, e.option);
        else
            out << QString::asprintf("S %02x ", e.option) + QString::fromLatin1(e.payload.toHex());
    }
    return out.join(u"; ");
}
} // namespace

class TestTelnetDecoder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitAnywhere_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("decoded");
        // clang-format off
        QTest::newRow("doubled FF is one data FF, a lone one waits") << hex("5affffffff00ff") << "5a ff ff 00";
        QTest::newRow("negotiations") << hex("fffb03fffd2c") << "; N fb 03; N fd 2c";
        QTest::newRow("setting answers around reply bytes") << hex("06fffa2c6500004b00fff015fffa2c6608fff0") << "06 15; S 2c 6500004b00; S 2c 6608";
        QTest::newRow("FF inside a subnegotiation") << hex("fffa2c650000fffffffffff041") << "41; S 2c 650000ffff";
        QTest::newRow("commands, a stray SE among them") << hex("01fff102fff003") << "01 02 03; C f1; C f0";
        QTest::newRow("a command inside a subnegotiation is dropped") << hex("fffa2c6bfff110fff041") << "41; S 2c 6b10";
        QTest::newRow("an empty subnegotiation is nothing") << hex("fffafff041") << "41";
        // clang-format on
    }
    // Byte by byte, and cut at every pair of positions, decodes as in one piece.
    void splitAnywhere()
    {
        QFETCH(QByteArray, wire);
        QFETCH(QString, decoded);
        QList<qsizetype> everyByte;
        for (qsizetype i = 1; i < wire.size(); ++i)
            everyByte << i;
        QCOMPARE(decode(wire, everyByte), decoded);
        for (qsizetype i = 0; i <= wire.size(); ++i) {
            for (qsizetype j = i; j <= wire.size(); ++j) {
                const QString got = decode(wire, {i, j});
                if (got != decoded)
                    QFAIL(
                        qPrintable(QStringLiteral("cut at %1 and %2: %3").arg(i).arg(j).arg(got)));
            }
        }
    }

    // Every byte value comes back as it was escaped; a subnegotiation doubles
    // its FF bytes too.
    void escaping()
    {
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every.append(char(b)).append('\xFF');
        QCOMPARE(decode(krn::telnet::escape(every), {1, 255, 256, 257}),
                 QString::fromLatin1(every.toHex(' ')));
        QCOMPARE(krn::telnet::subnegotiation(44, hex("0100ffff")).toHex(' '),
                 hex("fffa2c0100fffffffffff0").toHex(' '));
    }

    // A peer that never ends its subnegotiation costs bounded memory, and the
    // data after its end still arrives.
    void endlessSubnegotiationIsCutShort()
    {
        TelnetDecoder decoder;
        QByteArray data;
        QList<TelnetEvent> events;
        decoder.feed(hex("fffa2c6a") + QByteArray(100000, '\x11') + hex("fff006"), data, events);
        QCOMPARE(data.toHex(), QByteArray("06"));
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].payload.size(), TelnetDecoder::MaxSubnegotiation - 1);
    }
};

QTEST_GUILESS_MAIN(TestTelnetDecoder)
#include "tst_telnetdecoder.moc"
