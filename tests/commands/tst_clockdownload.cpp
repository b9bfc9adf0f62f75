// The clock glyph download against the virtual screen, drawn with Unifont,
// whose cells are known bit for bit.

#include "commands/glyphs.h"
#include "support/windowrig.h"

#include <QLocale>

using namespace krn::test;
using B = QByteArray;

// The download's progress as a front end would receive it.
struct RecordedEvents : krn::EngineEvents {
    void progress(int done, int total) override { steps.append({done, total}); }
    QList<QPair<int, int>> steps;
};

// `glyph` drawn once more one pixel to the right: a lit pixel lights its right
// neighbour within the cell, so a wide glyph's left half spills into its right.
B overdrawn(B glyph, bool wide)
{
    for (int r = 0; r < krn::glyphs::CellRows; ++r) {
        int row = wide ? quint8(glyph[r]) << 8 | quint8(glyph[16 + r]) : quint8(glyph[r]);
        row |= row >> 1;
        glyph[r] = char(wide ? row >> 8 : row);
        if (wide)
            glyph[16 + r] = char(row);
    }
    return glyph;
}

class TestClockDownload : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void redDecidesABit()
    {
        for (const QRgb colour : {qRgb(204, 0, 0), qRgb(203, 255, 255)}) {
            QImage image(32, 32, QImage::Format_RGB32);
            image.fill(Qt::black);
            image.setPixel(2, 5, colour);
            B expected(krn::glyphs::NarrowBytes, '\0');
            expected[5] = char(qRed(colour) == 204 ? 0x20 : 0);
            QCOMPARE(krn::glyphs::sampleGlyph(image, false).toHex(), expected.toHex());
        }
    }

    void download_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QLocale>("interface");
        QTest::addColumn<int>("stopAfter"); // frames the screen acknowledges, 0: all
        QTest::addColumn<int>("chars");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<B>("cells");   // Unifont's cells from stream byte 208 on
        QTest::addColumn<bool>("bold"); // which Unifont lacks

        const QLocale en(QLocale::English, QLocale::UnitedStates);
        const QLocale zh(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
        // "°C" as two narrow cells; "℃" and "星" as wide cells, left half first.
        const B degC("00000000182424180000000000000000000000003c42424040404042423c0000");
        const B celsius("40a0a0403c42424040404042423c000000000000000000000000000000000000"
                        "001f101f101f01111f21411f01017f0000f010f010f00000f80000f00000fc00");
        // 912 bytes from 57 characters are all narrow; from 35, 13 narrow and 22 wide.
        QTest::newRow("English") << 1 << en << 0 << 57 << 29 << 912 << degC << false;
        QTest::newRow("Chinese") << 0 << zh << 0 << 35 << 29 << 912 << celsius << false;
        QTest::newRow("Chinese, bold") << 0 << zh << 0 << 35 << 29 << 912 << B() << true;
        QTest::newRow("Chinese, English table") << 0 << en << 0 << 15 << 8 << 240 << B() << false;
        QTest::newRow("third frame unanswered") << 1 << en << 2 << 57 << 3 << 912 << B() << false;
    }
    void download()
    {
        QFETCH(int, language);
        QFETCH(QLocale, interface);
        QFETCH(int, stopAfter);
        QFETCH(int, chars);
        QFETCH(int, frames);
        QFETCH(int, bytes);
        QFETCH(B, cells);
        QFETCH(bool, bold);
        QLocale::setDefault(interface);
        QCOMPARE(krn::glyphs::glyphText(language).size(), chars);

        FormRig rig;
        RecordedEvents events;
        rig.link.setEvents(&events);
        QVERIFY(rig.start(stopAfter ? QStringList{"--stop-after", QString::number(stopAfter)}
                                    : QStringList()));
        krn::CommandRequest request;
        request.command = krn::Command::ClockDownload;
        request.target = krn::LinkTarget{1, {}, 9600, 1};
        QFont font = unifont();
        font.setBold(bold);
        request.values.clock =
            krn::ClockRequest{language, language, font, QStringLiteral("Unifont"), 12};
        QCOMPARE(rig.present(rig.commander.Send_Function(request)).delivered(), stopAfter == 0);
        // Every acknowledged frame is reported as it goes, k of n.
        const int total = (bytes + 31) / 32;
        QCOMPARE(events.steps.size(), stopAfter ? stopAfter : frames);
        for (int k = 0; k < events.steps.size(); ++k)
            QCOMPARE(events.steps[k], qMakePair(k + 1, total));

        const QStringList sent = rig.frames(frames);
        QCOMPARE(sent.size(), frames);
        B stream;
        for (int i = 0; i < frames; ++i) {
            const B frame = B::fromHex(sent[i].toLatin1());
            QCOMPARE(int(frame[5]), 20);
            QCOMPARE(frame.size() - 7, qMin(32, bytes - 32 * i)); // the last one is shorter
            stream += frame.mid(6, frame.size() - 7);
        }
        B plain, expected;
        for (const QChar c : krn::glyphs::glyphText(language)) {
            const B glyph = krn::glyphs::rasterise(unifont(), c);
            plain += glyph;
            expected += bold ? overdrawn(glyph, krn::glyphs::isWide(c)) : glyph;
        }
        QCOMPARE(plain.left(16).toHex(), B("00000000182442464a52624224180000")); // '0'
        QCOMPARE(stream.toHex(), expected.left(stream.size()).toHex());
        QCOMPARE(stream != plain.left(stream.size()), bold);
        if (!cells.isEmpty())
            QCOMPARE(stream.mid(208, cells.size() / 2).toHex(), cells);
        // The clock keys are the front ends' to store, after their report.
        QVERIFY(!rig.fileBytes().contains("Send_Time"));
        if (stopAfter) {
            QCOMPARE(rig.boxes.text(), "(!) error--sending byte...: Send error!");
            return;
        }
        QVERIFY2(rig.boxes.text().startsWith("(i) "), qPrintable(rig.boxes.text()));
        QVERIFY(rig.screen.stop().contains(
            QStringLiteral("glyph table %1 bytes in %2 frames").arg(bytes).arg(frames)));
    }
};

QTEST_MAIN(TestClockDownload)
#include "tst_clockdownload.moc"
