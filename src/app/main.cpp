#include "commands/commander.h"
#include "core/programvalues.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qteventpump.h"
#include "link/qtserialport.h"
#include "settings/profilefile.h"
#include "strings/stringtable.h"
#include "window/fontchooser.h"
#include "window/icons.h"
#include "window/krn_tools.h"
#include "window/messageboxsink.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("krntools"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setWindowIcon(krn::icons::windowIcon());

    krn::ProgramValues values;
    krn::ProfileFile settings(krn::settingsLocationFor(QCoreApplication::applicationDirPath()));
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
    // Told once: with no folder to write, nothing picked in this run is kept.
    if (!settings.persistent())
        boxes.show(krn::strings::load(krn::strings::ChoicesNotKept),
                   krn::strings::load(krn::strings::PromptTitle), krn::MessageIcon::Exclamation);
    return QApplication::exec();
}
