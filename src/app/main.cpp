#include "app/commandline.h"
#include "commands/commander.h"
#include "core/programvalues.h"
#include "krn_version.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qteventpump.h"
#include "link/qtserialport.h"
#include "settings/profilefile.h"
#include "window/fontchooser.h"
#include "window/icons.h"
#include "window/krn_tools.h"
#include "window/messageboxsink.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (const std::optional<int> exitCode = krn::app::handleCommandLine(argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("krntools"));
    QApplication::setApplicationVersion(QLatin1String(krn::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("io.github.krntools.krntools"));
    QApplication::setWindowIcon(krn::icons::windowIcon());

    krn::ProgramValues values;
    krn::ProfileFile settings(krn::settingsPathFor(QCoreApplication::applicationDirPath()));
    krn::MessageBoxSink boxes;
    krn::DialogFontChooser fontChooser;

    krn::PortMap ports(&settings);
    krn::QtSerialPort port;
    krn::SteadyClock clock;
    krn::QtEventPump pump;
    krn::Link link(values.link, port, ports, boxes, clock, pump);
    krn::Commander commander(values, link, settings, boxes, pump);

    krn::KRN_Tools window(krn::WindowDeps{
        .values = values,
        .settings = settings,
        .boxes = boxes,
        .fontChooser = fontChooser,
        .commander = &commander,
        .now = &QDateTime::currentDateTime,
        .deviceForPort = [&ports](qint32 number) { return ports.deviceFor(number); },
    });
    boxes.setParent(&window);
    fontChooser.setParent(&window);
    window.show();
    return QApplication::exec();
}
