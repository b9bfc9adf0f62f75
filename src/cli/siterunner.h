#pragma once

#include "clirunner.h"

namespace krn::cli {

// plan, apply and commission: a site file's rows. Returns the exit status.
int runSite(const CliOptions& options, strings::Language language, const QString& settingsPath,
            CliIo io);

} // namespace krn::cli
