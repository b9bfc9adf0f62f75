#include "core/failure.h"
#include "core/numtext.h"

#include <QtTest>
#include <cmath>

class TestNumText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void narrowing_data();
    void narrowing();
};

void TestNumText::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("blanks and tail") << " \t 300.5abc" << 300.5;
    QTest::newRow("negative") << "-1" << -1.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("signed exponent") << "+25E-1;" << 2.5;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("fraction only") << "-.5" << -0.5;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("comma is no point") << "1,5" << 1.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("blank after sign") << "- 5" << 0.0;
    QTest::newRow("full-width digits") << QString::fromUtf16(u"１２") << 0.0;
    QTest::newRow("too small is zero") << "1e-400" << 0.0;
    QTest::newRow("too large") << "-1e400" << -qInf();
}

void TestNumText::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(krn::leadingNumber(text), expected);
}

// A missing `expected` is an overflow, whose description names the value.
void TestNumText::narrowing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("value");
    QTest::addColumn<QVariant>("expected");
    const QVariant overflow;
    QTest::newRow("2.5 to even") << "int32" << 2.5 << QVariant(2);
    QTest::newRow("3.5 to even") << "int32" << 3.5 << QVariant(4);
    QTest::newRow("301.5") << "int32" << 301.5 << QVariant(302);
    QTest::newRow("int32 max+1") << "int32" << 2147483647.5 << overflow;
    QTest::newRow("int32 -inf") << "int32" << -qInf() << overflow;
    QTest::newRow("byte 254.5") << "byte" << 254.5 << QVariant(254);
    QTest::newRow("byte 255.5") << "byte" << 255.5 << overflow;
    QTest::newRow("byte -0.5") << "byte" << -0.5 << QVariant(0);
    QTest::newRow("byte nan") << "byte" << qQNaN() << overflow;
    QTest::newRow("int16 32767.5") << "int16" << 32767.5 << overflow;
    QTest::newRow("int16 -32768.5") << "int16" << -32768.5 << QVariant(-32768);
    QTest::newRow("whole byte 255") << "wholeByte" << 255.0 << QVariant(255);
    QTest::newRow("whole byte 256") << "wholeByte" << 256.0 << overflow;
    QTest::newRow("whole byte -1") << "wholeByte" << -1.0 << overflow;
    QTest::newRow("whole int16 32768") << "wholeInt16" << 32768.0 << overflow;
}

void TestNumText::narrowing()
{
    QFETCH(QString, kind);
    QFETCH(double, value);
    QFETCH(QVariant, expected);
    try {
        const int result = kind == "byte"        ? krn::toByte(value)
                           : kind == "int16"     ? krn::toInt16(value)
                           : kind == "int32"     ? krn::toInt32(value)
                           : kind == "wholeByte" ? krn::wholeToByte(qint64(value))
                                                 : krn::wholeToInt16(qint64(value));
        QVERIFY2(expected.isValid(), "no overflow");
        QCOMPARE(result, expected.toInt());
    } catch (const krn::Failure& failure) {
        QVERIFY2(!expected.isValid(), qPrintable(failure.description()));
        if (std::isfinite(value))
            QVERIFY2(failure.description().contains(QString::number(value, 'g', 12)),
                     qPrintable(failure.description()));
    }
}

QTEST_GUILESS_MAIN(TestNumText)
#include "tst_numtext.moc"
