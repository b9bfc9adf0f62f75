#include "clioptions.h"

#include "link/netaddress.h"
#include "numberlist.h"
#include "strings/toolids.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>

namespace krn::cli {

namespace {

struct CommandWord {
    CliCommand command;
    std::optional<Command> engine; // the controller command it sends, which names it
    const char* word;              // the name of a command of the tool's own
    int arguments;                 // positional arguments after the word
};

constexpr std::array kCommands{
    CommandWord{CliCommand::Ports, {}, "ports", 0},
    CommandWord{CliCommand::Reset, Command::Reset, nullptr, 0},
    CommandWord{CliCommand::Speed, Command::NewLineSpeed, nullptr, 1},
    CommandWord{CliCommand::Number, Command::NewScreenNumber, nullptr, 1},
    CommandWord{CliCommand::Panel, Command::Panel, nullptr, 0},
    CommandWord{CliCommand::Hardware, Command::HardwareOptions, nullptr, 0},
    CommandWord{CliCommand::Clock, Command::ClockDownload, nullptr, 0},
    CommandWord{CliCommand::Find, Command::Find, nullptr, 0},
    CommandWord{CliCommand::Plan, {}, "plan", 1},
    CommandWord{CliCommand::Apply, {}, "apply", 1},
    CommandWord{CliCommand::Commission, {}, "commission", 1},
};

QLatin1String wordOf(const CommandWord& c)
{
    return QLatin1String(c.engine ? commandName(*c.engine) : c.word);
}

// Which commands an option belongs to.
constexpr unsigned bit(CliCommand c)
{
    return 1u << unsigned(c);
}
constexpr unsigned Sending = bit(CliCommand::Reset) | bit(CliCommand::Speed) |
                             bit(CliCommand::Number) | bit(CliCommand::Panel) |
                             bit(CliCommand::Hardware) | bit(CliCommand::Clock);
constexpr unsigned Site =
    bit(CliCommand::Plan) | bit(CliCommand::Apply) | bit(CliCommand::Commission);
constexpr unsigned SiteSending = bit(CliCommand::Apply) | bit(CliCommand::Commission);
constexpr unsigned Everything = ~0u;

using Check = std::optional<Message>;

Message error(quint16 id, const QStringList& args = {})
{
    Message m{id};
    for (const QString& a : args)
        m.args << TextArg(a);
    return m;
}

// How an option's value is taken.
enum class Kind {
    Flag,   // no value: sets `flag`
    Text,   // any text that is not empty, into `text`
    Range,  // a whole number from `low` to `high`, into `number`
    Choice, // one of `choices` (comma-separated), its position into `number`
    Speed,  // one of the line speeds, into `number`
    Custom, // `custom` takes it
};

struct Option {
    const char* name;
    unsigned scope;
    Kind kind;
    bool CliOptions::*flag = nullptr;
    QString CliOptions::*text = nullptr;
    std::optional<qint32> CliOptions::*number = nullptr;
    qint32 low = 0;
    qint32 high = 0;
    const char* choices = nullptr;
    Check (*custom)(CliOptions&, const QString& option, const QString& value) = nullptr;
};

std::optional<strings::Language> languageNamed(const QString& value)
{
    QString v = value;
    v.replace(u'-', u'_');
    if (v.compare(u"zh_CN", Qt::CaseInsensitive) == 0)
        return strings::Language::SimplifiedChinese;
    if (v.compare(u"zh_TW", Qt::CaseInsensitive) == 0)
        return strings::Language::TraditionalChinese;
    if (v.compare(u"en", Qt::CaseInsensitive) == 0)
        return strings::Language::English;
    return std::nullopt;
}

std::optional<qint32> lineSpeed(const QString& value)
{
    const std::optional<qint64> n = wholeNumber(value);
    if (!n || std::find(LineSpeeds.begin(), LineSpeeds.end(), *n) == LineSpeeds.end())
        return std::nullopt;
    return qint32(*n);
}

Check rangeCheck(const QString& option, const QString& value, qint32 low, qint32 high, qint32* out)
{
    const std::optional<qint64> n = wholeNumber(value);
    if (!n)
        return error(strings::UsageNotANumber, {option, value});
    if (*n < low || *n > high)
        return error(strings::UsageOutOfRange,
                     {option, value, QString::number(low), QString::number(high)});
    *out = qint32(*n);
    return std::nullopt;
}

Check listCheck(const QString& option, const QString& value, qint32 low, qint32 high,
                QList<qint32>* out)
{
    std::optional<QList<qint32>> list = numberList(value, low, high);
    if (!list)
        return error(strings::UsageNotAScreenList,
                     {option, value, QString::number(low), QString::number(high)});
    *out = std::move(*list);
    return std::nullopt;
}

// A port is a number from 1 or something that names a device: a path, a
// network address or a Windows COM name. A bare word is more likely a typo.
Check port(CliOptions& o, const QString& option, const QString& value)
{
    if (const std::optional<qint64> n = wholeNumber(value)) {
        if (*n < 1 || *n > 65535)
            return error(strings::UsageNotAPort, {option, value});
        o.portNumber = qint32(*n);
        o.device.clear();
        return std::nullopt;
    }
    const bool device = value.contains(u'/') || value.contains(u'\\') ||
                        NetAddress::looksLikeNetwork(value) ||
                        value.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive);
    if (!device || value.startsWith(u'-'))
        return error(strings::UsageNotAPort, {option, value});
    o.device = value;
    o.portNumber.reset();
    return std::nullopt;
}

Check screens(CliOptions& o, const QString& option, const QString& value)
{
    QList<qint32> list;
    if (Check c = listCheck(option, value, 0, 255, &list))
        return c;
    o.screens = list;
    o.screensText = value;
    return std::nullopt;
}

Check language(CliOptions& o, const QString& option, const QString& value)
{
    o.language = languageNamed(value);
    if (!o.language)
        return error(strings::UsageNotAChoice, {option, value, QStringLiteral("zh_CN, zh_TW, en")});
    return std::nullopt;
}

Check password(CliOptions& o, const QString& option, const QString& value)
{
    if (value != HardwarePassword)
        return error(strings::UsageWrongPassword, {option});
    o.password = true;
    return std::nullopt;
}

Check wraps(CliOptions& o, const QString& option, const QString& value)
{
    const std::optional<qint64> n = wholeNumber(value);
    if (!n || std::find(WiringCounts.begin(), WiringCounts.end(), *n) == WiringCounts.end())
        return error(strings::UsageNotAChoice, {option, value, QStringLiteral("2, 4, 8, 16")});
    o.wraps = qint32(*n);
    return std::nullopt;
}

// Points as the font dialog takes them: decimals allowed (10.5).
Check clockSize(CliOptions& o, const QString& option, const QString& value)
{
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,4}(\\.[0-9]{1,3})?$"));
    if (!decimal.match(value).hasMatch())
        return error(strings::UsageNotANumber, {option, value});
    const double points = value.toDouble();
    if (!(points > 0 && points <= LargestClockPoints))
        return error(strings::UsageOutOfRange,
                     {option, value, QStringLiteral("0"), QString::number(LargestClockPoints)});
    o.clockSize = points;
    return std::nullopt;
}

Check findSpeeds(CliOptions& o, const QString& option, const QString& value)
{
    QList<qint32> speeds;
    for (const QString& item : value.split(u',')) {
        const std::optional<qint32> speed = lineSpeed(item.trimmed());
        if (!speed)
            return error(strings::UsageNotASpeed, {option, value});
        if (!speeds.contains(*speed))
            speeds << *speed;
    }
    o.findSpeeds = speeds;
    return std::nullopt;
}

Check findScreens(CliOptions& o, const QString& option, const QString& value)
{
    return listCheck(option, value, 0, 254, &o.findScreens);
}

Check rows(CliOptions& o, const QString& option, const QString& value)
{
    QList<qint32> list;
    if (Check c = listCheck(option, value, 2, 99999, &list))
        return c;
    o.rows = list;
    return std::nullopt;
}

using O = CliOptions;
const std::array kOptions{
    Option{.name = "help", .scope = Everything, .kind = Kind::Flag, .flag = &O::help},
    Option{.name = "version", .scope = Everything, .kind = Kind::Flag, .flag = &O::version},
    Option{.name = "port",
           .scope = Sending | bit(CliCommand::Find),
           .kind = Kind::Custom,
           .custom = &port},
    Option{.name = "speed", .scope = Sending, .kind = Kind::Speed, .number = &O::speed},
    Option{.name = "screen", .scope = Sending, .kind = Kind::Custom, .custom = &screens},
    Option{.name = "ini", .scope = Everything, .kind = Kind::Text, .text = &O::iniFile},
    Option{.name = "log",
           .scope = Sending | bit(CliCommand::Find) | SiteSending,
           .kind = Kind::Text,
           .text = &O::logFile},
    Option{.name = "json", .scope = Everything, .kind = Kind::Flag, .flag = &O::json},
    Option{.name = "dry-run",
           .scope = Sending | bit(CliCommand::Find),
           .kind = Kind::Flag,
           .flag = &O::dryRun},
    Option{.name = "lang", .scope = Everything, .kind = Kind::Custom, .custom = &language},
    Option{.name = "width",
           .scope = bit(CliCommand::Panel),
           .kind = Kind::Range,
           .number = &O::width,
           .high = LargestPanelSide},
    Option{.name = "height",
           .scope = bit(CliCommand::Panel),
           .kind = Kind::Range,
           .number = &O::height,
           .high = LargestPanelSide},
    Option{.name = "colour",
           .scope = bit(CliCommand::Panel),
           .kind = Kind::Choice,
           .number = &O::colourPosition,
           .choices = "dual,single"},
    Option{.name = "scan",
           .scope = bit(CliCommand::Panel),
           .kind = Kind::Range,
           .number = &O::scanPosition,
           .high = 3},
    Option{.name = "password",
           .scope = bit(CliCommand::Hardware) | Site,
           .kind = Kind::Custom,
           .custom = &password},
    Option{.name = "oe",
           .scope = bit(CliCommand::Hardware),
           .kind = Kind::Range,
           .number = &O::oe,
           .high = 1},
    Option{.name = "byte-order",
           .scope = bit(CliCommand::Hardware),
           .kind = Kind::Range,
           .number = &O::byteOrder,
           .high = 1},
    Option{.name = "invert",
           .scope = bit(CliCommand::Hardware),
           .kind = Kind::Range,
           .number = &O::invert,
           .high = 1},
    Option{.name = "wraps",
           .scope = bit(CliCommand::Hardware),
           .kind = Kind::Custom,
           .custom = &wraps},
    Option{.name = "wrap-mode",
           .scope = bit(CliCommand::Hardware),
           .kind = Kind::Range,
           .number = &O::wrapMode,
           .high = WiringModes - 1},
    Option{.name = "language",
           .scope = bit(CliCommand::Clock),
           .kind = Kind::Choice,
           .number = &O::clockLanguage,
           .choices = "chinese,english"},
    Option{
        .name = "font", .scope = bit(CliCommand::Clock), .kind = Kind::Text, .text = &O::clockFont},
    Option{.name = "size",
           .scope = bit(CliCommand::Clock),
           .kind = Kind::Custom,
           .custom = &clockSize},
    Option{.name = "speeds",
           .scope = bit(CliCommand::Find),
           .kind = Kind::Custom,
           .custom = &findSpeeds},
    Option{.name = "screens",
           .scope = bit(CliCommand::Find),
           .kind = Kind::Custom,
           .custom = &findScreens},
    Option{.name = "probe-wait",
           .scope = bit(CliCommand::Find),
           .kind = Kind::Range,
           .number = &O::probeWaitMs,
           .low = 1,
           .high = 60000},
    Option{.name = "first", .scope = bit(CliCommand::Find), .kind = Kind::Flag, .flag = &O::first},
    Option{.name = "rows", .scope = Site, .kind = Kind::Custom, .custom = &rows},
    Option{.name = "jobs",
           .scope = bit(CliCommand::Apply),
           .kind = Kind::Range,
           .number = &O::jobs,
           .low = 1,
           .high = 64},
    Option{.name = "report", .scope = SiteSending, .kind = Kind::Text, .text = &O::reportFile},
    Option{
        .name = "next", .scope = bit(CliCommand::Commission), .kind = Kind::Flag, .flag = &O::next},
};

// The commands' own options that have no remembered default.
constexpr std::array kHardwareOptions{"--password", "--oe",    "--byte-order",
                                      "--invert",   "--wraps", "--wrap-mode"};

Check apply(const Option& option, CliOptions& o, const QString& spelled, const QString& value)
{
    switch (option.kind) {
    case Kind::Flag:
        o.*option.flag = true;
        return std::nullopt;
    case Kind::Text:
        if (value.isEmpty())
            return error(strings::UsageEmptyValue, {spelled});
        o.*option.text = value;
        return std::nullopt;
    case Kind::Range: {
        qint32 n = 0;
        if (Check c = rangeCheck(spelled, value, option.low, option.high, &n))
            return c;
        o.*option.number = n;
        return std::nullopt;
    }
    case Kind::Choice: {
        const QStringList choices = QString::fromLatin1(option.choices).split(u',');
        const qsizetype i = choices.indexOf(value);
        if (i < 0)
            return error(strings::UsageNotAChoice,
                         {spelled, value, choices.join(QStringLiteral(", "))});
        o.*option.number = qint32(i);
        return std::nullopt;
    }
    case Kind::Speed:
        if (const std::optional<qint32> speed = lineSpeed(value)) {
            o.*option.number = *speed;
            return std::nullopt;
        }
        return error(strings::UsageNotASpeed, {spelled, value});
    case Kind::Custom:
        return option.custom(o, spelled, value);
    }
    return std::nullopt;
}

const Option* optionNamed(QStringView name)
{
    for (const Option& o : kOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

} // namespace

QString commandWord(CliCommand command)
{
    for (const CommandWord& c : kCommands)
        if (c.command == command)
            return wordOf(c);
    return {};
}

std::optional<Command> engineCommand(CliCommand command)
{
    for (const CommandWord& c : kCommands)
        if (c.command == command)
            return c.engine;
    return std::nullopt;
}

ParseResult parseCommandLine(const QStringList& arguments)
{
    ParseResult result;
    CliOptions o;
    struct Given {
        const Option* option;
        QString spelled; // "--width"
        QString value;
    };
    QList<Given> given;
    QStringList positional;
    const auto fail = [&](Message m) {
        result.error = std::move(m);
        return result;
    };

    // First the words: which options, which values, which positionals.
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("-h")) {
            o.help = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            positional << arg;
            continue;
        }
        const qsizetype eq = arg.indexOf(u'=');
        const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
        const QString spelled = QStringLiteral("--") + name;
        const Option* option = optionNamed(name);
        if (!option)
            return fail(error(strings::UsageUnknownOption, {spelled}));
        QString value;
        if (option->kind != Kind::Flag) {
            if (eq >= 0)
                value = arg.mid(eq + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                return fail(error(strings::UsageMissingValue, {spelled}));
        } else if (eq >= 0) {
            return fail(error(strings::UsageUnexpectedArgument, {arg}));
        }
        given << Given{option, spelled, value};
        if (name == QLatin1String("lang"))
            result.language = languageNamed(value);
        if (name == QLatin1String("help"))
            o.help = true;
        if (name == QLatin1String("version"))
            o.version = true;
    }
    if (o.help || o.version) {
        o.language = result.language;
        result.options = o;
        return result;
    }

    // Then the command, and whether each option belongs to it.
    if (positional.isEmpty())
        return fail(error(strings::UsageNoCommand));
    const QString word = positional.takeFirst();
    const auto command = std::find_if(kCommands.begin(), kCommands.end(),
                                      [&](const CommandWord& c) { return word == wordOf(c); });
    if (command == kCommands.end())
        return fail(error(strings::UsageUnknownCommand, {word}));
    o.command = command->command;
    for (const Given& g : std::as_const(given))
        if (!(g.option->scope & bit(o.command)))
            return fail(error(strings::UsageOptionNotForCommand, {g.spelled, word}));
    if (positional.size() < command->arguments)
        return fail(error(strings::UsageMissingValue, {word}));
    if (positional.size() > command->arguments)
        return fail(error(strings::UsageUnexpectedArgument, {positional.at(command->arguments)}));

    // Then every value, in the order given; the first bad one is reported.
    for (const Given& g : std::as_const(given))
        if (Check c = apply(*g.option, o, g.spelled, g.value))
            return fail(*c);
    switch (o.command) {
    case CliCommand::Speed:
        if (const std::optional<qint32> speed = lineSpeed(positional.at(0)))
            o.newSpeed = *speed;
        else
            return fail(error(strings::UsageNotASpeed, {word, positional.at(0)}));
        break;
    case CliCommand::Number:
        if (Check c = rangeCheck(word, positional.at(0), 0, 255, &o.newScreen))
            return fail(*c);
        // Giving several screens one number would make them answer together.
        if (o.screens && o.screens->size() > 1)
            return fail(error(strings::UsageOneScreenOnly,
                              {word, QStringLiteral("--screen"), o.screensText}));
        break;
    case CliCommand::Hardware:
        for (const char* required : kHardwareOptions) {
            const bool present = std::any_of(given.begin(), given.end(), [&](const Given& g) {
                return g.spelled == QLatin1String(required);
            });
            if (!present)
                return fail(error(strings::UsageMissingOption, {word, QLatin1String(required)}));
        }
        break;
    case CliCommand::Find:
        if (o.findScreens.isEmpty())
            for (qint32 n = 0; n <= 254; ++n)
                o.findScreens << n;
        break;
    case CliCommand::Plan:
    case CliCommand::Apply:
    case CliCommand::Commission:
        if (positional.at(0).isEmpty())
            return fail(error(strings::UsageEmptyValue, {word}));
        o.siteFile = positional.at(0);
        break;
    default:
        break;
    }
    result.options = o;
    return result;
}

} // namespace krn::cli
