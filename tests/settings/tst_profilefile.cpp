#include "settings/profilefile.h"

#include <QtTest>
#include <algorithm>
#include <optional>

#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace {

// Written by hand the way a Windows editor leaves it; a Chinese Windows stores "宋体" as GB18030.
const QByteArray kWindowsFile =
    "; krntools settings\r\n[ABOUT]\r\nsend_port = 19200\r\n; Send_Scan=3\r\n"
    "Send_Height=64abc\r\nSend_Width=abc\r\nSend_Color=\r\n"
    "Send_Font = \"Arial\"\r\nSend_Big= -18446744073709551617 \r\n"
    "Send_Song = \xCB\xCE\xCC\xE5\r\nSend_Cut=\xCB\xCE\xCC\xE5\r\n"
    "Send_Utf8=\xE5\xAE\x8B\xE4\xBD\x93\r\n\r\n[Other]\r\nSend_Time=7\r\n";
const QByteArray kNewLine = QSysInfo::productType() == "windows" ? "\r\n" : "\n";

QString fileWith(const QString& path, const QByteArray& bytes) // null: no file
{
    QFile file(path);
    if (!bytes.isNull() && (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
QString fileWith(const QTemporaryDir& dir, const QByteArray& bytes)
{
    return fileWith(dir.filePath("krntools.ini"), bytes);
}
QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Folders holding the given files (relative path -> bytes) that refuse new
// files: mode 0555 for an ordinary user; for root, whom modes do not stop, a
// tmpfs made read-only in this process's own mount name space.
class ReadOnlyTree {
public:
    ReadOnlyTree(const QString& root, const QMap<QString, QByteArray>& files) : m_root(root)
    {
        QDir().mkpath(root);
#ifdef Q_OS_LINUX
        static const bool ownNameSpace =
            geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
            mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        m_mounted = ownNameSpace && mount("krn-test", qPrintable(root), "tmpfs", 0, "size=1m") == 0;
#endif
        for (auto it = files.begin(); it != files.end(); ++it) {
            m_dirs << QFileInfo(root + u'/' + it.key()).path();
            QDir().mkpath(m_dirs.last());
            fileWith(root + u'/' + it.key(), it.value());
        }
#ifdef Q_OS_LINUX
        if (m_mounted)
            mount(nullptr, qPrintable(root), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
#endif
        setModes(QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyTree()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            umount2(qPrintable(m_root), MNT_DETACH);
#endif
        setModes(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // Whether the folders really refuse a new file.
    bool refuses() const
    {
        return std::none_of(m_dirs.begin(), m_dirs.end(), [](const QString& dir) {
            return QTemporaryFile(dir + "/probe-XXXXXX").open();
        });
    }

private:
    void setModes(QFile::Permissions modes)
    {
        for (const QString& dir : std::as_const(m_dirs))
            QFile::setPermissions(dir, modes);
    }
    QString m_root;
    QStringList m_dirs;
    bool m_mounted = false;
};

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

    // Writes "KEY|VALUE" (section About) or "SECTION|KEY|VALUE" through one
    // object, the last one twice: the file holds `after`, every key reads the
    // same from this object as from a fresh one, the last one `reads` ("-":
    // every write refused), and nothing else is left in the folder.
    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("reads");
        auto row = [](auto tag, QByteArray before, auto writes, QByteArray after, auto reads) {
            QTest::newRow(tag) << before << QString(writes).split("; ") << after << QString(reads);
        };
        QByteArray replaced = kWindowsFile, added = kWindowsFile;
        row("set", kWindowsFile, "SEND_PORT|黑体", replaced.replace("19200", "黑体"), "黑体");
        row("add", kWindowsFile, "No3|1", added.replace("\x93\r\n", "\x93\r\nNo3=1\r\n"), "1");
        row("add section, cut line", "[P]\n1=x", "C|2\n[X]", "[P]\n1=x\n[About]\nC=2\n", "2");
        row("empty section", "[About]\r\n[P]\r\n1=x", "C|0", "[About]\r\nC=0\r\n[P]\r\n1=x", "0");
        row("utf-8 mark", "\xEF\xBB\xBF[about]\nA=1\n", "a|", "\xEF\xBB\xBF[about]\nA=\n", "");
        row("create", QByteArray(), "C|1", "[About]" + kNewLine + "C=1" + kNewLine, "1");
        // A lone CR at the end ends the last line: it is no part of the value,
        // and a line added after it completes it to CR LF.
        row("CR end, add", "[About]\r\nB=x\r", "C|1", "[About]\r\nB=x\r\nC=1\r\n", "1");
        row("CR end, replace", "[About]\nB=x\r", "b|y", "[About]\nB=y\r", "y");
        row("CR end, header only", "[About]\r", "C|1", "[About]\r\nC=1\r\n", "1");
        row("CR end, new section", "[P]\n1=x\r", "C|2", "[P]\n1=x\r\n[About]\nC=2\n", "2");
        row("CR inside stays", "[About]\nB=x\r\r", "C|1", "[About]\nB=x\r\r\nC=1\n", "1");
        // Leading blanks are dropped rather than added to the line's own.
        row("leading blank", "[About]\nK = 4\n", "K| 5", "[About]\nK = 5\n", "5");
        row("leading tab, new", "[About]\n", "K|\t x ", "[About]\nK=x \n", "x");
        row("blanks only", "[About]\nK= 4\n", "K|  ", "[About]\nK= \n", "");
        // Only the first [About] and its first K count; the rest stays as it is.
        row("repeated", "[About]\nK=1\nK=2\n[about]\nK=3\nL=1\n", "k|9",
            "[About]\nK=9\nK=2\n[about]\nK=3\nL=1\n", "9");
        row("repeated, add", "[About]\nK=1\n[about]\nL=1\n", "L|9",
            "[About]\nK=1\nL=9\n[about]\nL=1\n", "9");
        row("comment, junk", "[About]\n;K=1\njunk\n#K=2\n", "K|3",
            "[About]\nK=3\n;K=1\njunk\n#K=2\n", "3");
        // Each write lands where a fresh read of the file would put it.
        row("sections in turn", "[A]\r\nx=1\r\n[B]\r\ny=2",
            "B|z|3; A|w|4; A|x|10; C|v|5; B|y|; C|v|6; A|q|7",
            "[A]\r\nx=10\r\nw=4\r\nq=7\r\n[B]\r\ny=\r\nz=3\r\n[C]\r\nv=6\r\n", "7");
        row("empty file", "", "A|x|1; B|y|2; A|z|3",
            "[A]" + kNewLine + "x=1" + kNewLine + "z=3" + kNewLine + "[B]" + kNewLine + "y=2" +
                kNewLine,
            "3");
        row("refused names", "[A]\nx=1\n", "A|a=b|1; A| x|2; A|;x|3; A]|x|4", "[A]\nx=1\n", "-");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, writes);
        QFETCH(QString, reads);
        QTemporaryDir dir;
        krn::ProfileFile file(fileWith(dir, before));
        QList<QStringList> keys;
        for (const QString& write : writes)
            keys << (write.count(u'|') == 1 ? "About|" + write : write).split(u'|');
        keys << keys.last();
        for (const QStringList& k : std::as_const(keys))
            QCOMPARE(file.writeText(k[0], k[1], k[2]), reads != "-");
        QTEST(contents(file.path()), "after");
        const krn::ProfileFile fresh(file.path());
        for (const QStringList& k : std::as_const(keys))
            QCOMPARE(file.readText(k[0], k[1], "-"), fresh.readText(k[0], k[1], "-"));
        QCOMPARE(fresh.readText(keys.last()[0], keys.last()[1], "-"), reads);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"krntools.ini"});
    }

    // Another program changes the file between two reads of one object.
    void outsideChange_data()
    {
        QTest::addColumn<QByteArray>("outside"); // null: the file is removed
        QTest::addColumn<bool>("inPlace");       // rewritten over the same file, else renamed
        QTest::addColumn<int>("reads");          // what A reads afterwards
        QTest::addColumn<QByteArray>("after");   // the file after B=5 is written
        QTest::newRow("same size, in place")
            << QByteArray("[About]\nA=2\n") << true << 2 << QByteArray("[About]\nA=2\nB=5\n");
        QTest::newRow("renamed over") << QByteArray("[About]\r\nA=33\r\nC=1\r\n") << false << 33
                                      << QByteArray("[About]\r\nA=33\r\nC=1\r\nB=5\r\n");
        QTest::newRow("removed") << QByteArray() << false << -1
                                 << "[About]" + kNewLine + "B=5" + kNewLine;
    }
    void outsideChange()
    {
        QFETCH(QByteArray, outside);
        QFETCH(bool, inPlace);
        QTemporaryDir dir;
        krn::ProfileFile file(fileWith(dir, "[About]\nA=1\n"));
        QCOMPARE(file.readInt(u"About", u"A", -1), 1);
        if (outside.isNull()) {
            QVERIFY(QFile::remove(file.path()));
        } else if (inPlace) {
            fileWith(dir, outside);
        } else {
            QSaveFile other(file.path());
            QVERIFY(other.open(QIODevice::WriteOnly));
            other.write(outside);
            QVERIFY(other.commit());
        }
        QTEST(file.readInt(u"About", u"A", -1), "reads");
        QVERIFY(file.writeText(u"About", u"B", "5"));
        QTEST(contents(file.path()), "after");
    }

    // Kept in memory: reads see the writes, the file never does, and an
    // outside change still comes through underneath them.
    void inMemory()
    {
        QTemporaryDir dir;
        const QByteArray before = "[About]\r\nA=1\r\nB=1\r\n";
        krn::ProfileFile file(fileWith(dir, before), krn::ProfileFile::Keep::InMemory);
        QVERIFY(!file.persistent());
        QVERIFY(!file.writeText(u"About", u"B", "2"));
        QVERIFY(!file.writeText(u"Other", u"C", "3"));
        QCOMPARE(contents(file.path()), before);
        fileWith(dir, "[About]\r\nA=7\r\nB=1\r\n");
        QCOMPARE(file.readInt(u"About", u"A", -1), 7);
        QCOMPARE(file.readInt(u"About", u"B", -1), 2);
        QCOMPARE(file.readInt(u"Other", u"C", -1), 3);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"krntools.ini"});
    }

    // Beside the executable when its folder is its own and writable; else
    // per user, starting from a copy of the file beside it where the
    // operator has none yet; where neither can be written, the file that is
    // there, the operator's own first, and choices kept in memory. `listed`:
    // the system folder given ("" none, "bin" the executable's, "." the one
    // holding it, as Program Files holds krntools). `folder`: the
    // executable's is "read-only" or "missing", both it and the per-user one
    // "all read-only", else writable. `width`: Send_Width of the file used
    // (-1 none).
    void location_data()
    {
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("beside"); // null: no file
        QTest::addColumn<QByteArray>("perUser");
        QTest::addColumn<bool>("keptBeside");
        QTest::addColumn<int>("width");
        const QByteArray none, shipped = "[About]\nSend_Width=64\n",
                               own = "[About]\r\nSend_Width=8\r\n";
        const char* const stuck = "all read-only";
        // clang-format off
        QTest::newRow("portable") << "" << "" << none << none << true << -1;
        QTest::newRow("portable with its file") << "" << "" << shipped << none << true << 64;
        QTest::newRow("system folder") << "bin" << "" << none << none << false << -1;
        QTest::newRow("inside one, file copied") << "." << "" << shipped << none << false << 64;
        QTest::newRow("copied once") << "bin" << "" << shipped << own << false << 8;
        QTest::newRow("read-only, file copied") << "" << "read-only" << shipped << none << false << 64;
        QTest::newRow("missing") << "" << "missing" << none << none << false << -1;
        QTest::newRow("nowhere to write, beside only") << "" << stuck << shipped << none << true << 64;
        QTest::newRow("nowhere to write, per-user first") << "" << stuck << shipped << own << false << 8;
        QTest::newRow("nowhere to write, no file") << "" << stuck << none << none << true << -1;
        // clang-format on
    }
    void location()
    {
        QFETCH(QString, listed);
        QFETCH(QString, folder);
        QFETCH(QByteArray, beside);
        QFETCH(QByteArray, perUser);
        QFETCH(bool, keptBeside);
        QFETCH(int, width);
        const QString root = m_dir.filePath(QTest::currentDataTag());
        const QString app = root + "/app", exe = app + "/bin", config = root + "/config/krntools";
        const bool stuck = folder == "all read-only";
        std::optional<ReadOnlyTree> tree;
        if (stuck)
            tree.emplace(root,
                         QMap<QString, QByteArray>{{"app/bin/krntools.ini", beside},
                                                   {"config/krntools/krntools.ini", perUser}});
        else if (folder == "read-only")
            tree.emplace(app, QMap<QString, QByteArray>{{"bin/krntools.ini", beside}});
        if (tree && !tree->refuses())
            QSKIP("no folder here refuses new files");
        if (folder.isEmpty() && QDir().mkpath(exe))
            fileWith(exe + "/krntools.ini", beside);
        if (!perUser.isNull() && !stuck && QDir().mkpath(config))
            fileWith(config + "/krntools.ini", perUser);

        const QStringList system{listed.isEmpty() ? QString() : QDir(app).filePath(listed),
                                 "/usr/bin"};
        const krn::SettingsLocation where = krn::settingsLocationFor(exe, config, system);
        QCOMPARE(where.path, (keptBeside ? exe : config) + "/krntools.ini");
        QCOMPARE(where.persistent, !stuck);
        krn::ProfileFile file(where);
        QCOMPARE(file.readInt(u"About", u"Send_Width", -1), width);
        // Refused where nothing can be written: kept in memory, as inMemory() shows.
        QCOMPARE(file.writeText(u"About", u"Send_Port", "9600"), !stuck);
        if (!stuck) {
            QCOMPARE(QDir(config).exists(), !keptBeside);
            QCOMPARE(QDir(exe).entryList(QDir::Files).size(), int(keptBeside || !beside.isNull()));
        }
        if (!keptBeside || stuck)
            QCOMPARE(contents(exe + "/krntools.ini"), beside);
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
