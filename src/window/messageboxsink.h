#pragma once

#include "core/messages.h"

#include <QPointer>
#include <QWidget>

namespace krn {

// Shows each message as a modal box with one OK button, over the window once
// it is known.
class MessageBoxSink : public MessageSink {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    void show(const QString& body, const QString& title, MessageIcon icon) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace krn
