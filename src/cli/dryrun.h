#pragma once

#include "strings/stringtable.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace krn::cli {

// Frames of a dry run, numbered as a fresh line would number them.
class DryRun {
public:
    explicit DryRun(strings::Language language, bool json) : m_language(language), m_json(json) {}

    // The printed line of one frame.
    QString line(qint32 screen, qint32 speed, const QString& command, quint8 code,
                 const QByteArray& data);

private:
    strings::Language m_language;
    bool m_json;
    qint32 m_sequence = 0;
};

} // namespace krn::cli
