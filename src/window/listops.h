#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QComboBox;

namespace krn {

// The window's lists behave as the operator knows them from the controller
// tools: appending items selects nothing, a selection-only list refuses a text
// that is not one of its items, and a position must name an item (or be -1,
// nothing selected). Refusals throw krn::Failure naming the list's role.

// Appends `items` without selecting any of them; an editable box keeps its
// text.
void appendItems(QComboBox& list, const QStringList& items);

// Selects `position` after narrowing it to 16 bits.
void selectPosition(QComboBox& list, qint64 position, quint16 role);

// Editable box: replaces its text. Selection-only list: selects the item whose
// text is exactly `text`.
void setListText(QComboBox& list, const QString& text, quint16 role);

} // namespace krn
