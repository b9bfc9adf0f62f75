#include "clockpreview.h"

namespace krn {

QString clockPreviewText(const QDateTime& now, qint32 clockLanguage, strings::Language language,
                         const QLocale& locale)
{
    const QDate date = now.date();
    QString text = QLatin1Char(' ') + date.toString(QStringLiteral("yy-MM-dd")) + QLatin1Char(' ');
    if (clockLanguage != 0) {
        text += QLatin1Char(' ') + locale.dayName(date.dayOfWeek(), QLocale::ShortFormat) +
                QStringLiteral("  ");
    } else {
        // 1 for Sunday up to 7 for Saturday; the weekday string starts with Sunday.
        const int weekday = date.dayOfWeek() % 7 + 1;
        const QString days = strings::load(strings::WeekdayDigits, language);
        text += strings::load(strings::WeekWord, language);
        if (weekday <= days.size())
            text += days.at(weekday - 1);
    }
    text += QLatin1Char(' ') + now.time().toString(QStringLiteral("HH:mm:ss"));
    return text;
}

} // namespace krn
