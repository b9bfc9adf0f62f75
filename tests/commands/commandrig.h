#pragma once

// The command layer wired to the virtual screen over a pseudo-terminal: the
// real serial backend, port 1 mapped to the screen's device, and the window's
// edge and presenter around it, boxes recorded.

#include "commands/commander.h"
#include "support/linkrig.h"
#include "support/recordingboxes.h"
#include "support/vscreenprocess.h"
#include "window/formrequest.h"
#include "window/outcomebox.h"

#include <QFile>
#include <QTest>
#include <functional>

namespace krn::test {

using Edit = std::function<void(krn::FormSnapshot&)>;
#define SET(field, value) krn::test::Edit([](krn::FormSnapshot& f) { f.field = value; })

// Unifont at 16 pixels draws exactly the controller's 8x16 and 16x16 cells.
inline QFont unifont()
{
    QFont f(QStringLiteral("Unifont"));
    f.setPixelSize(16);
    return f;
}

// Port 1, 9600, screen 1, colour 0, 300.5 x 32, new speed position 2, English clock,
// scan 3, new screen 254.5, the hardware lists, and 6 as the fourth one's text.
inline krn::FormSnapshot typicalForm()
{
    return {0, "9600", "1", 0, "300.5", "32", 2, 1, 3, "254.5", {1, 0, 1, 0, 2}, "6"};
}

struct Rig : LinkRig {
    VScreenProcess screen;
    RecordingBoxes boxes;
    krn::Commander commander{link, pump};

    bool start(const QStringList& screenArguments = {})
    {
        if (!screen.start(screenArguments)) {
            qWarning("%s", qPrintable(screen.errorText()));
            return false;
        }
        return mapPort1(screen.device());
    }

    // What a command button does: the lists read at the edge, the command
    // run, its outcome shown.
    krn::Outcome run(int button, const krn::FormSnapshot& form)
    {
        const krn::ClockChoice clock{1, unifont(), QStringLiteral("Unifont"), 12};
        return present(
            commander.Send_Function(krn::requestFrom(*krn::commandForButton(button), form, clock)));
    }
    krn::Outcome present(const krn::Outcome& outcome)
    {
        krn::presentOutcome(boxes, outcome);
        return outcome;
    }

    // The frames the screen logged as hex "5A A5 ...", after waiting for
    // `expected` and a little longer for any that should not come.
    QStringList frames(int expected)
    {
        screen.waitForLines(expected, 5000);
        QTest::qWait(200);
        QStringList hex;
        for (const QString& line : screen.logLines())
            if (line.contains(QLatin1String(" cmd ")))
                hex << line.section(QStringLiteral(" | "), 1, 1);
        return hex;
    }

    // Every box shown, as "(i) title: body" or "(!) title: body".
    QString box() const
    {
        QStringList shown;
        for (const RecordedBox& b : boxes.boxes)
            shown << (b.icon == krn::MessageIcon::Information ? "(i) " : "(!) ") + b.title + ": " +
                         b.body;
        return shown.join(u'\n');
    }

    QString settingsText() const
    {
        QFile file(settings.path());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

} // namespace krn::test
