#pragma once

#include "clioptions.h"

#include <QString>
#include <QTextStream>

namespace krn::cli {

struct CliIo {
    QTextStream& out;
    QTextStream& err;
    bool terminal = false; // standard error is a terminal: show progress there
};

// Runs a checked command line; returns the process exit status. Values the
// command line leaves open come from the settings file at `settingsPath`.
int runCommandLine(const CliOptions& options, strings::Language language,
                   const QString& settingsPath, CliIo io);

} // namespace krn::cli
