#include "listops.h"

#include "core/failure.h"
#include "core/numtext.h"
#include "core/textids.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace krn {

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

void selectPosition(QComboBox& list, qint64 position, quint16 role)
{
    const qint16 narrow = wholeToInt16(position);
    if (narrow < -1 || narrow >= list.count())
        throw Failure(
            Message{strings::RememberedChoiceInvalid,
                    {TextRef{role}, QString::number(narrow), QString::number(list.count() - 1)}});
    list.setCurrentIndex(narrow);
}

void setListText(QComboBox& list, const QString& text, quint16 role)
{
    if (list.isEditable()) {
        list.setEditText(text);
        return;
    }
    const int position = list.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (position < 0)
        throw Failure(Message{strings::RememberedTextInvalid, {TextRef{role}, text}});
    list.setCurrentIndex(position);
}

} // namespace krn
