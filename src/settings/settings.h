#pragma once

#include "profilefile.h"

#include <QString>
#include <QtGlobal>

namespace krn {

// The layout of krntools.ini: every section, key and default the program
// knows, with typed reads and writes. No other file spells a key.
// The keys of [About] a front end may have to name (a remembered value it
// cannot use).
enum class SettingsKey { Com, Port, Screen, Color, Width, Height, Scan, Time, TimeFont, TimeSize };

class Settings {
public:
    // "Send_Com"...: the key as the file spells it.
    static QString keyName(SettingsKey key);

    explicit Settings(ProfileFile& file) : m_file(file) {}

    ProfileFile& file() { return m_file; }
    const QString& path() const { return m_file.path(); }

    // [About]. Reads give the default when the key is missing.
    qint32 portPosition() const;   // Send_Com: serial-port list position, 0
    qint32 lineSpeed() const;      // Send_Port: bit/s, 0 (none remembered yet)
    qint32 screen() const;         // Send_Screen: 0
    qint32 colourPosition() const; // Send_Color: 0
    qint32 width() const;          // Send_Width: 128
    qint32 height() const;         // Send_Height: 16
    qint32 scanPosition() const;   // Send_Scan: 0
    qint32 clockLanguage() const;  // Send_Time: 0
    // Send_TimeFont, cut to 59 bytes; `fallback` when missing or empty.
    QString clockFontName(const QString& fallback) const;
    qint32 clockFontSize() const;           // Send_TimeSize: 12
    qint32 hardwareOption(int index) const; // Set_No0..Set_No4: 0

    // Writes return false when the file could not be written.
    bool setPortPosition(qint32 position);
    bool setLineSpeed(const QString& text); // what the list shows, as it shows it
    bool setScreen(const QString& text);
    bool setColourPosition(qint32 position);
    bool setWidth(const QString& text);
    bool setHeight(const QString& text);
    bool setScanPosition(qint32 position);
    bool setHardwareOption(int index, qint32 position);
    // The three clock keys, after a delivered clock download.
    bool setClock(qint32 languagePosition, const QString& fontName, qint32 fontSize);

    // [Ports]: the device or address port `number` names; "" when unmapped.
    QString portMapping(qint32 number) const;
    bool setPortMapping(qint32 number, const QString& address);

private:
    ProfileFile& m_file;
};

} // namespace krn
