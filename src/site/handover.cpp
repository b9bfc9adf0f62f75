#include "handover.h"

#include "commands/glyphs.h"
#include "strings/siteids.h"

#include <QBuffer>
#include <QPainter>

namespace krn::site {

namespace {

QString esc(const QString& s)
{
    return s.toHtmlEscaped();
}

QString commandWord(Command c)
{
    return QString::fromLatin1(commandName(c));
}

QString optionsHtml(const SiteRow& row, strings::Language language)
{
    QStringList parts = optionTexts(row, language);
    for (QString& p : parts)
        p = esc(p);
    return parts.join(QStringLiteral("<br>"));
}

QString pngDataUri(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

} // namespace

QString panelText(const SiteRow& row)
{
    if (!row.panel)
        return {};
    static const char* const colours[] = {"dual", "single"};
    static const char* const scans[] = {"1/16", "1/8", "1/4", "static"};
    const PanelGeometry& p = *row.panel;
    return QStringLiteral("%1 x %2, %3, %4")
        .arg(p.width)
        .arg(p.height)
        .arg(QLatin1String(colours[std::clamp(p.colourPosition, 0, 1)]),
             QLatin1String(scans[std::clamp(p.scanPosition, 0, 3)]));
}

QStringList optionTexts(const SiteRow& row, strings::Language language)
{
    QStringList parts;
    if (row.hardware) {
        const HardwareOptions& h = *row.hardware;
        parts << strings::load(strings::ReportHardware, language)
                     .arg(QString::number(h.oePosition), QString::number(h.byteOrderPosition),
                          QString::number(h.invertPosition), QString::number(h.wraps),
                          QString::number(h.wrapModePosition));
    }
    if (row.clock)
        parts << QStringLiteral("%1, %2, %3 pt")
                     .arg(strings::load(row.clock->language == 0 ? strings::ChineseClock
                                                                 : strings::EnglishClock,
                                        language),
                          row.clock->font.isEmpty()
                              ? strings::load(strings::DefaultClockFont, language)
                              : row.clock->font,
                          QString::number(row.clock->size));
    return parts;
}

QImage clockPicture(const QByteArray& stream, qint32 clockLanguage, int scale)
{
    // The cells side by side, as many to a line as fit 20 narrow ones.
    constexpr int lineCells = 20;
    struct Cell {
        qsizetype at;
        bool wide;
    };
    QList<Cell> cells;
    qsizetype at = 0;
    for (const QChar c : glyphs::glyphText(clockLanguage)) {
        const bool wide = glyphs::isWide(c);
        const qsizetype bytes = wide ? glyphs::WideBytes : glyphs::NarrowBytes;
        if (at + bytes > stream.size())
            break;
        cells << Cell{at, wide};
        at += bytes;
    }
    int units = 0, lines = 1;
    for (const Cell& c : cells) {
        const int width = c.wide ? 2 : 1;
        if (units + width > lineCells)
            ++lines, units = 0;
        units += width;
    }
    const int cellW = glyphs::HalfColumns + 1; // a dark gap between cells
    const int cellH = glyphs::CellRows + 2;
    QImage image(lineCells * cellW * scale, lines * cellH * scale, QImage::Format_RGB32);
    image.fill(QColor(40, 40, 40));
    QPainter painter(&image);
    int x = 0, y = 0;
    for (const Cell& c : cells) {
        const int halves = c.wide ? 2 : 1;
        if (x + halves > lineCells)
            x = 0, ++y;
        painter.fillRect(x * cellW * scale, y * cellH * scale, halves * glyphs::HalfColumns * scale,
                         glyphs::CellRows * scale, Qt::black);
        for (int half = 0; half < halves; ++half)
            for (int row = 0; row < glyphs::CellRows; ++row) {
                const quint8 bits = quint8(stream.at(c.at + half * glyphs::CellRows + row));
                for (int bit = 0; bit < glyphs::HalfColumns; ++bit)
                    if (bits & (0x80 >> bit))
                        painter.fillRect((x * cellW + half * glyphs::HalfColumns + bit) * scale,
                                         (y * cellH + row) * scale, scale, scale,
                                         QColor(255, 0, 0));
            }
        x += halves;
    }
    return image;
}

QByteArray handoverHtml(const Handover& h, strings::Language language)
{
    using namespace strings;
    const auto t = [language](quint16 id) { return esc(load(id, language)); };
    const char* lang = language == Language::SimplifiedChinese    ? "zh-CN"
                       : language == Language::TraditionalChinese ? "zh-TW"
                                                                  : "en";
    QString html;
    html += QStringLiteral("<!DOCTYPE html>\n<html lang=\"%1\"><head><meta charset=\"utf-8\">"
                           "<title>%2 - %3</title>\n")
                .arg(QLatin1String(lang), t(ReportTitle), esc(h.siteFile));
    html += QStringLiteral(
        "<style>\n@page { size: A4 portrait; margin: 12mm; }\n"
        "body { font-family: sans-serif; font-size: 9pt; color: #000; }\n"
        "h1 { font-size: 14pt; margin: 0 0 6pt; }\n"
        "dl { display: grid; grid-template-columns: max-content auto; gap: 2pt 8pt; }\n"
        "dt { font-weight: bold; } dd { margin: 0; }\n"
        "table { border-collapse: collapse; width: 100%; table-layout: fixed; }\n"
        "th, td { border: 0.5pt solid #888; padding: 2pt 3pt; vertical-align: top; "
        "overflow-wrap: anywhere; }\n"
        "th { background: #eee; text-align: left; } thead { display: table-header-group; }\n"
        "tr { break-inside: avoid; page-break-inside: avoid; }\n"
        ".ok { color: #060; } .bad { color: #b00; font-weight: bold; }\n"
        "img { max-width: 100%; image-rendering: pixelated; }\n</style></head><body>\n");
    html += QStringLiteral("<h1>%1</h1>\n<dl>").arg(t(ReportTitle));
    const auto item = [&](quint16 id, const QString& value) {
        html += QStringLiteral("<dt>%1</dt><dd>%2</dd>").arg(t(id), value);
    };
    item(ReportSiteFile, esc(h.siteFile));
    item(ReportDate, esc(h.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t"))));
    item(ReportTool, esc(h.tool));
    QStringList ports;
    for (const QString& p : h.ports)
        ports << esc(p);
    item(ReportPorts, ports.isEmpty() ? t(ReportNoPorts) : ports.join(QStringLiteral("<br>")));
    // The clock's picture gets the most room.
    html +=
        QStringLiteral("</dl>\n<table><colgroup><col style=\"width:4%\"><col style=\"width:11%\">"
                       "<col style=\"width:11%\"><col style=\"width:5%\">"
                       "<col style=\"width:7%\"><col style=\"width:9%\">"
                       "<col style=\"width:10%\"><col style=\"width:18%\">"
                       "<col style=\"width:25%\"></colgroup><thead><tr>");
    for (const quint16 id : {ReportRow, ReportLabel, ReportPort, ReportScreen, ReportSpeed,
                             ReportPanel, ReportOptions, ReportCommands, ReportClock})
        html += QStringLiteral("<th>%1</th>").arg(t(id));
    html += QStringLiteral("</tr></thead><tbody>\n");

    for (const RowResult& r : h.rows) {
        if (!h.file || r.index < 0 || r.index >= h.file->rows.size())
            continue;
        const SiteRow& row = h.file->rows.at(r.index);
        QStringList outcomes;
        if (r.openFailure)
            outcomes << QStringLiteral("<span class=\"bad\">%1</span>")
                            .arg(esc(render(Message{SiteLineNotOpened,
                                                    {row.port, render(*r.openFailure, language)}},
                                            language)));
        QByteArray clockTable;
        qint32 clockLanguage = row.clock ? row.clock->language : 0;
        for (const StepDone& s : r.done.steps) {
            const bool ok = s.outcome.delivered();
            outcomes
                << QStringLiteral("<span class=\"%1\">%2</span>")
                       .arg(QLatin1String(ok ? "ok" : "bad"),
                            esc(load(ReportOutcome, language)
                                    .arg(commandWord(s.command),
                                         render(reportMessage(s.outcome), language).simplified(),
                                         s.at.toString(QStringLiteral("HH:mm:ss")))));
            if (s.command == Command::ClockDownload && ok)
                clockTable = s.outcome.clockTable;
        }
        if (r.ran && r.done.steps.size() < r.stepsWanted)
            outcomes << QStringLiteral("<span class=\"bad\">%1</span>").arg(t(SiteNotSent));
        if (!r.ran && !r.openFailure)
            outcomes << QStringLiteral("<span class=\"bad\">%1</span>").arg(t(SiteNotSent));
        if (outcomes.isEmpty())
            outcomes << t(SiteNothing);
        const QString picture =
            clockTable.isEmpty()
                ? t(ReportNone)
                : QStringLiteral("<img alt=\"%1\" src=\"%2\">")
                      .arg(t(ReportClock), pngDataUri(clockPicture(clockTable, clockLanguage)));
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td>"
                               "<td>%6</td><td>%7</td><td>%8</td><td>%9</td></tr>\n")
                    .arg(QString::number(row.row), esc(row.label), esc(row.port),
                         QString::number(row.screen), esc(speedText(row.speed, language)),
                         esc(panelText(row)), optionsHtml(row, language),
                         outcomes.join(QStringLiteral("<br>")), picture);
    }
    html += QStringLiteral("</tbody></table>\n</body></html>\n");
    return html.toUtf8();
}

} // namespace krn::site
