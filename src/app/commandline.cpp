#include "commandline.h"

#include "krn_version.h"

#include <QLocale>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace krn::app {

std::optional<QString> answerCommandLine(const QStringList& arguments, strings::Language language)
{
    for (const QString& argument : arguments) {
        if (argument == u"--version" || argument == u"-v")
            return QStringLiteral("krntools ") + QLatin1String(kVersion);
        if (argument == u"--help" || argument == u"-h" || argument == u"-?") {
            QStringList lines;
            for (const quint16 id :
                 {strings::HelpUsage, strings::HelpPurpose, strings::HelpOptionHelp,
                  strings::HelpOptionVersion, strings::HelpSettings})
                lines << strings::load(id, language);
            lines.insert(2, QString());
            lines.insert(5, QString());
            return lines.join(u'\n');
        }
    }
    return std::nullopt;
}

std::optional<int> handleCommandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const std::optional<QString> answer =
        answerCommandLine(arguments, strings::languageFor(QLocale()));
    if (!answer)
        return std::nullopt;
#ifdef Q_OS_WIN
    // A windowed program has no console of its own: print into the one it was
    // started from, if any.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        SetConsoleOutputCP(CP_UTF8);
    }
#endif
    std::fputs(answer->toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace krn::app
