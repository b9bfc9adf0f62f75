#include "cli/clioptions.h"
#include "cli/clirunner.h"
#include "cli/report.h"
#include "krn_version.h"
#include "settings/profilefile.h"
#include "strings/toolids.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// X11 and Wayland programs need a display server to draw, even off the
// screen; Windows and macOS always have what drawing needs.
bool displayServerReachable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const krn::cli::ParseResult parsed = krn::cli::parseCommandLine(arguments);

    // The clock download (also a site file's) draws glyphs and needs fonts;
    // without a display server it draws off-screen.
    using krn::cli::CliCommand;
    const bool drawsGlyphs = parsed.options && !parsed.options->help && !parsed.options->version &&
                             (parsed.options->command == CliCommand::Clock ||
                              parsed.options->command == CliCommand::Plan ||
                              parsed.options->command == CliCommand::Apply ||
                              parsed.options->command == CliCommand::Commission);
    if (drawsGlyphs && !displayServerReachable() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (drawsGlyphs)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("krntools"));
    QCoreApplication::setApplicationVersion(QLatin1String(krn::kVersion));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const krn::strings::Language language =
        parsed.language.value_or(krn::strings::languageFor(QLocale()));
    // The texts the engine looks up itself (the clock's weekday glyphs among
    // them) follow the chosen language too.
    if (parsed.language)
        QLocale::setDefault(QLocale(
            language == krn::strings::Language::SimplifiedChinese    ? QStringLiteral("zh_CN")
            : language == krn::strings::Language::TraditionalChinese ? QStringLiteral("zh_TW")
                                                                     : QStringLiteral("en_US")));

    if (!parsed.options) {
        err << "krntools-cli: " << krn::strings::render(parsed.error, language) << '\n'
            << krn::strings::load(krn::strings::UsageTryHelp, language) << '\n';
        return krn::cli::ExitUsage;
    }
    const krn::cli::CliOptions& options = *parsed.options;
    if (options.help) {
        out << krn::strings::load(krn::strings::HelpText, language) << '\n';
        return krn::cli::ExitDelivered;
    }
    if (options.version) {
        out << "krntools-cli " << QCoreApplication::applicationVersion() << '\n';
        return krn::cli::ExitDelivered;
    }
    const QString settingsPath = options.iniFile.isEmpty()
                                     ? krn::settingsPathFor(QCoreApplication::applicationDirPath())
                                     : options.iniFile;
    return krn::cli::runCommandLine(options, language, settingsPath,
                                    krn::cli::CliIo{out, err, isatty(STDERR_FILENO) == 1});
}
