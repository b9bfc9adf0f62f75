#include "window/clockpreview.h"

#include <QTest>

using namespace Qt::StringLiterals;
using krn::strings::Language;

Q_DECLARE_METATYPE(Language)

class TestClockPreview : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void caption_data();
    void caption();
};

void TestClockPreview::caption_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("clockLanguage");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    const QDateTime tuesday(QDate(2008, 1, 1), QTime(1, 2, 3));
    const QDateTime sunday(QDate(2008, 1, 6), QTime(12, 0, 0));
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale cn(QLocale::Chinese, QLocale::China);
    const QLocale tw(QLocale::Chinese, QLocale::Taiwan);
    using enum Language;

    QTest::newRow("Tue, Chinese clock, Simplified")
        << tuesday << 0 << SimplifiedChinese << cn << u" 08-01-01 星期二 01:02:03"_s;
    QTest::newRow("Tue, Chinese clock, Traditional")
        << tuesday << 0 << TraditionalChinese << tw << u" 08-01-01 星期二 01:02:03"_s;
    QTest::newRow("Tue, Chinese clock, English")
        << tuesday << 0 << English << us << u" 08-01-01 Week 2 01:02:03"_s;
    QTest::newRow("Tue, English clock, English")
        << tuesday << 1 << English << us << u" 08-01-01  Tue   01:02:03"_s;
    QTest::newRow("Tue, English clock, Simplified")
        << tuesday << 1 << SimplifiedChinese << cn << u" 08-01-01  周二   01:02:03"_s;

    QTest::newRow("Sun, Chinese clock, Simplified")
        << sunday << 0 << SimplifiedChinese << cn << u" 08-01-06 星期日 12:00:00"_s;
    QTest::newRow("Sun, Chinese clock, Traditional")
        << sunday << 0 << TraditionalChinese << tw << u" 08-01-06 星期日 12:00:00"_s;
    QTest::newRow("Sun, Chinese clock, English")
        << sunday << 0 << English << us << u" 08-01-06 Week 7 12:00:00"_s;
    QTest::newRow("Sun, English clock, English")
        << sunday << 1 << English << us << u" 08-01-06  Sun   12:00:00"_s;

    // Only 0 is the Chinese clock.
    QTest::newRow("clock language -1")
        << sunday << -1 << SimplifiedChinese << us << u" 08-01-06  Sun   12:00:00"_s;
    QTest::newRow("clock language 2")
        << tuesday << 2 << English << us << u" 08-01-01  Tue   01:02:03"_s;

    QTest::newRow("Saturday afternoon 2024")
        << QDateTime(QDate(2024, 3, 9), QTime(13, 5, 0)) << 0 << SimplifiedChinese << cn
        << u" 24-03-09 星期六 13:05:00"_s;
    QTest::newRow("midnight, year 2000") << QDateTime(QDate(2000, 12, 31), QTime(0, 0, 0)) << 0
                                         << English << us << u" 00-12-31 Week 7 00:00:00"_s;
}

void TestClockPreview::caption()
{
    QFETCH(QDateTime, now);
    QFETCH(int, clockLanguage);
    QFETCH(Language, language);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(krn::clockPreviewText(now, clockLanguage, language, locale), expected);
}

QTEST_GUILESS_MAIN(TestClockPreview)
#include "tst_clockpreview.moc"
