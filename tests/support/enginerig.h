#pragma once

// The engine as the programs assemble it, on a private settings file and a
// device list the test sets, with the virtual screen on a pty once started.

#include "commands/engine.h"
#include "core/programvalues.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "support/vscreenprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace krn::test {

struct FakeDevices : krn::SerialDevices {
    QList<krn::SerialDevice> list() const override { return devices; }
    QList<krn::SerialDevice> devices;
};

struct EngineRig {
    // Port 1 opens `device` from now on.
    bool mapPort1(const QString& device) { return settings.setPortMapping(1, device); }

    // The virtual screen started with `arguments`, port 1 mapped to it.
    bool start(const QStringList& arguments = {})
    {
        if (!screen.start(arguments)) {
            qWarning("%s", qPrintable(screen.errorText()));
            return false;
        }
        return mapPort1(screen.device());
    }

    // The frames the screen logged since the last look, as hex "5A A5 ...",
    // after waiting for `expected` and a little longer for any that should not come.
    QStringList frames(int expected)
    {
        screen.waitForLines(m_seen + expected, 5000);
        QTest::qWait(200);
        const QStringList lines = screen.logLines().mid(m_seen);
        m_seen += lines.size();
        QStringList hex;
        for (const QString& line : lines)
            if (line.contains(QLatin1String(" cmd ")))
                hex << line.section(QStringLiteral(" | "), 1, 1);
        return hex;
    }

    QByteArray fileBytes() const
    {
        QFile f(file.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    FakeDevices system;
    krn::ProgramValues values;
    krn::LinkState& state = values.link;
    krn::ProfileFile file{dir.filePath(QStringLiteral("krntools.ini"))};
    krn::Settings settings{file};
    krn::Engine engine{values.link, &settings, nullptr, &system};
    krn::Link& link = engine.link;
    krn::Commander& commander = engine.commander;
    VScreenProcess screen;

private:
    int m_seen = 0;
};

} // namespace krn::test
