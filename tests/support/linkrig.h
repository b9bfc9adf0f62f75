#pragma once

// The real link parts on a private settings file, with the message boxes
// recorded: what the app wires together in main(), minus the window.

#include "core/programvalues.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qteventpump.h"
#include "link/qtserialport.h"
#include "settings/profilefile.h"
#include "support/recordingboxes.h"

#include <QTemporaryDir>

namespace krn::test {

struct LinkRig {
    // Serial port 1 opens `device` from now on.
    bool mapPort1(const QString& device) { return settings.writeText(u"Ports", u"1", device); }

    QTemporaryDir dir;
    krn::ProgramValues values;
    krn::LinkState& state = values.link;
    krn::ProfileFile settings{dir.filePath(QStringLiteral("krntools.ini"))};
    krn::PortMap ports{&settings};
    krn::QtSerialPort port;
    RecordingBoxes boxes;
    krn::SteadyClock clock;
    krn::QtEventPump pump;
    krn::Link link{values.link, port, ports, boxes, clock, pump};
};

} // namespace krn::test
