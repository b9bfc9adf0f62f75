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

// Events written compactly: "N fd 2c" (IAC DO COM-PORT), "S 2c 65000025 80"
// (a subnegotiation and its payload), "C f1" (IAC NOP).
QString describe(const QList<TelnetEvent>& events)
{
    QStringList out;
    for (const TelnetEvent& e : events) {
        const auto b = [](quint8 v) {
            return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0'));
        };
        switch (e.kind) {
        case TelnetEvent::Kind::Command:
            out << QStringLiteral("C ") + b(e.code);
            break;
        case TelnetEvent::Kind::Negotiation:
            out << QStringLiteral("N ") + b(e.code) + QLatin1Char(' ') + b(e.option);
            break;
        case TelnetEvent::Kind::Subnegotiation:
            out << QStringLiteral("S ") + b(e.option) + QLatin1Char(' ') +
                       QString::fromLatin1(e.payload.toHex());
            break;
        }
    }
    return out.join(QLatin1String("; "));
}

struct Decoded {
    QByteArray data;
    QList<TelnetEvent> events;
};

// Feeds `wire` cut at the given positions (ascending).
Decoded feedInPieces(const QByteArray& wire, const QList<qsizetype>& cuts)
{
    TelnetDecoder decoder;
    Decoded out;
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        decoder.feed(QByteArrayView(wire).sliced(from, cut - from), out.data, out.events);
        from = cut;
    }
    decoder.feed(QByteArrayView(wire).sliced(from), out.data, out.events);
    return out;
}
} // namespace

class TestTelnetDecoder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitAnywhere_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("events");

        QTest::newRow("a frame as it is")
            << hex("5aa50701000a00f3") << hex("5aa50701000a00f3") << QString();
        QTest::newRow("doubled FF is one data FF")
            << hex("5affffffff00ff") << hex("5affff00") << QString();
        QTest::newRow("ser2net's greeting")
            << hex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2c") << QByteArray()
            << QStringLiteral("N fb 03; N fd 03; N fb 01; N fe 01; N fd 00; N fb 00; N fd 2c");
        QTest::newRow("setting answers around reply bytes")
            << hex("06fffa2c6500004b00fff015fffa2c6608fff0") << hex("0615")
            << QStringLiteral("S 2c 6500004b00; S 2c 6608");
        QTest::newRow("FF inside a subnegotiation")
            << hex("fffa2c650000ffffffffff f0 41") << hex("41")
            << QStringLiteral("S 2c 650000ffff");
        QTest::newRow("commands between data bytes")
            << hex("01fff102fff903fff204fff3") << hex("01020304")
            << QStringLiteral("C f1; C f9; C f2; C f3");
        QTest::newRow("line state notice after an acknowledgement")
            << hex("06fffa2c6a60fff0") << hex("06") << QStringLiteral("S 2c 6a60");
        QTest::newRow("a command inside a subnegotiation is dropped")
            << hex("fffa2c6bfff110fff041") << hex("41") << QStringLiteral("S 2c 6b10");
        QTest::newRow("an empty subnegotiation is nothing")
            << hex("fffafff041") << hex("41") << QString();
        QTest::newRow("a stray SE is a command, not data")
            << hex("41fff042") << hex("4142") << QStringLiteral("C f0");
    }

    // The stream cut once at every position, cut twice at every pair of
    // positions, and fed byte by byte, decodes exactly as in one piece.
    void splitAnywhere()
    {
        QFETCH(QByteArray, wire);
        QFETCH(QByteArray, data);
        QFETCH(QString, events);

        const Decoded whole = feedInPieces(wire, {});
        QCOMPARE(whole.data.toHex(' '), data.toHex(' '));
        QCOMPARE(describe(whole.events), events);

        for (qsizetype i = 0; i <= wire.size(); ++i) {
            for (qsizetype j = i; j <= wire.size(); ++j) {
                const Decoded cut = feedInPieces(wire, {i, j});
                if (cut.data != data || describe(cut.events) != events)
                    QFAIL(qPrintable(
                        QStringLiteral("cut at %1 and %2: data %3, events %4")
                            .arg(i)
                            .arg(j)
                            .arg(QString::fromLatin1(cut.data.toHex(' ')), describe(cut.events))));
            }
        }
        QList<qsizetype> everyByte;
        for (qsizetype i = 1; i < wire.size(); ++i)
            everyByte << i;
        const Decoded bytewise = feedInPieces(wire, everyByte);
        QCOMPARE(bytewise.data.toHex(' '), data.toHex(' '));
        QCOMPARE(describe(bytewise.events), events);
    }

    void escapedDataComesBackUnchanged()
    {
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every.append(char(b)).append(char(0xFF)).append(char(b));
        const QByteArray wire = krn::telnet::escape(every);
        QCOMPARE(wire.size(), every.size() + every.count(char(0xFF)));
        const Decoded back = feedInPieces(wire, {1, 255, 256, 257});
        QCOMPARE(back.data, every);
        QVERIFY(back.events.isEmpty());
    }

    void outgoingCommands_data()
    {
        QTest::addColumn<QByteArray>("made");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("negotiation")
            << krn::telnet::negotiation(krn::telnet::Will, 44) << hex("fffb2c");
        QTest::newRow("speed 65535 doubles its FF bytes")
            << krn::telnet::subnegotiation(44, hex("010000ffff"))
            << hex("fffa2c 010000 ffffffff fff0");
        QTest::newRow("data FF FF")
            << krn::telnet::escape(hex("5aa50dffff00")) << hex("5aa50dffffffff00");
    }
    void outgoingCommands()
    {
        QFETCH(QByteArray, made);
        QFETCH(QByteArray, wire);
        QCOMPARE(made.toHex(' '), wire.toHex(' '));
    }

    // A peer that never ends its subnegotiation costs bounded memory, and the
    // data after its end still arrives.
    void endlessSubnegotiationIsCutShort()
    {
        TelnetDecoder decoder;
        QByteArray data;
        QList<TelnetEvent> events;
        decoder.feed(hex("fffa2c6a"), data, events);
        const QByteArray filler(100000, '\x11');
        decoder.feed(filler, data, events);
        decoder.feed(hex("fff006"), data, events);
        QCOMPARE(data.toHex(), QByteArray("06"));
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].option, quint8(0x2c));
        QCOMPARE(events[0].payload.size(), TelnetDecoder::MaxSubnegotiation - 1);
    }
};

QTEST_GUILESS_MAIN(TestTelnetDecoder)
#include "tst_telnetdecoder.moc"
