// Site files as spreadsheets export them: encodings, separators, quotes, the
// names of the columns, and every cell that cannot be sent told by its row
// and column.

#include "site/sitefile.h"
#include "strings/siteids.h"

#include <QStringEncoder>
#include <QtTest>

using namespace krn;

namespace {

QString describe(const site::SiteRow& r)
{
    QStringList d{QString::number(r.row), r.label, r.port, QString::number(r.screen),
                  QString::number(r.speed)};
    if (r.panel)
        d << QStringLiteral("panel %1x%2 c%3 s%4")
                 .arg(r.panel->width)
                 .arg(r.panel->height)
                 .arg(r.panel->colourPosition)
                 .arg(r.panel->scanPosition);
    if (r.hardware)
        d << QStringLiteral("hw %1%2%3 %4 %5")
                 .arg(r.hardware->oePosition)
                 .arg(r.hardware->byteOrderPosition)
                 .arg(r.hardware->invertPosition)
                 .arg(r.hardware->wraps)
                 .arg(r.hardware->wrapModePosition);
    if (r.clock)
        d << QStringLiteral("clock %1 %2 %3")
                 .arg(r.clock->language)
                 .arg(r.clock->font)
                 .arg(r.clock->size);
    return d.join(u'|');
}

QByteArray gb18030(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder(text);
}

} // namespace

class TestSiteFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("want"); // rows "a / b", or "error ID|args" in English
        const QString chinese =
            QStringLiteral("位置;串口;屏号;波特率;宽度;高度;颜色;扫描方式;时钟;字体;字号;;\r\n"
                           "一号柜台;3;1;9600;128;32;双色;静态;中文版;宋体;10.5;;\r\n"
                           ";;;;;;;;;;;;\r\n");
        // clang-format off
        QTest::newRow("UTF-8 with a byte order mark, commas, quotes")
            << QByteArray("\xEF\xBB\xBFLabel,Port,Screen,Speed,Color,Width,Height,Scan\n"
                          "\"Hall, east\",/dev/ttyUSB0,7,19200,single,64,16,1/8\n"
                          "\"say \"\"hi\"\"\",rfc2217://10.0.0.5:4001,254,57600,,,,\n")
            << "2|Hall, east|/dev/ttyUSB0|7|19200|panel 64x16 c1 s1 / 3|say \"hi\"|rfc2217://10.0.0.5:4001|254|57600";
        QTest::newRow("GB18030, Chinese names, semicolons, empty rows")
            << gb18030(chinese)
            << "2|一号柜台|3|1|9600|panel 128x32 c0 s3|clock 0 宋体 10.5";
        QTest::newRow("tabs and the hardware options")
            << QByteArray("port\tscreen\tspeed\toe\tbyte-order\tinvert\twraps\twrap-mode\tclock\n"
                          "COM3\t0\t38400\t1\t0\t1\t16\t8\tenglish\n")
            << "2||COM3|0|38400|hw 101 16 8|clock 1  12";
        QTest::newRow("screen 300 in row 2")
            << QByteArray("screen,port,speed\n300,1,9600\n")
            << "error 9600|2|screen|300|9610";
        QTest::newRow("half a panel")
            << QByteArray("port,screen,speed,width,height\n1,1,9600,128,\n")
            << "error 9601|2|height|9621";
        QTest::newRow("no speed cell")
            << QByteArray("port,screen,speed\n1,1,9600\n1,2,\n")
            << "error 9601|3|speed|9623";
        QTest::newRow("a speed the screens lack")
            << QByteArray("port,screen,speed\n1,1,4800\n") << "error 9600|2|speed|4800|9611";
        QTest::newRow("three wraps") << QByteArray("port,screen,speed,oe,byte-order,invert,wraps,wrap-mode\n1,1,9600,0,0,0,3,0\n")
            << "error 9600|2|wraps|3|9618";
        QTest::newRow("size 0") << QByteArray("port,screen,speed,clock,size\n1,1,9600,english,0\n")
            << "error 9600|2|size|0|9616";
        QTest::newRow("a bare word as port") << QByteArray("port,screen,speed\nttyUSB0,1,9600\n")
            << "error 9600|2|port|ttyUSB0|9620";
        QTest::newRow("a column nobody knows") << QByteArray("port,screen,speed,brightness\n")
            << "error 9603|4|brightness";
        QTest::newRow("no port column") << QByteArray("screen,speed\n1,9600\n") << "error 9602|port|串口";
        QTest::newRow("only a header") << QByteArray("port,screen,speed\n") << "error 9605|";
        QTest::newRow("an open quote") << QByteArray("port,screen,speed\n\"1,1,9600\n") << "error 9608|2";
        // clang-format on
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        const std::variant<site::SiteFile, Message> r = site::parseSiteFile(bytes);
        QString got;
        if (const auto* file = std::get_if<site::SiteFile>(&r)) {
            QStringList rows;
            for (const site::SiteRow& row : file->rows)
                rows << describe(row);
            got = rows.join(QStringLiteral(" / "));
        } else {
            const Message& m = std::get<Message>(r);
            QStringList e{"error " + QString::number(m.id)};
            for (const TextArg& a : m.args)
                e << (a.id ? QString::number(a.id) : a.literal);
            got = e.join(u'|');
        }
        QTEST(got, "want");
    }
};

QTEST_GUILESS_MAIN(TestSiteFile)
#include "tst_sitefile.moc"
