#pragma once

#include "strings/stringtable.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace krn::app {

// The answer to a command line that asks for a text instead of the window:
// --help (-h, -?) or --version (-v); the first of them wins. `arguments` leave
// out the program name. Anything else gives nothing: the window starts, and
// Qt's own options (-platform, -style...) keep working.
std::optional<QString> answerCommandLine(const QStringList& arguments, strings::Language language);

// For main(), before a QApplication exists, so that --help works without a
// display: prints the answer, if any, and returns the exit code.
std::optional<int> handleCommandLine(int argc, char* argv[]);

} // namespace krn::app
