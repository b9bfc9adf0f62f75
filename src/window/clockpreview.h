#pragma once

#include "strings/stringtable.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

class QLabel;

namespace krn {

// The clock text as the controller's screen will show it:
//   clock language 0 (Chinese clock): " YY-MM-DD " + week word + weekday character + " HH:MM:SS"
//   any other value (English clock):  " YY-MM-DD " + " " + short day name + "  " + " HH:MM:SS"
// The week word and the weekday characters come from the string table in
// `language`; the short day name is the one `locale` gives.
QString clockPreviewText(const QDateTime& now, qint32 clockLanguage, strings::Language language,
                         const QLocale& locale);

// Makes `label` paint its text as the clock displays draw (drawClockText), so
// the preview shows the clock font as the screen receives it, a bold its face
// lacks included.
void paintAsClock(QLabel& label);

} // namespace krn
