#pragma once

#include "sitework.h"
#include "strings/stringtable.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QStringList>

namespace krn::site {

// What a handover report records.
struct Handover {
    QString siteFile; // as the operator named it
    QDateTime when;
    QString tool;      // "krntools-cli 1.1.0"
    QStringList ports; // this computer's serial ports, one line each
    const SiteFile* file = nullptr;
    QList<RowResult> rows;
};

// A row's panel in words ("128 x 16, dual, 1/16"); empty when it sends none.
QString panelText(const SiteRow& row);
// The rest a row sets, in words, one entry each: the hardware options, the clock.
QStringList optionTexts(const SiteRow& row, strings::Language language);

// The report as one self-contained HTML page (styles and pictures inside,
// nothing fetched), printable on A4, in `language`.
QByteArray handoverHtml(const Handover& handover, strings::Language language);

// The clock glyph table as the screen received it: each cell 8 or 16 pixels
// wide and 16 high, lit bits red on black, `scale` times larger.
QImage clockPicture(const QByteArray& stream, qint32 clockLanguage, int scale = 3);

} // namespace krn::site
