#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace krn {

// An initialization file with profile semantics: section and key names are
// case-insensitive, blanks around '=' are ignored, surrounding quotes are
// stripped on read. The file is read afresh by every call and rewritten
// atomically by every write, which changes only the one key's line and keeps
// every other line, comment, order and line ending.
class ProfileFile {
public:
    explicit ProfileFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }

    // Optional sign and leading decimal digits of the value ("64px" -> 64,
    // "px" -> 0); a missing file, section or key gives `defaultValue`.
    qint32 readInt(QStringView section, QStringView key, qint32 defaultValue) const;

    // The value (also when empty) cut to capacity - 1 bytes; a missing file,
    // section or key gives `defaultValue`. Values that are not UTF-8 are read
    // as GB18030, as older Chinese Windows installations stored them.
    QString readText(QStringView section, QStringView key, const QString& defaultValue,
                     int capacity = 60) const;

    // Creates the file and the section when missing. Returns false when the
    // file could not be written; the caller may ignore that.
    bool writeText(QStringView section, QStringView key, const QString& value);

private:
    QString m_path;
};

// Where krntools.ini lives: beside the executable, or in the per-user
// configuration folder when the executable's folder cannot be written.
QString settingsPathFor(const QString& executableDir);

} // namespace krn
