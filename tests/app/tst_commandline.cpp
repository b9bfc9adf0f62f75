#include "app/commandline.h"

#include <QtTest>

using krn::strings::Language;

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void answer_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("expected"); // "" = the window starts

        const QString version = QStringLiteral("krntools " KRN_PROJECT_VERSION);
        const QString english = QStringLiteral("Usage: krntools [--help | --version]\nConfigures");
        const int en = int(Language::English);
        QTest::newRow("none") << QStringList{} << en << QString();
        QTest::newRow("--version") << QStringList{"--version"} << en << version;
        QTest::newRow("-v") << QStringList{"-v"} << int(Language::TraditionalChinese) << version;
        QTest::newRow("--help") << QStringList{"--help"} << en << english;
        QTest::newRow("-h") << QStringList{"-h"} << en << english;
        QTest::newRow("-? simplified")
            << QStringList{"-?"} << int(Language::SimplifiedChinese)
            << QStringLiteral("用法：krntools [--help | --version]\n通过 RS-232 串口设置");
        QTest::newRow("--help traditional")
            << QStringList{"--help"} << int(Language::TraditionalChinese)
            << QStringLiteral("用法：krntools [--help | --version]\n透過 RS-232 序列埠設定");
        QTest::newRow("help first") << QStringList{"--help", "--version"} << en << english;
        QTest::newRow("version first") << QStringList{"--version", "--help"} << en << version;
        QTest::newRow("after Qt's own")
            << QStringList{"-platform", "offscreen", "--version"} << en << version;
        QTest::newRow("Qt's own only") << QStringList{"-platform", "offscreen"} << en << QString();
        QTest::newRow("near misses")
            << QStringList{"--versions", "help", "-hv", "--HELP", "version"} << en << QString();
    }
    // Help texts are compared by their beginning: the settings line may grow.
    void answer()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, language);
        QFETCH(QString, expected);
        const std::optional<QString> got =
            krn::app::answerCommandLine(arguments, Language(language));
        if (expected.isEmpty()) {
            QVERIFY2(!got, qPrintable(got.value_or(QString())));
            return;
        }
        QVERIFY(got);
        if (expected.startsWith(u"krntools "))
            QCOMPARE(*got, expected);
        else
            QCOMPARE(got->left(expected.size()), expected);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
