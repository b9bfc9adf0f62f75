#pragma once

#include "strings/stringtable.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

namespace krn::cli {

// A serial device as the system describes it.
struct PortDevice {
    QString device; // /dev/ttyUSB0, COM3
    QString description;
    QString maker;
    QString serialNumber;
};

// One row of `ports`: the number --port takes, and what it opens.
struct PortRow {
    qint32 number = 0;
    PortDevice port;
};

// Numbers every port the way the window does: a [Ports] mapping for n wins
// (`mapped` returns it, or "" when n is unmapped); otherwise n is the n-th
// system device in port order. Mappings are looked at up to the larger of
// the device count and `mappedUpTo`.
QList<PortRow> portRows(const QList<PortDevice>& system,
                        const std::function<QString(qint32)>& mapped, qint32 mappedUpTo = 16);

// The system's devices (QSerialPortInfo).
QList<PortDevice> systemPorts();

QString portsText(const QList<PortRow>& rows, strings::Language language);
QString portsJson(const QList<PortRow>& rows);

} // namespace krn::cli
