#include "listops.h"

#include "core/failure.h"
#include "core/numtext.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QSignalBlocker>

namespace krn {

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("krn", text);
}
} // namespace

void appendItems(QComboBox& list, const QStringList& items)
{
    const int before = list.currentIndex();
    const QString text = list.currentText();
    const QSignalBlocker quiet(list);
    list.addItems(items);
    // QComboBox selects the first item of an empty list by itself.
    list.setCurrentIndex(before);
    if (list.isEditable())
        list.setEditText(text);
}

void selectPosition(QComboBox& list, qint64 position, const QString& role)
{
    const qint16 narrow = wholeToInt16(position);
    if (narrow < -1 || narrow >= list.count())
        throw Failure(tr("The remembered %1 choice %2 is not valid: the list has items 0 to %3.")
                          .arg(role)
                          .arg(narrow)
                          .arg(list.count() - 1));
    list.setCurrentIndex(narrow);
}

void setListText(QComboBox& list, const QString& text, const QString& role)
{
    if (list.isEditable()) {
        list.setEditText(text);
        return;
    }
    const int position = list.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (position < 0)
        throw Failure(
            tr("The remembered %1 \"%2\" is not one of the items of its list.").arg(role, text));
    list.setCurrentIndex(position);
}

} // namespace krn
