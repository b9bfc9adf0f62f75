#pragma once

#include <QString>
#include <QStringList>

namespace krn::test {

// krntools-cli as a script runs it, to its end.
struct CliRun {
    int status = -1; // -1: it crashed or did not end in time
    QString out;
    QString err;
};

// $KRN_CLI, else krntools-cli in the build directory.
QString cliExecutable();

// Runs the tool without a display, in English unless told otherwise, with
// nothing on its standard input; the wait handles events, so virtual
// screens' output keeps flowing meanwhile.
CliRun runCli(const QStringList& arguments);

} // namespace krn::test
