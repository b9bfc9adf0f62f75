#include "messageboxsink.h"

#include <QMessageBox>

namespace krn {

void MessageBoxSink::show(const QString& body, const QString& title, MessageIcon icon)
{
    QMessageBox::Icon shown = QMessageBox::Warning;
    switch (icon) {
    case MessageIcon::Information:
        shown = QMessageBox::Information;
        break;
    case MessageIcon::Exclamation:
        shown = QMessageBox::Warning;
        break;
    case MessageIcon::Critical:
        shown = QMessageBox::Critical;
        break;
    }
    QMessageBox box(shown, title, body, QMessageBox::Ok, m_parent);
    box.exec();
}

} // namespace krn
