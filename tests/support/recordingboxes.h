#pragma once

// Message boxes as the tests see them: recorded instead of shown.

#include "core/messages.h"

#include <QList>
#include <QString>

namespace krn::test {

struct RecordedBox {
    QString body;
    QString title;
    krn::MessageIcon icon;
};

class RecordingBoxes : public krn::MessageSink {
public:
    void show(const QString& body, const QString& title, krn::MessageIcon icon) override
    {
        boxes.append({body, title, icon});
    }
    QList<RecordedBox> boxes;
};

} // namespace krn::test
