#include "core/failure.h"
#include "strings/stringtable.h"

#include <QtTest>

using krn::strings::Language;

class TestStringTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void languageFor_data();
    void languageFor();
    void exactTexts_data();
    void exactTexts();
    void missingIdFails();
};

void TestStringTable::languageFor_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("language");
    const int sc = int(Language::SimplifiedChinese), tc = int(Language::TraditionalChinese),
              en = int(Language::English);
    for (const char* name : {"zh_CN", "zh_SG", "zh_Hans_HK"})
        QTest::newRow(name) << name << sc;
    for (const char* name : {"zh_TW", "zh_HK", "zh_MO", "zh_Hant"})
        QTest::newRow(name) << name << tc;
    for (const char* name : {"en_US", "de_DE", "fr", "ja_JP"})
        QTest::newRow(name) << name << en;
}

void TestStringTable::languageFor()
{
    QFETCH(QString, locale);
    QFETCH(int, language);
    QCOMPARE(int(krn::strings::languageFor(QLocale(locale))), language);
}

// Each text through the default locale, so that a lookup that does not follow
// QLocale::setDefault at every use fails too. Columns: zh_CN, zh_TW, en_US.
void TestStringTable::exactTexts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QStringList>("texts");
    const auto row = [](int id, const char16_t* sc, const char16_t* tc, const char* en) {
        QTest::addRow("%d", id) << id
                                << QStringList{QString::fromUtf16(sc), QString::fromUtf16(tc), en};
    };
    row(1, u"出错提示", u"出錯提示", "Error prompt");
    row(4, u"宋体", u"新細明體", "Arial");
    row(60, u"硬件控制系统没找到\uFF01", u"硬體控制系統沒找到\uFF01",
        "The hardware control system can't be find!");
    row(1056, u"通讯出错--发送字节中", u"通訊出錯--發送字節中", "error--sending byte...");
    row(1595, u"\u2103星期日星期一星期二星期三星期四星期五星期六",
        u"\u2103星期日星期一星期二星期三星期四星期五星期六", "()");
    row(2238, u"日一二三四五六", u"日一二三四五六", "7123456");
    row(4408, u"屏\u0020\u0020号", u"屏\u0020\u0020號", "Number");
    row(4454, u"星期", u"星期", "Week ");
    row(4491, u"加载", u"載入", "&Write");
}

void TestStringTable::exactTexts()
{
    QFETCH(int, id);
    QFETCH(QStringList, texts);
    const char* locales[] = {"zh_CN", "zh_TW", "en_US"};
    for (int i = 0; i < 3; ++i) {
        QLocale::setDefault(QLocale(locales[i]));
        QCOMPARE(krn::strings::load(quint16(id)), texts[i]);
    }
}

void TestStringTable::missingIdFails()
{
    for (const int id : {0, 2, 1599, 65535}) {
        try {
            krn::strings::load(quint16(id));
            QFAIL(qPrintable(QString("id %1 gave a text").arg(id)));
        } catch (const krn::Failure& failure) {
            QVERIFY(failure.description().contains(QString::number(id)));
        }
    }
}

QTEST_GUILESS_MAIN(TestStringTable)
#include "tst_stringtable.moc"
