#pragma once

// The command layer wired to the virtual screen over a pseudo-terminal: the
// real serial backend, port 1 mapped to the screen's device in a temporary
// settings file, message boxes recorded.

#include "commands/commander.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qteventpump.h"
#include "link/qtserialport.h"
#include "settings/profilefile.h"
#include "support/recordingboxes.h"
#include "support/vscreenprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace krn::test {

using Box = RecordedBox;

inline const QString SuccessBody = QStringLiteral("Set parameter ok!");
inline const QString SuccessTitle = QStringLiteral("Prompt Window");
inline const QString ErrorTitle = QStringLiteral("Error prompt");
inline const QString SendTitle = QStringLiteral("error--sending byte...");

inline QFont unifont()
{
    QFont f(QStringLiteral("Unifont"));
    f.setPixelSize(16);
    return f;
}

// A window whose lists all have a selection: port 1, 9600, screen 1.
inline krn::FormSnapshot typicalForm()
{
    krn::FormSnapshot f;
    f.portListIndex = 0;
    f.baudText = QStringLiteral("9600");
    f.screenText = QStringLiteral("1");
    f.colourPosition = 0;
    f.widthText = QStringLiteral("300.5");
    f.heightText = QStringLiteral("32");
    f.newBaudPosition = 2;
    f.clockLanguagePosition = 1;
    f.scanPosition = 3;
    f.newScreenText = QStringLiteral("254.5");
    f.hardwarePositions = {1, 0, 1, 0, 2};
    f.wiringCountText = QStringLiteral("6");
    return f;
}

// Everything between the command buttons and the virtual screen, with port 1
// mapped to the screen's device.
struct Rig {
    krn::test::VScreenProcess screen;
    QTemporaryDir dir;
    std::unique_ptr<krn::ProfileFile> settings;
    krn::ProgramValues values;
    krn::QtSerialPort port;
    std::unique_ptr<krn::PortMap> ports;
    RecordingBoxes boxes;
    krn::SteadyClock clock;
    krn::QtEventPump pump;
    std::unique_ptr<krn::Link> link;
    std::unique_ptr<krn::Commander> commander;

    bool start(const QStringList& screenArguments)
    {
        if (!screen.start(screenArguments)) {
            qWarning("%s", qPrintable(screen.errorText()));
            return false;
        }
        const QString path = dir.filePath(QStringLiteral("krntools.ini"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write("[Ports]\n1=" + screen.device().toUtf8() + "\n");
        file.close();
        settings = std::make_unique<krn::ProfileFile>(path);
        values.SettingsPath = path;
        values.ClockLanguage = 1;
        values.ClockFontName = QStringLiteral("Unifont");
        values.ClockFontSize = 12;
        ports = std::make_unique<krn::PortMap>(settings.get());
        link = std::make_unique<krn::Link>(values.link, port, *ports, boxes, clock, pump);
        commander = std::make_unique<krn::Commander>(values, *link, *settings, boxes, pump);
        return true;
    }

    // The frames the screen logged, as hex "5A A5 ...", after waiting for at
    // least `expected` and a little longer for any that should not come.
    QStringList frames(int expected)
    {
        screen.waitForLines(expected, 5000);
        QTest::qWait(200);
        QStringList hex;
        for (const QString& line : screen.logLines()) {
            const QStringList fields = line.split(QStringLiteral(" | "));
            if (fields.size() > 2 && fields.at(2).contains(QLatin1String("cmd")))
                hex << fields.at(1);
        }
        return hex;
    }

    QString settingsText() const
    {
        QFile file(settings->path());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

inline QByteArray payloadOf(const QString& frameHex)
{
    const QByteArray bytes = QByteArray::fromHex(frameHex.toLatin1());
    return bytes.mid(6, bytes.size() - 7);
}

} // namespace krn::test
