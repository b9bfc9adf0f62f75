#include "settings/profilefile.h"

#include <QtTest>

namespace {

// Written by hand the way a Windows editor leaves it.
const QByteArray kWindowsFile = "; krntools settings\r\n"
                                "[ABOUT]\r\n"
                                "send_port = 19200\r\n"
                                "; Send_Scan=3\r\n"
                                "Send_Height=64abc\r\n"
                                "Send_Width=abc\r\n"
                                "Send_Screen= -5 \r\n"
                                "Send_Color=\r\n"
                                "Send_Big=18446744073709551617\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "Send_Time=7\r\n";

#ifdef Q_OS_WIN
const QByteArray kNewLine = "\r\n";
#else
const QByteArray kNewLine = "\n";
#endif

QString fileWith(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath("krntools.ini");
    QFile file(path);
    if (!bytes.isNull() && (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString perUserDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/krntools";
}

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanupTestCase() { QDir(perUserDir()).removeRecursively(); }
    void readInt_data();
    void readInt();
    void readText_data();
    void readText();
    void write_data();
    void write();
    void unwritableTargetFails_data();
    void unwritableTargetFails();
    void settingsPath_data();
    void settingsPath();

private:
    QTemporaryDir m_dir;
};

void TestProfileFile::readInt_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("blanks and case") << "About"
                                     << "SEND_PORT" << 19200;
    QTest::newRow("digits then letters") << "about"
                                         << "Send_Height" << 64;
    QTest::newRow("letters") << "About"
                             << "Send_Width" << 0;
    QTest::newRow("negative, blanks") << "About"
                                      << "Send_Screen" << -5;
    QTest::newRow("empty value") << "About"
                                 << "Send_Color" << -77;
    QTest::newRow("saturates") << "About"
                               << "Send_Big" << 2147483647;
    QTest::newRow("commented out") << "About"
                                   << "Send_Scan" << -77;
    QTest::newRow("other section") << "About"
                                   << "Send_Time" << -77;
    QTest::newRow("missing section") << "Nowhere"
                                     << "Send_Port" << -77;
    QTest::newRow("missing file") << "About"
                                  << "Send_Port" << -77;
}

void TestProfileFile::readInt()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const bool noFile = QByteArray(QTest::currentDataTag()) == "missing file";
    const krn::ProfileFile file(fileWith(dir, noFile ? QByteArray() : kWindowsFile));
    QCOMPARE(file.readInt(section, key, -77), expected);
}

void TestProfileFile::readText_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QString>("expected");
    const QByteArray utf8 = "\xE5\xAE\x8B\xE4\xBD\x93", gb18030 = "\xCB\xCE\xCC\xE5";
    const QString songti = QString::fromUtf16(u"宋体"), song = QString::fromUtf16(u"宋");
    QTest::newRow("quoted") << QByteArray(" \"Arial\" ") << 60 << "Arial";
    QTest::newRow("unbalanced quote kept") << QByteArray("\"Arial") << 60 << "\"Arial";
    QTest::newRow("empty") << QByteArray("") << 60 << "";
    QTest::newRow("utf-8") << utf8 << 60 << songti;
    QTest::newRow("gb18030") << gb18030 << 60 << songti;
    QTest::newRow("cut ascii") << QByteArray(70, 'a') << 60 << QString(59, u'a');
    QTest::newRow("cut inside utf-8") << utf8 << 6 << song;
    QTest::newRow("cut inside gb18030") << gb18030 << 4 << song;
    // U+0080 takes four bytes in GB18030.
    QTest::newRow("cut before 4-byte gb18030") << QByteArray("a\x81\x30\x81\x30") << 4 << "a";
}

void TestProfileFile::readText()
{
    QFETCH(QByteArray, value);
    QFETCH(int, capacity);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const krn::ProfileFile file(fileWith(dir, "[About]\r\nSend_TimeFont=" + value + "\r\n"));
    QCOMPARE(file.readText(u"About", u"Send_TimeFont", "dflt", capacity), expected);
    QCOMPARE(file.readText(u"About", u"Send_Other", "dflt", capacity), "dflt");
}

void TestProfileFile::write_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QString>("key");       // in section "About"
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("replace, keep the rest")
        << kWindowsFile << "Send_Port"
        << "57600" << QByteArray(kWindowsFile).replace("port = 19200", "port = 57600");
    QTest::newRow("add at end of section")
        << kWindowsFile << "Set_No3"
        << "1" << QByteArray(kWindowsFile).replace("7\r\n\r\n", "7\r\nSet_No3=1\r\n\r\n");
    QTest::newRow("add section, no final newline")
        << QByteArray("[Ports]\n1=/dev/ttyUSB0") << "Send_Com"
        << "2" << QByteArray("[Ports]\n1=/dev/ttyUSB0\n[About]\nSend_Com=2\n");
    QTest::newRow("add to empty section, keep last line")
        << QByteArray("[About]\r\n[Ports]\r\n1=x") << "Send_Com"
        << "0" << QByteArray("[About]\r\nSend_Com=0\r\n[Ports]\r\n1=x");
    QTest::newRow("first of two keys") << QByteArray("[about]\nA=1\na = 2\n") << "a"
                                       << "3" << QByteArray("[about]\nA=3\na = 2\n");
    QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF[About]\nA=1\n") << "A"
                                << "" << QByteArray("\xEF\xBB\xBF[About]\nA=\n");
    QTest::newRow("utf-8 out") << QByteArray("[About]\nF=\xCB\xCE\xCC\xE5\n") << "F"
                               << QString::fromUtf16(u"黑体")
                               << QByteArray("[About]\nF=\xE9\xBB\x91\xE4\xBD\x93\n");
    QTest::newRow("line break cut") << QByteArray("[About]\n") << "A"
                                    << "1\r\n[X]" << QByteArray("[About]\nA=1\n");
    QTest::newRow("create") << QByteArray() << "Send_Port"
                            << "19200"
                            << "[About]" + kNewLine + "Send_Port=19200" + kNewLine;
}

void TestProfileFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    krn::ProfileFile file(fileWith(dir, before));
    QVERIFY(file.writeText(u"About", key, value));
    QFile written(file.path());
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), after);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"krntools.ini"});
    if (!value.contains(u'\n'))
        QCOMPARE(file.readText(u"About", key, "dflt"), value);
}

void TestProfileFile::unwritableTargetFails_data()
{
    QTest::addColumn<QString>("target"); // %1: a fresh temporary folder
    QTest::newRow("missing folder") << "%1/missing/krntools.ini";
    QTest::newRow("target is a folder") << "%1/folder";
#ifdef Q_OS_LINUX
    QTest::newRow("read-only system folder") << "/proc/krntools.ini";
#endif
}

void TestProfileFile::unwritableTargetFails()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    QVERIFY(!krn::ProfileFile(target.arg(dir.path())).writeText(u"About", u"A", "1"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"folder"});
    QVERIFY(QDir(dir.filePath("folder")).isEmpty());
}

void TestProfileFile::settingsPath_data()
{
    QTest::addColumn<QString>("exeDir");
    QTest::addColumn<bool>("besideExe");
    QTest::newRow("writable") << m_dir.path() << true;
    QTest::newRow("writable, trailing slash") << m_dir.path() + "/" << true;
    QTest::newRow("missing folder") << m_dir.filePath("no/such/dir") << false;
#ifdef Q_OS_LINUX
    // Refuses new files even to root, unlike a folder with mode 0555.
    QTest::newRow("read-only system folder") << "/proc" << false;
#endif
}

void TestProfileFile::settingsPath()
{
    QFETCH(QString, exeDir);
    QFETCH(bool, besideExe);
    const QString perUser = perUserDir();
    QDir(perUser).removeRecursively();
    const QString path = krn::settingsPathFor(exeDir);
    QCOMPARE(path, besideExe ? m_dir.filePath("krntools.ini") : perUser + "/krntools.ini");
    QCOMPARE(QDir(perUser).exists(), !besideExe);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList()); // no probe left behind
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
