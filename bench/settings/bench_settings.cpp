// Prints what the settings file costs as it grows: the time to read every key
// the window reads at start-up, the peak memory of the process that did it,
// and the time of one pick (one write), for files of 1 KB, 1 MB and 10 MB
// padded with blank lines or with short key lines. Each case runs in a fresh
// child process so that its peak memory is its own; a pick is the median of
// five. Figures only.

#include "settings/profilefile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

const char* const kIntKeys[] = {"Send_Com",      "Send_Port",   "Send_Screen", "Send_Color",
                                "Send_Width",    "Send_Height", "Send_Scan",   "Send_Time",
                                "Send_TimeSize", "Set_No0",     "Set_No1",     "Set_No2",
                                "Set_No3",       "Set_No4"};

// Peak resident memory of this process so far, in KiB (0 where unknown).
long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// A file as an operator's would look, padded to `size` bytes. Written in
// pieces so that the parent's own memory stays small.
bool writeFile(const QString& path, qint64 size, bool keyLines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray head = "[About]\r\nSend_Com=2\r\nSend_Port=19200\r\nSend_Screen=1\r\n"
                      "Send_Color=1\r\nSend_Width=128\r\nSend_Height=16\r\nSend_Scan=0\r\n"
                      "Send_Time=0\r\nSend_TimeFont=Arial\r\nSend_TimeSize=12\r\n"
                      "Set_No0=0\r\nSet_No1=1\r\nSet_No2=0\r\nSet_No3=1\r\nSet_No4=0\r\n";
    qint64 written = file.write(head);
    QByteArray chunk;
    for (int n = 0; written < size; ++n) {
        chunk += keyLines ? "K" + QByteArray::number(n) + "=1\r\n" : QByteArray("\r\n");
        if (chunk.size() >= 65536 || written + chunk.size() >= size) {
            chunk.truncate(std::min<qint64>(chunk.size(), size - written));
            written += file.write(chunk);
            chunk.clear();
        }
    }
    // A settings file is rarely seconds old when the program starts.
    return file.flush() && file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                            QFileDevice::FileModificationTime);
}

// Processor time of this process so far (user and system), in ms: on a busy
// machine the wall-clock figures include waiting for a processor.
double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// One case, in the child: start-up reads, then picks in the width box.
int runCase(const QString& path)
{
    const long before = peakKiB();
    QElapsedTimer clock;
    const double cpu0 = cpuMs();
    clock.start();
    krn::ProfileFile settings(path);
    qint64 sum = 0;
    for (const char* key : kIntKeys)
        sum += settings.readInt(u"About", QString::fromLatin1(key), 0);
    sum += settings.readText(u"About", u"Send_TimeFont", QStringLiteral("Arial"), 60).size();
    const double startMs = clock.nsecsElapsed() / 1e6;
    const double startCpu = cpuMs() - cpu0;
    const long peak = peakKiB();

    std::vector<double> picks, pickCpu;
    for (int i = 0; i < 5; ++i) {
        const double c = cpuMs();
        clock.restart();
        settings.writeText(u"About", u"Send_Width", QString::number(129 + i % 2));
        picks.push_back(clock.nsecsElapsed() / 1e6);
        pickCpu.push_back(cpuMs() - c);
    }
    std::sort(picks.begin(), picks.end());
    std::sort(pickCpu.begin(), pickCpu.end());
    std::printf("%.1f %.1f %ld %ld %.1f %.1f %lld\n", startMs, startCpu, peak, peak - before,
                picks[2], pickCpu[2], static_cast<long long>(sum));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--case") == 0)
        return runCase(QString::fromLocal8Bit(argv[2]));

    QTemporaryDir dir;
    std::printf("%-28s %13s %13s %12s %8s %13s %13s\n", "settings file", "start-up ms",
                "start-up CPU", "peak RSS MB", "rise MB", "pick ms (med)", "pick CPU ms");
    for (const bool keyLines : {false, true}) {
        for (const qint64 size : {qint64(1) << 10, qint64(1) << 20, qint64(10) << 20}) {
            const QString path = dir.filePath(QStringLiteral("krntools.ini"));
            QFile::remove(path);
            if (!writeFile(path, size, keyLines)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--case"), path});
            if (!child.waitForFinished(-1) || child.exitCode() != 0) {
                std::fprintf(stderr, "case failed: %s\n", child.readAllStandardError().constData());
                return 1;
            }
            const QList<QByteArray> f = child.readAllStandardOutput().simplified().split(' ');
            const QString name = QStringLiteral("%1 %2")
                                     .arg(size >= (1 << 20) ? QString::number(size >> 20) + " MB"
                                                            : QString::number(size >> 10) + " KB")
                                     .arg(keyLines ? "of short key lines" : "of blank lines");
            std::printf("%-28s %13s %13s %12.1f %8.1f %13s %13s\n", qPrintable(name),
                        f.value(0).constData(), f.value(1).constData(),
                        f.value(2).toDouble() / 1024, f.value(3).toDouble() / 1024,
                        f.value(4).constData(), f.value(5).constData());
            std::fflush(stdout);
        }
    }
    return 0;
}
