#include "settings/profilefile.h"

#include <QtTest>

namespace {

// Written by hand the way a Windows editor leaves it; a Chinese Windows stores "宋体" as GB18030.
const QByteArray kWindowsFile =
    "; krntools settings\r\n[ABOUT]\r\nsend_port = 19200\r\n; Send_Scan=3\r\n"
    "Send_Height=64abc\r\nSend_Width=abc\r\nSend_Color=\r\n"
    "Send_Font = \"Arial\"\r\nSend_Big= -18446744073709551617 \r\n"
    "Send_Song = \xCB\xCE\xCC\xE5\r\nSend_Cut=\xCB\xCE\xCC\xE5\r\n"
    "Send_Utf8=\xE5\xAE\x8B\xE4\xBD\x93\r\n\r\n[Other]\r\nSend_Time=7\r\n";
const QByteArray kNewLine = QSysInfo::productType() == "windows" ? "\r\n" : "\n";

QString fileWith(const QTemporaryDir& dir, const QByteArray& bytes)
{
    QFile file(dir.filePath("krntools.ini"));
    if (!bytes.isNull() && (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void read_data()
    {
        QTest::addColumn<QString>("key"); // in section "about"
        for (const char* column : {"capacity", "number"})
            QTest::addColumn<int>(column);
        QTest::addColumn<QString>("text");
        auto row = [](auto key, int number, auto text, int capacity = 60) {
            QTest::newRow(key) << QString(key) << capacity << number << QString(text);
        };
        row("SEND_PORT", 19200, "19200");
        row("Send_Height", 64, "64abc");
        row("Send_Width", 0, "abc");
        row("Send_Color", -77, ""); // empty: a number falls back, a text does not
        row("Send_Font", 0, "Arial");
        row("Send_Big", INT_MIN, "-18446744073709551617");
        row("Send_Song", 0, "宋体");
        row("Send_Cut", 0, "宋", 4); // capacity - 1 bytes, never inside a character
        row("Send_Utf8", 0, "宋", 6);
        row("Send_Time", -77, "dflt");
    }
    void read()
    {
        QFETCH(QString, key);
        QFETCH(int, capacity);
        QTemporaryDir dir;
        const krn::ProfileFile file(fileWith(dir, kWindowsFile)), none(dir.filePath("none.ini"));
        QTEST(file.readInt(u"about", key, -77), "number");
        QTEST(file.readText(u"about", key, "dflt", capacity), "text");
        QCOMPARE(file.readInt(u"Nowhere", key, -77), -77);
        QCOMPARE(none.readInt(u"about", key, -77), -77);
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QString>("key");       // in section "About"
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        auto row = [](auto tag, QByteArray before, auto key, auto value, QByteArray after) {
            QTest::newRow(tag) << before << QString(key) << QString(value) << after;
        };
        QByteArray replaced = kWindowsFile, added = kWindowsFile;
        row("set", kWindowsFile, "SEND_PORT", "黑体", replaced.replace("19200", "黑体"));
        row("add", kWindowsFile, "No3", "1", added.replace("\x93\r\n", "\x93\r\nNo3=1\r\n"));
        row("add section, cut line", "[P]\n1=x", "C", "2\n[X]", "[P]\n1=x\n[About]\nC=2\n");
        row("empty section", "[About]\r\n[P]\r\n1=x", "C", "0", "[About]\r\nC=0\r\n[P]\r\n1=x");
        row("utf-8 mark", "\xEF\xBB\xBF[about]\nA=1\n", "a", "", "\xEF\xBB\xBF[about]\nA=\n");
        row("create", QByteArray(), "C", "1", "[About]" + kNewLine + "C=1" + kNewLine);
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        krn::ProfileFile file(fileWith(dir, before));
        QVERIFY(file.writeText(u"About", key, value));
        QFile written(file.path());
        QTEST(written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray(), "after");
    }

    void folders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("beside");
        QTest::newRow("missing") << m_dir.filePath("no/such") << false;
        // Refuses new files even to root, unlike a folder with mode 0555.
        if (QFileInfo("/proc").isDir())
            QTest::newRow("read-only system folder") << "/proc" << false;
        QTest::newRow("writable") << m_dir.path() << true; // last: leaves no per-user folder
    }
    void folders()
    {
        QFETCH(QString, folder);
        QFETCH(bool, beside);
        const QString perUser =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/krntools";
        QDir(perUser).removeRecursively();
        const QString path = folder + "/krntools.ini";
        QCOMPARE(krn::settingsPathFor(folder), beside ? path : perUser + "/krntools.ini");
        QCOMPARE(QDir(perUser).exists(), !beside);
        QCOMPARE(krn::ProfileFile(path).writeText(u"About", u"A", "1"), beside);
        QCOMPARE(QDir(folder).entryList({"krntools*"}, QDir::Files).size(), int(beside));
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
