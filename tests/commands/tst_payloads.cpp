// The bytes each command button puts in its frame, and the values that must
// refuse to become a byte.

#include "commandrig.h"
#include "commands/payloads.h"
#include "core/failure.h"

using krn::FormSnapshot;
using Edit = std::function<void(FormSnapshot&)>;
Q_DECLARE_METATYPE(Edit)

class TestPayloads : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void payloads_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("data"); // hex, without the checksum slot

        const Edit none = [](FormSnapshot&) {};
        const auto width = [](const char* text) {
            return Edit([text](FormSnapshot& f) { f.widthText = QString::fromLatin1(text); });
        };
        // The typical form: width 300.5, height 32, colour 0, scan 3.
        const auto panel = [](const char* size, const char* colourAndScan) {
            return QByteArray("0000") + size + "0020" + colourAndScan + QByteArray(22, '0');
        };
        QTest::newRow("find screen: six zeros") << 1 << none << 23 << QByteArray("000000000000");
        QTest::newRow("reset: one zero, whatever the lists show")
            << 8 << Edit([](FormSnapshot& f) { f = FormSnapshot(); }) << 10 << QByteArray("00");
        QTest::newRow("new speed: the position, not the rate")
            << 3 << none << 13 << QByteArray("02");
        QTest::newRow("new screen 254.5 rounds to even") << 9 << none << 22 << QByteArray("fe");
        QTest::newRow("new screen without a number")
            << 9 << Edit([](FormSnapshot& f) { f.newScreenText = QStringLiteral("none"); }) << 22
            << QByteArray("00");
        QTest::newRow("hardware: positions, and the wiring count's text")
            << 5 << Edit([](FormSnapshot& f) { f.hardwarePositions[3] = -1; }) << 19
            << QByteArray("0100010602000000");
        QTest::newRow("width 300.5 rounds down to even")
            << 7 << none << 11 << panel("012c", "0103");
        QTest::newRow("width 301.5 rounds up to even")
            << 7 << width("301.5") << 11 << panel("012e", "0103");
        QTest::newRow("width 65535 is the largest")
            << 7 << width("65535") << 11 << panel("ffff", "0103");
        QTest::newRow("width without a number") << 7 << width("abc") << 11 << panel("0000", "0103");
        QTest::newRow("single colour (position 1) is code 0")
            << 7 << Edit([](FormSnapshot& f) { f.colourPosition = 1; }) << 11
            << panel("012c", "0003");
        QTest::newRow("colour position 3 is code 3")
            << 7 << Edit([](FormSnapshot& f) { f.colourPosition = 3; }) << 11
            << panel("012c", "0303");
        QTest::newRow("no colour selected is code 0")
            << 7 << Edit([](FormSnapshot& f) { f.colourPosition = -1; }) << 11
            << panel("012c", "0003");
    }

    void payloads()
    {
        QFETCH(int, index);
        QFETCH(Edit, edit);
        QFETCH(int, code);
        QFETCH(QByteArray, data);

        FormSnapshot form = krn::test::typicalForm();
        edit(form);
        const std::optional<krn::Payload> p = krn::buildPayload(index, form);
        QVERIFY(p.has_value());
        QCOMPARE(p->code, code);
        const QByteArray expected = QByteArray::fromHex(data);
        QCOMPARE(p->length, expected.size());
        // The checksum slot follows, still zero: the link fills it.
        QCOMPARE(p->buffer.toHex(), (expected + '\0').toHex());
    }

    void valuesThatDoNotFitAByte_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("shownValue"); // the failure names the value

        QTest::newRow("width 65536")
            << 7 << Edit([](FormSnapshot& f) { f.widthText = QStringLiteral("65536"); })
            << QStringLiteral("256");
        QTest::newRow("width -1") << 7 << Edit([](FormSnapshot& f) {
            f.widthText = QStringLiteral("-1");
        }) << QStringLiteral("-1");
        QTest::newRow("height beyond 32 bits")
            << 7 << Edit([](FormSnapshot& f) { f.heightText = QStringLiteral("3e9"); })
            << QStringLiteral("3000000000");
        QTest::newRow("new screen 255.5")
            << 9 << Edit([](FormSnapshot& f) { f.newScreenText = QStringLiteral("255.5"); })
            << QStringLiteral("256");
        QTest::newRow("new screen beyond 16 bits")
            << 9 << Edit([](FormSnapshot& f) { f.newScreenText = QStringLiteral("40000"); })
            << QStringLiteral("40000");
        QTest::newRow("hardware list without selection")
            << 5 << Edit([](FormSnapshot& f) { f.hardwarePositions[4] = -1; })
            << QStringLiteral("-1");
        QTest::newRow("no new speed selected")
            << 3 << Edit([](FormSnapshot& f) { f.newBaudPosition = -1; }) << QStringLiteral("-1");
    }

    void valuesThatDoNotFitAByte()
    {
        QFETCH(int, index);
        QFETCH(Edit, edit);
        QFETCH(QString, shownValue);

        FormSnapshot form = krn::test::typicalForm();
        edit(form);
        try {
            krn::buildPayload(index, form);
            QFAIL("the payload was built");
        } catch (const krn::Failure& f) {
            QVERIFY2(f.description().contains(shownValue), qPrintable(f.description()));
        }
    }

    void buttonsWithoutAFrameOfTheirOwn()
    {
        for (int index : {-1, 0, 2, 4, 6, 10})
            QVERIFY2(!krn::buildPayload(index, krn::test::typicalForm()),
                     qPrintable(QString::number(index)));
    }
};

QTEST_GUILESS_MAIN(TestPayloads)
#include "tst_payloads.moc"
