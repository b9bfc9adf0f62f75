#include "core/failure.h"
#include "strings/stringtable.h"

#include <QtTest>

class TestStringTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void load_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("texts"); // Simplified|Traditional|English
        auto row = [](int id, auto texts) { QTest::addRow("%d", id) << id << QString(texts); };
        row(4, "宋体|新細明體|Arial");
        row(60,
            "硬件控制系统没找到！|硬體控制系統沒找到！|The hardware control system can't be find!");
        row(1595, "℃星期日星期一星期二星期三星期四星期五星期六|"
                  "℃星期日星期一星期二星期三星期四星期五星期六|()");
        row(4408, "屏  号|屏  號|Number");
        row(4454, "星期|星期|Week ");
        row(4491, "加载|載入|&Write");
    }
    // Every locale in turn as the default, so a language chosen once and kept shows.
    void load()
    {
        QFETCH(int, id);
        QFETCH(QString, texts);
        const QStringList groups{"zh_CN zh_SG zh_Hans_HK", "zh_TW zh_HK zh_MO zh_Hant",
                                 "en_US de_DE ja_JP"};
        QString got, want;
        for (int language = 0; language < 3; ++language)
            for (const QString& locale : groups[language].split(u' ')) {
                QLocale::setDefault(QLocale(locale));
                got += locale + '=' + krn::strings::load(quint16(id)) + '\n';
                want += locale + '=' + texts.section(u'|', language, language) + '\n';
            }
        QCOMPARE(got, want);
    }
    // Our own texts (9000 and up) fill the same places in every language, so
    // no translation drops or invents a value.
    void ownTextsFillTheSamePlaces()
    {
        using krn::strings::Language;
        const QRegularExpression place(QStringLiteral("%[1-9]"));
        const auto places = [&](const QString& text) {
            QStringList found;
            for (const QRegularExpressionMatch& m : place.globalMatch(text))
                found << m.captured();
            found.sort();
            return found.join(u',');
        };
        int checked = 0;
        for (int id = 9000; id < 10000; ++id) {
            QString english;
            try {
                english = krn::strings::load(quint16(id), Language::English);
            } catch (const krn::Failure&) {
                continue;
            }
            ++checked;
            for (const Language l : {Language::SimplifiedChinese, Language::TraditionalChinese}) {
                const QString text = krn::strings::load(quint16(id), l);
                QVERIFY2(!text.isEmpty(), qPrintable(QString::number(id)));
                QCOMPARE(places(text), places(english));
            }
        }
        QVERIFY(checked > 100);
    }
    void missingIdFails()
    {
        for (const int id : {0, 2, 1599, 65535})
            QVERIFY_THROWS_EXCEPTION(krn::Failure, krn::strings::load(quint16(id)));
    }
};

QTEST_GUILESS_MAIN(TestStringTable)
#include "tst_stringtable.moc"
