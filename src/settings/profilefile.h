#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>
#include <memory>

namespace krn {

// Where krntools.ini is read from, and whether choices written to it last
// beyond this run.
struct SettingsLocation {
    QString path;
    // False when neither the executable's folder nor the per-user folder can
    // be written: the file is still read, but choices stay in memory.
    bool persistent = true;
};

// An initialization file with profile semantics: section and key names are
// case-insensitive, blanks around '=' are ignored, surrounding quotes are
// stripped on read. The file is read once into a model that keeps every byte
// and is read again only when it changed on disk; a write changes only the one
// key's line, keeps every other line, comment, order and line ending, and
// replaces the file atomically.
class ProfileFile {
public:
    enum class Keep {
        OnDisk,   // every write replaces the file
        InMemory, // writes change only what this object reads back
    };

    explicit ProfileFile(QString path, Keep keep = Keep::OnDisk);
    explicit ProfileFile(const SettingsLocation& location);
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    const QString& path() const { return m_path; }
    bool persistent() const { return m_keep == Keep::OnDisk; }

    // Optional sign and leading decimal digits of the value ("64px" -> 64,
    // "px" -> 0); a missing file, section or key gives `defaultValue`.
    qint32 readInt(QStringView section, QStringView key, qint32 defaultValue) const;

    // The value (also when empty) cut to capacity - 1 bytes; a missing file,
    // section or key gives `defaultValue`. Values that are not UTF-8 are read
    // as GB18030, as older Chinese Windows installations stored them.
    QString readText(QStringView section, QStringView key, const QString& defaultValue,
                     int capacity = 60) const;

    // Creates the file and the section when missing. The value is cut at its
    // first line break and loses its leading blanks, which a read would drop
    // anyway. Returns false when the file was not written (kept in memory
    // only, refused, or failed); the caller may ignore that. A section or key
    // name that the file could not give back (one with '=', ']', a line
    // break or surrounding blanks) is refused.
    bool writeText(QStringView section, QStringView key, const QString& value);

private:
    class Model;

    QString m_path;
    Keep m_keep = Keep::OnDisk;
    std::unique_ptr<Model> m_model;
};

// The folders installers and package managers put programs in: the binaries
// folder of the install prefix this program was built for, the usual Unix
// ones, and on Windows the Program Files folders.
QStringList systemProgramFolders();

// Where krntools.ini lives: beside the executable when that folder can be
// written and is neither one of `systemFolders` nor inside one; otherwise in
// the per-user configuration folder (`perUserDir`; when empty %APPDATA%\krntools
// on Windows, the system's configuration folder + /krntools elsewhere),
// starting from a copy of the file beside the executable. When neither can be
// written, the file that is there to read (the per-user one, else the one
// beside the executable) with `persistent` false.
SettingsLocation settingsLocationFor(const QString& executableDir, const QString& perUserDir = {},
                                     const QStringList& systemFolders = systemProgramFolders());

// The path of settingsLocationFor().
QString settingsPathFor(const QString& executableDir);

} // namespace krn
