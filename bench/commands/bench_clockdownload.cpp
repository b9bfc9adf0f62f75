// How long the clock download takes against the virtual screen, next to the
// time its bytes need on a real line, and what one glyph costs to draw.
// Prints figures; speed is never a failure here.

#include "commands/engine.h"
#include "commands/glyphs.h"
#include "strings/stringtable.h"
#include "support/vscreenprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QFont clockFont()
{
    QFont f(QStringLiteral("Unifont"));
    f.setPixelSize(16);
    return f;
}

void benchRasteriser()
{
    const QFont font = clockFont();
    std::printf("Rasteriser (font %s, %d px), median of 500 runs per glyph:\n",
                qPrintable(QFontInfo(font).family()), QFontInfo(font).pixelSize());
    QFont bold = font;
    bold.setBold(true); // Unifont has none: drawn twice, and looked up per glyph
    struct Case {
        const char* name;
        QString text;
        QFont font;
    };
    const Case cases[] = {
        {"narrow (English clock)", krn::glyphs::glyphText(1), font},
        {"wide (CJK weekday names)", QStringLiteral("℃星期日一二三四五六"), font},
        {"narrow, bold synthesised", krn::glyphs::glyphText(1), bold},
    };
    qint64 drawn = 0;
    for (const Case& c : cases) {
        std::vector<double> perGlyph;
        for (QChar ch : c.text) {
            std::vector<double> runs;
            for (int i = 0; i < 500; ++i) {
                QElapsedTimer t;
                t.start();
                const QByteArray bytes = krn::glyphs::rasterise(c.font, ch);
                runs.push_back(double(t.nsecsElapsed()) / 1000.0);
                drawn += bytes.size();
            }
            perGlyph.push_back(median(runs));
        }
        std::printf("  %-26s %7.1f us per glyph (median over %zu glyphs; slowest %.1f us)\n",
                    c.name, median(perGlyph), perGlyph.size(),
                    *std::max_element(perGlyph.begin(), perGlyph.end()));
    }
    std::printf("  (%lld glyph bytes drawn)\n", static_cast<long long>(drawn));
}

void benchDownload()
{
    krn::test::VScreenProcess vscreen;
    if (!vscreen.start({QStringLiteral("--screen"), QStringLiteral("1")})) {
        std::printf("Clock download: the virtual screen did not start (%s); no figure.\n",
                    qPrintable(vscreen.errorText()));
        return;
    }
    const QString device = vscreen.device();

    krn::ProgramValues values;
    krn::Engine engine(values.link, nullptr);
    krn::Commander& commander = engine.commander;

    krn::CommandRequest request;
    request.command = krn::Command::ClockDownload;
    request.target = krn::LinkTarget{0, device, 9600, 1};
    request.values.clock = krn::ClockRequest{1, 1, clockFont(), QStringLiteral("Unifont"), 12};

    const int runs = 9;
    std::vector<double> ms;
    int frames = 0;
    for (int i = 0; i < runs; ++i) {
        const qint32 before = values.link.FrameSequence;
        QElapsedTimer t;
        t.start();
        const krn::Outcome outcome = commander.Send_Function(request);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        frames = (values.link.FrameSequence - before + 256) % 256;
        if (!outcome.delivered()) {
            std::printf("Clock download failed: %s\n",
                        qPrintable(krn::strings::render(outcome.message)));
            break;
        }
    }
    vscreen.stop();
    if (ms.size() < size_t(runs))
        return;

    // 912 glyph bytes in 29 frames, each with a 6-byte header and a checksum;
    // every frame waits for its one-byte acknowledgement. A byte on the line
    // is 11 bits: start, 8 data, odd parity, stop.
    const int glyphBytes = 912;
    const int wireBytes = glyphBytes + frames * 7;
    const int ackBytes = frames;
    std::printf("Clock download, English clock, %d frames, %d bytes sent + %d acknowledgements:\n",
                frames, wireBytes, ackBytes);
    std::printf("  virtual screen on a pty (ack mode): median %.1f ms, best %.1f ms over %d runs\n",
                median(ms), *std::min_element(ms.begin(), ms.end()), runs);
    for (int bps : {9600, 57600}) {
        const double sent = wireBytes * 11.0 * 1000.0 / bps;
        const double acks = ackBytes * 11.0 * 1000.0 / bps;
        std::printf("  real line at %5d bit/s: %.1f ms for the frames, %.1f ms with the "
                    "acknowledgements\n",
                    bps, sent, sent + acks);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    benchRasteriser();
    benchDownload();
    return 0;
}
