#pragma once

#include "commands/command.h"
#include "core/message.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <variant>

namespace krn::site {

// The clock a row downloads, as the file says it; drawn only when sent.
struct SiteClock {
    qint32 language = 0; // 0 Chinese clock, 1 English clock
    QString font;        // empty: the program's default clock face
    double size = 12;    // points
};

// One screen of an installation.
struct SiteRow {
    int row = 0; // as the spreadsheet numbers it: the header is row 1
    QString label;
    QString port; // as written: a port number, a device path or a network address
    qint32 screen = 0;
    qint32 speed = 9600;
    std::optional<PanelGeometry> panel;
    std::optional<HardwareOptions> hardware;
    std::optional<SiteClock> clock;

    bool sendsSomething() const { return panel || hardware || clock; }
};

struct SiteFile {
    QList<SiteRow> rows;
    bool hardware = false; // a row sets the hardware options: the password is needed
};

// A site file as a spreadsheet exports it: UTF-8 (with or without a byte
// order mark) or GB18030; comma, semicolon or tab; one header row whose
// column names are English or Chinese. Every cell is checked: the first bad
// one is the message, naming its row and column.
std::variant<SiteFile, Message> parseSiteFile(const QByteArray& bytes);
std::variant<SiteFile, Message> readSiteFile(const QString& path);

} // namespace krn::site
