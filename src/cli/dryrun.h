#pragma once

#include "strings/stringtable.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace krn::cli {

// The frame the link would put on the wire: 5A A5, length (data + 6), screen,
// sequence, command, data, XOR of everything before it. The link keeps its
// own encoder; this one only shows frames that are never sent.
QByteArray frameBytes(quint8 screen, quint8 sequence, quint8 command, const QByteArray& data);

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
    quint8 m_sequence = 0;
};

} // namespace krn::cli
