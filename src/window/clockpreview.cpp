#include "clockpreview.h"

#include "commands/clockfont.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace krn {

namespace {
// Paints the label in its place: the label fills its background first, as
// always, and its text is drawn where and as QLabel would.
class ClockPainter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* label = qobject_cast<QLabel*>(watched);
        if (!label || event->type() != QEvent::Paint)
            return QObject::eventFilter(watched, event);
        QPainter painter(label);
        painter.setPen(label->palette().color(label->foregroundRole()));
        drawClockText(painter, label->font(), label->contentsRect(),
                      int(QStyle::visualAlignment(label->layoutDirection(), label->alignment())),
                      label->text());
        return true;
    }
};
} // namespace

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

void paintAsClock(QLabel& label)
{
    label.installEventFilter(new ClockPainter(&label));
}

} // namespace krn
