#include "support/ptypair.h"

#include <QFile>
#include <QtTest>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using krn::test::PtyPair;

// The far end that link tests play by hand must pass bytes untouched both
// ways, let a client come and go, and hang up on request.
class TestPtyPair : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void passesEveryByteBothWays();
    void hangsUpOnRequest();
};

namespace {
int openClient(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
}

QByteArray allBytes()
{
    QByteArray bytes(256, 0);
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}
} // namespace

void TestPtyPair::passesEveryByteBothWays()
{
    PtyPair pty;
    QVERIFY2(pty.open(), qPrintable(pty.errorText()));
    QByteArray batches;
    pty.setReceiver([&](const QByteArray& batch) { batches += batch; });

    for (int session = 0; session < 2; ++session) { // a client that comes back
        const int fd = openClient(pty.slavePath());
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, allBytes().constData(), 256), ssize_t(256));
        QTRY_COMPARE(batches, allBytes());
        batches.clear();
        QCOMPARE(pty.takeReceived(), allBytes());

        QVERIFY(pty.write(allBytes()));
        QByteArray got;
        char buffer[512];
        for (int i = 0; i < 50 && got.size() < 256; ++i) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0) {
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                QVERIFY(n > 0);
                got.append(buffer, n);
            }
        }
        QCOMPARE(got, allBytes());
        ::close(fd);
    }
}

void TestPtyPair::hangsUpOnRequest()
{
    PtyPair pty;
    QVERIFY2(pty.open(), qPrintable(pty.errorText()));
    const int fd = openClient(pty.slavePath());
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "\x5A\xA5", 2), ssize_t(2));
    QCOMPARE(pty.readFor(200), QByteArray("\x5A\xA5"));
    pollfd p{fd, POLLIN, 0};
    QCOMPARE(::poll(&p, 1, 50), 0);
    pty.hangUp();
    QCOMPARE(::poll(&p, 1, 1000), 1);
    QVERIFY(p.revents & POLLHUP);
    QVERIFY(!pty.write("\x06"));
    ::close(fd);
}

QTEST_GUILESS_MAIN(TestPtyPair)
#include "tst_ptypair.moc"
