#pragma once

// The real link parts on a private settings file: what the app wires together
// in main(), minus the window.

#include "core/programvalues.h"
#include "core/qteventpump.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qtserialport.h"
#include "settings/profilefile.h"
#include "settings/settings.h"

#include <QTemporaryDir>

namespace krn::test {

struct LinkRig {
    // Serial port 1 opens `device` from now on.
    bool mapPort1(const QString& device) { return settings.setPortMapping(1, device); }

    QTemporaryDir dir;
    krn::ProgramValues values;
    krn::LinkState& state = values.link;
    krn::ProfileFile file{dir.filePath(QStringLiteral("krntools.ini"))};
    krn::Settings settings{file};
    krn::PortMap ports{&settings};
    krn::QtSerialPort port;
    krn::SteadyClock clock;
    krn::QtEventPump pump;
    krn::Link link{values.link, port, ports, clock, pump};
};

} // namespace krn::test
