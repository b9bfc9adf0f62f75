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

std::optional<AnswerMode> answerMode(const QString& text)
{
    if (text == QLatin1String("ack"))
        return AnswerMode::Ack;
    if (text == QLatin1String("silent"))
        return AnswerMode::Silent;
    if (text == QLatin1String("nak"))
        return AnswerMode::Nak;
    if (text == QLatin1String("garbage"))
        return AnswerMode::Garbage;
    return std::nullopt;
}

// "N[:MODE],..." with every number once, N also a range "1-32" whose
// screens share the mode; modes left out are `fallback`.
std::optional<std::vector<ScreenSetup>> screenList(const QString& text, AnswerMode fallback,
                                                   QString* error)
{
    std::vector<ScreenSetup> screens;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QString numbers = item.section(QLatin1Char(':'), 0, 0);
        const std::optional<int> first = number(numbers.section(QLatin1Char('-'), 0, 0), 0, 255);
        const std::optional<int> last =
            numbers.contains(QLatin1Char('-'))
                ? number(numbers.section(QLatin1Char('-'), 1), first.value_or(0), 255)
                : first;
        const QString modeText = item.section(QLatin1Char(':'), 1);
        const std::optional<AnswerMode> mode =
            item.contains(QLatin1Char(':')) ? answerMode(modeText) : fallback;
        if (!first || !last || !mode || item.count(QLatin1Char(':')) > 1 ||
            numbers.count(QLatin1Char('-')) > 1) {
            *error = QStringLiteral("--screen needs numbers from 0 to 255 or ranges such as 1-32, "
                                    "each with an optional :ack, :silent, :nak or :garbage, not "
                                    "\"%1\"")
                         .arg(item);
            return std::nullopt;
        }
        for (int n = *first; n <= *last; ++n) {
            for (const ScreenSetup& earlier : screens)
                if (earlier.number == n) {
                    *error = QStringLiteral("--screen names %1 twice").arg(n);
                    return std::nullopt;
                }
            screens.push_back({static_cast<quint8>(n), *mode});
        }
    }
    return screens;
}

// "HOST:PORT"; an IPv6 host in brackets.
bool hostAndPort(const QString& text, VScreenOptions* o, QString* error)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    const std::optional<int> port = number(text.mid(colon + 1), 0, 65535);
    QHostAddress address;
    if (host == QLatin1String("localhost"))
        address = QHostAddress(QHostAddress::LocalHost);
    else
        address.setAddress(host);
    if (colon < 0 || !port || address.isNull()) {
        *error = QStringLiteral("--listen needs an address and a port, such as 127.0.0.1:7001, "
                                "not \"%1\"")
                     .arg(text);
        return false;
    }
    o->listenHost = address;
    o->listenPort = static_cast<quint16>(*port);
    return true;
}
} // namespace

std::optional<VScreenOptions> VScreenOptions::parse(const QStringList& arguments, QString* error,
                                                    bool* helpShown)
{
    *helpShown = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays LED display controllers on a pseudo-terminal (and on TCP with --listen). Prints "
        "\"listening tcp://HOST:PORT\" with --listen, then \"ready DEVICE\" (the TCP address "
        "with --no-pty), then one line per frame received, and a summary of the controllers' "
        "state when it ends.\n"
        "Frames are counted when their checksum is good, whatever screen they address. The "
        "frame that triggers --hangup-after is not answered.\n"
        "With several screens, each keeps its own state; summary lines and glyph files carry "
        "the number a screen started with (\"[3] ...\", FILE-3.png)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screen(
        QStringLiteral("screen"),
        QStringLiteral("Screen numbers on the line, each answering its own, a mode of its own "
                       "after a colon; a range holds many (1,5:silent,7,10-40). Default 1."),
        QStringLiteral("N[:MODE],..."), QStringLiteral("1"));
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
        QStringLiteral("Close the line (pty and TCP) on the K-th frame, then exit."),
        QStringLiteral("K"));
    const QCommandLineOption broadcastAck(QStringLiteral("broadcast-ack"),
                                          QStringLiteral("Answer frames to screen 255 too."));
    const QCommandLineOption speed(
        QStringLiteral("speed"),
        QStringLiteral("The screens listen at BAUD bit/s: frames the client sends at another "
                       "speed on the pty are noise to them. A line-speed command moves them to "
                       "its speed. Default: whatever the client sets."),
        QStringLiteral("BAUD"));
    const QCommandLineOption pace(
        QStringLiteral("pace"),
        QStringLiteral("Answer when a real line would have brought the answer: after the "
                       "frame's and the answer's time on the wire, 11 bits a byte, at the "
                       "pty's speed (on TCP at --speed, else 9600)."));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Also take one raw TCP client at a time on HOST:PORT (port 0: any free "
                       "one)."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption noPty(
        QStringLiteral("no-pty"), QStringLiteral("No pseudo-terminal: TCP only (needs --listen)."));
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
    parser.addOptions({screen, link, mode, delay, stopAfter, hangupAfter, broadcastAck, speed, pace,
                       listen, noPty, glyphsPng, glyphsText});

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
    if (!read(delay, 0, 600000, &o.delayMs) || !read(stopAfter, 0, INT_MAX, &o.stopAfter) ||
        !read(hangupAfter, 1, INT_MAX, &o.hangupAfter) || !read(speed, 50, 4000000, &o.speed))
        return std::nullopt;

    const QString modeText = parser.value(mode);
    const std::optional<AnswerMode> answer = answerMode(modeText);
    if (!answer) {
        *error =
            QStringLiteral("--mode must be ack, silent, nak or garbage, not \"%1\"").arg(modeText);
        return std::nullopt;
    }
    o.mode = *answer;
    const auto screens = screenList(parser.value(screen), o.mode, error);
    if (!screens)
        return std::nullopt;
    o.screens = *screens;

    if (parser.isSet(listen) && !hostAndPort(parser.value(listen), &o, error))
        return std::nullopt;
    o.pty = !parser.isSet(noPty);
    if (!o.pty && !o.listenHost) {
        *error = QStringLiteral("--no-pty needs --listen: the screens would have no line");
        return std::nullopt;
    }
    if (!o.pty && parser.isSet(link)) {
        *error = QStringLiteral("--link needs the pty; it cannot go with --no-pty");
        return std::nullopt;
    }
    o.link = parser.value(link);
    o.broadcastAck = parser.isSet(broadcastAck);
    o.pace = parser.isSet(pace);
    o.glyphsPng = parser.value(glyphsPng);
    o.glyphsText = parser.value(glyphsText);
    return o;
}

} // namespace krn::vscreen
