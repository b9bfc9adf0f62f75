#include "core/failure.h"
#include "core/numtext.h"

#include <QtTest>

class TestNumText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // leadingNumber, toInt16 (whole: wholeToInt16, wholeToByte); "-": overflow
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        auto row = [](auto t, auto e) { QTest::newRow(t) << QString(t) << QString(e); };
        row(" \t 1.2.3", "1.2 1"); // blanks skipped, second point stops
        row("+25E-1;", "2.5 2");
        row("-.5e", "-0.5 0"); // exponent without digits
        row("- 5", "0 0 0 0");
        row("\uFF11\uFF12", "0 0 0 0"); // full-width digits
        row("1e-400", "0 0 0 0");
        row("-4001e-400", "-0 0 0 0"); // too small for a double: a zero of its sign
        row("-1e400", "-inf -");
        row("255.5", "255.5 256");
        row("32767.5", "32767.5 -");
        row("-32768.5", "-32768.5 -32768");
        row("2147483647.5", "2147483647.5 -");
        row("255", "255 255 255 255");
        row("256", "256 256 256 -");
        row("-32769", "-32769 - - -");
    }
    void numbers()
    {
        QFETCH(QString, text);
        const double value = krn::leadingNumber(text);
        const QString shown = QString::number(value, 'g', 12); // as an overflow names it
        const auto run = [&shown](auto convert, auto argument) {
            try {
                return QString::number(convert(argument));
            } catch (const krn::Failure& failure) {
                // An overflow names the value as it was given.
                const krn::Message& m = failure.message();
                return m.args.value(0).literal == shown ? QString("-") : QString::number(m.id);
            }
        };
        // QString::number shows a negative zero as "0".
        QStringList got{value == 0 && std::signbit(value) ? QString("-0") : shown,
                        run(krn::toInt16, value)};
        if (qIsFinite(value) && value == std::floor(value))
            got << run(krn::wholeToInt16, qint64(value)) << run(krn::wholeToByte, qint64(value));
        QTEST(got.join(u' '), "expected");
    }
};

QTEST_GUILESS_MAIN(TestNumText)
#include "tst_numtext.moc"
