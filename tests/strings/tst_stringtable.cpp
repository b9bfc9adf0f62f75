#include "core/failure.h"
#include "strings/stringtable.h"

#include <QtTest>

class TestStringTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every locale in turn as the default picks its language's column, so a
    // language chosen once and kept shows.
    void load()
    {
        using krn::strings::Language;
        const QList<std::pair<Language, const char*>> groups{
            {Language::SimplifiedChinese, "zh_CN zh_SG zh_Hans_HK"},
            {Language::TraditionalChinese, "zh_TW zh_HK zh_MO zh_Hant"},
            {Language::English, "en_US de_DE ja_JP"}};
        for (const auto& [language, locales] : groups)
            for (const QString& locale : QString::fromLatin1(locales).split(u' ')) {
                QLocale::setDefault(QLocale(locale));
                for (const int id : {4, 60, 4491})
                    QVERIFY2(krn::strings::load(quint16(id)) ==
                                 krn::strings::load(quint16(id), language),
                             qPrintable(locale));
            }
        QVERIFY(krn::strings::load(4491, Language::SimplifiedChinese) !=
                krn::strings::load(4491, Language::TraditionalChinese));
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
        // An id nobody wrote is a fault, never an empty text.
        for (const int id : {0, 2, 1599, 65535})
            QVERIFY_THROWS_EXCEPTION(krn::Failure, krn::strings::load(quint16(id)));
    }
};

QTEST_GUILESS_MAIN(TestStringTable)
#include "tst_stringtable.moc"
