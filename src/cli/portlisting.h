#pragma once

#include "link/portmap.h"
#include "strings/stringtable.h"

#include <QList>
#include <QString>

namespace krn::cli {

// `ports`: every number that leads somewhere (the routes of PortMap), with
// what the system says of its device.
QString portsText(const QList<PortRoute>& rows, strings::Language language);
QString portsJson(const QList<PortRoute>& rows);

} // namespace krn::cli
