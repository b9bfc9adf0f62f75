#include "app/commandline.h"
#include "commands/engine.h"
#include "commands/trafficlog.h"
#include "core/programvalues.h"
#include "krn_version.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "strings/stringtable.h"
#include "window/fontchooser.h"
#include "window/icons.h"
#include "window/krn_tools.h"
#include "window/messageboxsink.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Qt's own dialogs (box buttons, the font dialog) speak the operator's
// language too.
void loadQtTranslations(QApplication& app, QTranslator& translator)
{
    const char* name = nullptr;
    switch (krn::strings::languageFor(QLocale())) {
    case krn::strings::Language::SimplifiedChinese:
        name = "qtbase_zh_CN";
        break;
    case krn::strings::Language::TraditionalChinese:
        name = "qtbase_zh_TW";
        break;
    case krn::strings::Language::English:
        return;
    }
    if (translator.load(QString::fromLatin1(name),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

} // namespace

int main(int argc, char* argv[])
{
    if (const std::optional<int> exitCode = krn::app::handleCommandLine(argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("krntools"));
    QApplication::setApplicationVersion(QLatin1String(krn::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("io.github.krntools.krntools"));
    QApplication::setWindowIcon(krn::icons::windowIcon());
    QTranslator qtTranslator;
    loadQtTranslations(app, qtTranslator);

    krn::ProgramValues values;
    krn::ProfileFile file(krn::settingsLocationFor(QCoreApplication::applicationDirPath()));
    krn::Settings settings(file);
    krn::MessageBoxSink boxes;
    krn::DialogFontChooser fontChooser;

    krn::TrafficLogFile trafficLog(krn::TrafficLogFile::defaultPath());
    krn::EventFanout events;
    events.add(&trafficLog);

    krn::Engine engine(values.link, &settings, &events);

    krn::KRN_Tools window(krn::WindowDeps{
        .values = values,
        .settings = settings,
        .boxes = boxes,
        .fontChooser = fontChooser,
        .commander = &engine.commander,
        .now = &QDateTime::currentDateTime,
        .ports = &engine.ports,
        .trafficLog = trafficLog.path(),
    });
    boxes.setParent(&window);
    fontChooser.setParent(&window);
    window.show();
    // Told once: with no folder to write, nothing picked in this run is kept.
    if (!file.persistent())
        boxes.show(krn::strings::load(krn::strings::ChoicesNotKept),
                   krn::strings::load(krn::strings::PromptTitle), krn::MessageIcon::Exclamation);
    return QApplication::exec();
}
