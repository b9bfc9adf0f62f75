#include "clioptions.h"

#include "commands/command.h"
#include "numberlist.h"
#include "strings/toolids.h"

#include <QHash>
#include <functional>

namespace krn::cli {

namespace {

using strings::ToolId;

struct Command {
    CliCommand command;
    const char* word;
    int arguments; // positional arguments after the word
};

constexpr std::array kCommands{
    Command{CliCommand::Ports, "ports", 0}, Command{CliCommand::Reset, "reset", 0},
    Command{CliCommand::Speed, "speed", 1}, Command{CliCommand::Number, "number", 1},
    Command{CliCommand::Panel, "panel", 0}, Command{CliCommand::Hardware, "hardware", 0},
    Command{CliCommand::Clock, "clock", 0}, Command{CliCommand::Find, "find", 0},
};

// Which commands an option belongs to.
enum Scope : unsigned {
    Ports = 1u << int(CliCommand::Ports),
    Reset = 1u << int(CliCommand::Reset),
    Speed = 1u << int(CliCommand::Speed),
    Number = 1u << int(CliCommand::Number),
    Panel = 1u << int(CliCommand::Panel),
    Hardware = 1u << int(CliCommand::Hardware),
    Clock = 1u << int(CliCommand::Clock),
    Find = 1u << int(CliCommand::Find),
    Sending = Reset | Speed | Number | Panel | Hardware | Clock, // one command to screens
    Everything = Sending | Ports | Find,
};

using Check = std::optional<UsageError>;
using Apply = std::function<Check(CliOptions&, const QString& option, const QString& value)>;

struct Option {
    const char* name;
    bool takesValue;
    unsigned scope;
    Apply apply;
};

UsageError error(quint16 id, QStringList args)
{
    return UsageError{id, std::move(args)};
}

Check speedValue(const QString& option, const QString& value, qint32* target)
{
    const std::optional<qint64> n = wholeNumber(value);
    if (!n || std::find(LineSpeeds.begin(), LineSpeeds.end(), *n) == LineSpeeds.end())
        return error(strings::UsageNotASpeed, {option, value});
    *target = qint32(*n);
    return std::nullopt;
}

Check rangeValue(const QString& option, const QString& value, qint32 low, qint32 high,
                 qint32* target)
{
    const std::optional<qint64> n = wholeNumber(value);
    if (!n)
        return error(strings::UsageNotANumber, {option, value});
    if (*n < low || *n > high)
        return error(strings::UsageOutOfRange,
                     {option, value, QString::number(low), QString::number(high)});
    *target = qint32(*n);
    return std::nullopt;
}

Check choiceValue(const QString& option, const QString& value, const QStringList& choices,
                  qint32* target)
{
    const qsizetype i = choices.indexOf(value);
    if (i < 0)
        return error(strings::UsageNotAChoice, {option, value, choices.join(QStringLiteral(", "))});
    *target = qint32(i);
    return std::nullopt;
}

Check listValue(const QString& option, const QString& value, qint32 low, qint32 high,
                QList<qint32>* target)
{
    std::optional<QList<qint32>> list = numberList(value, low, high);
    if (!list)
        return error(strings::UsageNotAScreenList,
                     {option, value, QString::number(low), QString::number(high)});
    *target = std::move(*list);
    return std::nullopt;
}

Check textValue(const QString& option, const QString& value, QString* target)
{
    if (value.isEmpty())
        return error(strings::UsageEmptyValue, {option});
    *target = value;
    return std::nullopt;
}

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

// A port is a number from 1 or something that names a device: a path, a
// network address or a Windows COM name. A bare word is more likely a typo.
Check portValue(const QString& option, const QString& value, CliOptions& o)
{
    if (const std::optional<qint64> n = wholeNumber(value)) {
        if (*n < 1 || *n > 65535)
            return error(strings::UsageNotAPort, {option, value});
        o.portNumber = qint32(*n);
        o.device.clear();
        return std::nullopt;
    }
    const bool device = value.contains(u'/') || value.contains(u'\\') ||
                        value.contains(QStringLiteral("://")) ||
                        value.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive);
    if (!device || value.startsWith(u'-'))
        return error(strings::UsageNotAPort, {option, value});
    o.device = value;
    o.portNumber.reset();
    return std::nullopt;
}

const std::vector<Option>& options()
{
    static const std::vector<Option> table{
        {"help", false, Everything,
         [](CliOptions& o, const QString&, const QString&) -> Check {
             o.help = true;
             return std::nullopt;
         }},
        {"version", false, Everything,
         [](CliOptions& o, const QString&, const QString&) -> Check {
             o.version = true;
             return std::nullopt;
         }},
        {"port", true, Sending | Find,
         [](CliOptions& o, const QString& opt, const QString& v) { return portValue(opt, v, o); }},
        {"speed", true, Sending,
         [](CliOptions& o, const QString& opt, const QString& v) {
             qint32 speed = 0;
             Check c = speedValue(opt, v, &speed);
             if (!c)
                 o.speed = speed;
             return c;
         }},
        {"screen", true, Sending,
         [](CliOptions& o, const QString& opt, const QString& v) {
             QList<qint32> screens;
             Check c = listValue(opt, v, 0, 255, &screens);
             if (!c) {
                 o.screens = screens;
                 o.screensText = v;
             }
             return c;
         }},
        {"ini", true, Everything,
         [](CliOptions& o, const QString& opt, const QString& v) {
             return textValue(opt, v, &o.iniFile);
         }},
        {"log", true, Sending | Find,
         [](CliOptions& o, const QString& opt, const QString& v) {
             return textValue(opt, v, &o.logFile);
         }},
        {"json", false, Everything,
         [](CliOptions& o, const QString&, const QString&) -> Check {
             o.json = true;
             return std::nullopt;
         }},
        {"dry-run", false, Sending | Find,
         [](CliOptions& o, const QString&, const QString&) -> Check {
             o.dryRun = true;
             return std::nullopt;
         }},
        {"lang", true, Everything,
         [](CliOptions& o, const QString& opt, const QString& v) -> Check {
             o.language = languageNamed(v);
             if (!o.language)
                 return error(strings::UsageNotAChoice,
                              {opt, v, QStringLiteral("zh_CN, zh_TW, en")});
             return std::nullopt;
         }},
        {"width", true, Panel,
         [](CliOptions& o, const QString& opt, const QString& v) {
             qint32 n = 0;
             Check c = rangeValue(opt, v, 0, 65535, &n);
             if (!c)
                 o.width = n;
             return c;
         }},
        {"height", true, Panel,
         [](CliOptions& o, const QString& opt, const QString& v) {
             qint32 n = 0;
             Check c = rangeValue(opt, v, 0, 65535, &n);
             if (!c)
                 o.height = n;
             return c;
         }},
        {"colour", true, Panel,
         [](CliOptions& o, const QString& opt, const QString& v) {
             qint32 n = 0;
             Check c = choiceValue(opt, v, {QStringLiteral("dual"), QStringLiteral("single")}, &n);
             if (!c)
                 o.colourPosition = n;
             return c;
         }},
        {"scan", true, Panel,
         [](CliOptions& o, const QString& opt, const QString& v) {
             qint32 n = 0;
             Check c = rangeValue(opt, v, 0, 3, &n);
             if (!c)
                 o.scanPosition = n;
             return c;
         }},
        {"password", true, Hardware,
         [](CliOptions&, const QString& opt, const QString& v) -> Check {
             if (v != HardwarePassword)
                 return error(strings::UsageWrongPassword, {opt});
             return std::nullopt;
         }},
        {"oe", true, Hardware,
         [](CliOptions& o, const QString& opt, const QString& v) {
             return rangeValue(opt, v, 0, 1, &o.hardware[0]);
         }},
        {"byte-order", true, Hardware,
         [](CliOptions& o, const QString& opt, const QString& v) {
             return rangeValue(opt, v, 0, 1, &o.hardware[1]);
         }},
        {"invert", true, Hardware,
         [](CliOptions& o, const QString& opt, const QString& v) {
             return rangeValue(opt, v, 0, 1, &o.hardware[2]);
         }},
        {"wraps", true, Hardware,
         [](CliOptions& o, const QString& opt, const QString& v) {
             qint32 position = 0;
             Check c = choiceValue(opt, v,
                                   {QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("8"),
                                    QStringLiteral("16")},
                                   &position);
             if (!c)
                 o.hardware[3] = v.toInt();
             return c;
         }},
        {"wrap-mode", true, Hardware,
         [](CliOptions& o, const QString& opt, const QString& v) {
             return rangeValue(opt, v, 0, 8, &o.hardware[4]);
         }},
        {"language", true, Clock,
         [](CliOptions& o, const QString& opt, const QString& v) {
             qint32 n = 0;
             Check c =
                 choiceValue(opt, v, {QStringLiteral("chinese"), QStringLiteral("english")}, &n);
             if (!c)
                 o.clockLanguage = n;
             return c;
         }},
        {"font", true, Clock,
         [](CliOptions& o, const QString& opt, const QString& v) {
             return textValue(opt, v, &o.clockFont);
         }},
        {"size", true, Clock,
         [](CliOptions& o, const QString& opt, const QString& v) {
             qint32 n = 0;
             Check c = rangeValue(opt, v, 1, 1638, &n); // the window's largest clock size
             if (!c)
                 o.clockSize = n;
             return c;
         }},
        {"speeds", true, Find,
         [](CliOptions& o, const QString& opt, const QString& v) -> Check {
             QList<qint32> speeds;
             for (const QString& item : v.split(u',')) {
                 qint32 speed = 0;
                 if (speedValue(opt, item.trimmed(), &speed))
                     return error(strings::UsageNotASpeed, {opt, v});
                 if (!speeds.contains(speed))
                     speeds << speed;
             }
             o.findSpeeds = speeds;
             return std::nullopt;
         }},
        {"screens", true, Find,
         [](CliOptions& o, const QString& opt, const QString& v) {
             return listValue(opt, v, 0, 254, &o.findScreens);
         }},
        {"probe-wait", true, Find,
         [](CliOptions& o, const QString& opt, const QString& v) {
             qint32 n = 0;
             Check c = rangeValue(opt, v, 1, 60000, &n);
             if (!c)
                 o.probeWaitMs = n;
             return c;
         }},
        {"first", false, Find,
         [](CliOptions& o, const QString&, const QString&) -> Check {
             o.first = true;
             return std::nullopt;
         }},
    };
    return table;
}

const Option* optionNamed(QStringView name)
{
    for (const Option& o : options())
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

// Options the command needs that have no remembered default.
QStringList requiredOptions(CliCommand command)
{
    if (command == CliCommand::Hardware)
        return {QStringLiteral("--password"),   QStringLiteral("--oe"),
                QStringLiteral("--byte-order"), QStringLiteral("--invert"),
                QStringLiteral("--wraps"),      QStringLiteral("--wrap-mode")};
    return {};
}

} // namespace

QString commandWord(CliCommand command)
{
    for (const Command& c : kCommands)
        if (c.command == command)
            return QString::fromLatin1(c.word);
    return {};
}

QString UsageError::text(strings::Language language) const
{
    // One pass, so a value such as "%1" typed by the operator stays as typed.
    const QString pattern = strings::load(id, language);
    QString t;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size() && pattern[i + 1] >= u'1' &&
            pattern[i + 1] <= u'9' && pattern[i + 1].unicode() - u'1' < args.size()) {
            t += args.at(pattern[i + 1].unicode() - u'1');
            ++i;
        } else {
            t += c;
        }
    }
    return t;
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

    // First the words: which options, which values, which positionals.
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("-h"))
            o.help = true;
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            if (arg != QLatin1String("-h"))
                positional << arg;
            continue;
        }
        const qsizetype eq = arg.indexOf(u'=');
        const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
        const QString spelled = QStringLiteral("--") + name;
        const Option* option = optionNamed(name);
        if (!option) {
            result.error = error(strings::UsageUnknownOption, {spelled});
            return result;
        }
        QString value;
        if (option->takesValue) {
            if (eq >= 0)
                value = arg.mid(eq + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else {
                result.error = error(strings::UsageMissingValue, {spelled});
                return result;
            }
        } else if (eq >= 0) {
            result.error = error(strings::UsageUnexpectedArgument, {arg});
            return result;
        }
        given << Given{option, spelled, value};
        if (name == QLatin1String("lang"))
            result.language = languageNamed(value);
    }
    for (const Given& g : given) {
        if (g.option->name == QLatin1String("help"))
            o.help = true;
        if (g.option->name == QLatin1String("version"))
            o.version = true;
    }
    if (o.help || o.version) {
        o.language = result.language;
        result.options = o;
        return result;
    }

    // Then the command, and whether each option belongs to it.
    if (positional.isEmpty()) {
        result.error = error(strings::UsageNoCommand, {});
        return result;
    }
    const QString word = positional.takeFirst();
    const auto command = std::find_if(kCommands.begin(), kCommands.end(), [&](const Command& c) {
        return word == QLatin1String(c.word);
    });
    if (command == kCommands.end()) {
        result.error = error(strings::UsageUnknownCommand, {word});
        return result;
    }
    o.command = command->command;
    for (const Given& g : given) {
        if (!(g.option->scope & (1u << int(o.command)))) {
            result.error = error(strings::UsageOptionNotForCommand, {g.spelled, word});
            return result;
        }
    }
    if (positional.size() < command->arguments) {
        result.error = error(strings::UsageMissingValue, {word});
        return result;
    }
    if (positional.size() > command->arguments) {
        result.error = error(strings::UsageUnexpectedArgument, {positional.at(command->arguments)});
        return result;
    }

    // Then every value, in the order given; the first bad one is reported.
    for (const Given& g : given) {
        if (Check c = g.option->apply(o, g.spelled, g.value)) {
            result.error = *c;
            return result;
        }
    }
    if (o.command == CliCommand::Speed) {
        if (Check c = speedValue(word, positional.at(0), &o.newSpeed)) {
            result.error = *c;
            return result;
        }
    }
    if (o.command == CliCommand::Number) {
        if (Check c = rangeValue(word, positional.at(0), 0, 255, &o.newScreen)) {
            result.error = *c;
            return result;
        }
        // Giving several screens one number would make them answer together.
        if (o.screens && o.screens->size() > 1) {
            result.error = error(strings::UsageOneScreenOnly,
                                 {word, QStringLiteral("--screen"), o.screensText});
            return result;
        }
    }
    for (const QString& required : requiredOptions(o.command)) {
        const bool present = std::any_of(given.begin(), given.end(),
                                         [&](const Given& g) { return g.spelled == required; });
        if (!present) {
            result.error = error(strings::UsageMissingOption, {word, required});
            return result;
        }
    }
    if (o.command == CliCommand::Find && o.findScreens.isEmpty())
        for (qint32 n = 0; n <= 254; ++n)
            o.findScreens << n;
    result.options = o;
    return result;
}

} // namespace krn::cli
