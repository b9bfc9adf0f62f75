#include "vscreenoptions.h"

#include "krn_version.h"

#include <QCommandLineParser>
#include <climits>

namespace krn::vscreen {

namespace {
// A whole number in [low, high] or nothing.
std::optional<int> number(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}
} // namespace

std::optional<VScreenOptions> VScreenOptions::parse(const QStringList& arguments, QString* error,
                                                    bool* helpShown)
{
    *helpShown = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays an LED display controller on a pseudo-terminal. Prints \"ready DEVICE\", then one "
        "line per frame received, and a summary of the controller's state when it ends.\n"
        "Frames are counted when their checksum is good, whatever screen they address. The "
        "frame that triggers --hangup-after is not answered."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screen(QStringLiteral("screen"),
                                    QStringLiteral("Screen number to answer to (default 1)."),
                                    QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Make PATH a symbolic link to the device."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption mode(
        QStringLiteral("mode"),
        QStringLiteral("ack (answer 06), silent (never answer), nak (answer 15), garbage "
                       "(answer 15 06 in one write). Default ack."),
        QStringLiteral("MODE"), QStringLiteral("ack"));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Wait MS milliseconds before answering."),
                                   QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption stopAfter(QStringLiteral("stop-after"),
                                       QStringLiteral("Answer only the first K frames."),
                                       QStringLiteral("K"));
    const QCommandLineOption hangupAfter(
        QStringLiteral("hangup-after"),
        QStringLiteral("Close the pty on the K-th frame, then exit."), QStringLiteral("K"));
    const QCommandLineOption broadcastAck(QStringLiteral("broadcast-ack"),
                                          QStringLiteral("Answer frames to screen 255 too."));
    const QCommandLineOption glyphsPng(
        QStringLiteral("glyphs-png"),
        QStringLiteral("Write the clock glyph table as a picture after each glyph frame and at "
                       "the end."),
        QStringLiteral("FILE"));
    const QCommandLineOption glyphsText(
        QStringLiteral("glyphs-text"),
        QStringLiteral("Write the clock glyph table as text after each glyph frame and at the "
                       "end."),
        QStringLiteral("FILE"));
    parser.addOptions(
        {screen, link, mode, delay, stopAfter, hangupAfter, broadcastAck, glyphsPng, glyphsText});

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *helpShown = true;
        *error = parser.helpText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        *helpShown = true;
        *error = QStringLiteral("krntools-vscreen ") + QLatin1String(kVersion);
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error =
            QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
        return std::nullopt;
    }

    VScreenOptions o;
    const auto read = [&](const QCommandLineOption& option, int low, int high, int* target) {
        if (!parser.isSet(option) && option.defaultValues().isEmpty())
            return true;
        const std::optional<int> value = number(parser.value(option), low, high);
        if (!value) {
            *error = QStringLiteral("--%1 needs a whole number from %2 to %3, not \"%4\"")
                         .arg(option.names().first())
                         .arg(low)
                         .arg(high)
                         .arg(parser.value(option));
            return false;
        }
        *target = *value;
        return true;
    };
    int screenNumber = 1;
    if (!read(screen, 0, 255, &screenNumber) || !read(delay, 0, 600000, &o.delayMs) ||
        !read(stopAfter, 0, INT_MAX, &o.stopAfter) ||
        !read(hangupAfter, 1, INT_MAX, &o.hangupAfter))
        return std::nullopt;
    o.screen = static_cast<quint8>(screenNumber);

    const QString modeText = parser.value(mode);
    if (modeText == QLatin1String("ack"))
        o.mode = AnswerMode::Ack;
    else if (modeText == QLatin1String("silent"))
        o.mode = AnswerMode::Silent;
    else if (modeText == QLatin1String("nak"))
        o.mode = AnswerMode::Nak;
    else if (modeText == QLatin1String("garbage"))
        o.mode = AnswerMode::Garbage;
    else {
        *error =
            QStringLiteral("--mode must be ack, silent, nak or garbage, not \"%1\"").arg(modeText);
        return std::nullopt;
    }
    o.link = parser.value(link);
    o.broadcastAck = parser.isSet(broadcastAck);
    o.glyphsPng = parser.value(glyphsPng);
    o.glyphsText = parser.value(glyphsText);
    return o;
}

} // namespace krn::vscreen
