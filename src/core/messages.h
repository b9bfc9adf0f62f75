#pragma once

#include <QString>

namespace krn {

enum class MessageIcon { Information, Exclamation, Critical };

// Modal message boxes with one OK button. Layers below the window report through
// this so they can be exercised without a screen.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(const QString& body, const QString& title, MessageIcon icon) = 0;
};

} // namespace krn
