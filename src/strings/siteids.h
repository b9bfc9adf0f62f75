#pragma once

#include <QtGlobal>

namespace krn::strings {

// Texts of site files: reading them, running them, commissioning, the
// handover report, and the window that opens them (9600..9799).
enum SiteId : quint16 {
    SiteCellInvalid = 9600,     // row, column, value, what it must be (a text)
    SiteCellMissing = 9601,     // row, column, what needs it (a text)
    SiteNoColumn = 9602,        // English name, Chinese name
    SiteUnknownColumn = 9603,   // position, name
    SiteUnreadable = 9604,      // file, reason
    SiteNoRows = 9605,          // file
    SiteNeedsPassword = 9606,   // file
    SiteDuplicateColumn = 9607, // name
    SiteOpenQuote = 9608,       // row
    SiteNoSuchRow = 9609,       // row, file

    SiteWantScreen = 9610,
    SiteWantSpeed = 9611,
    SiteWantSide = 9612,
    SiteWantColour = 9613,
    SiteWantScan = 9614,
    SiteWantClock = 9615,
    SiteWantSize = 9616,
    SiteWantBit = 9617,
    SiteWantWraps = 9618,
    SiteWantWrapMode = 9619,
    SiteWantPort = 9620,
    SiteNeedPanel = 9621,
    SiteNeedHardware = 9622,
    SiteNeedAlways = 9623,

    SiteRowLine = 9630, // row, label, port, screen, speed phrase, what happened
    SiteNothing = 9631,
    SiteNotSent = 9632,
    SiteSummary = 9633,       // done, rows, rows not done
    SiteAllDone = 9634,       // rows
    SitePlanRow = 9635,       // row, label, port, screen, speed phrase
    SiteLineNotOpened = 9636, // port, reason

    CommissionAsk = 9640,      // label, row, port
    CommissionFinding = 9641,  // port
    CommissionFound = 9642,    // screen, speed phrase
    CommissionNotFound = 9643, // port
    CommissionAllDone = 9644,  // file
    CommissionDone = 9645,     // row, label, screen, speed phrase
    CommissionLeft = 9646,     // rows left
    CommissionSkipped = 9647,  // row, label

    ReportTitle = 9650,
    ReportSiteFile = 9651,
    ReportDate = 9652,
    ReportTool = 9653,
    ReportPorts = 9654,
    ReportNoPorts = 9655,
    ReportRow = 9656,
    ReportLabel = 9657,
    ReportPort = 9658,
    ReportScreen = 9659,
    ReportSpeed = 9660,
    ReportPanel = 9661, // width, height, colour, scan
    ReportOptions = 9662,
    ReportCommands = 9663,
    ReportClock = 9664,
    ReportNone = 9665,
    ReportHardware = 9666,   // oe, byte order, invert, wraps, wrap mode
    ReportWritten = 9667,    // file
    ReportNotWritten = 9668, // file, reason
    ReportOutcome = 9669,    // command, outcome, time

    SiteMenuItem = 9700,
    SiteWindowTitle = 9701, // file
    SiteOpenTitle = 9702,
    SiteFileFilter = 9703,
    SiteColumnSends = 9704,
    SiteColumnState = 9705,
    SiteStateNotDone = 9706,
    SiteStateDone = 9707,
    SiteStateFailed = 9708, // why
    SiteStateSkipped = 9709,
    SiteApplySelected = 9710,
    SiteCommissionNext = 9711,
    SiteSaveReport = 9712,
    SiteProgress = 9713,   // rows done, rows
    SiteConnectAsk = 9714, // label, row, port
    SiteCommissionTitle = 9715,
    SiteSkip = 9716,
    SitePasswordAsk = 9717, // file
    SiteWrongPassword = 9718,
    SiteReportDialogTitle = 9719,
    SiteReportFilter = 9720,
    SiteJournalNotWritten = 9721, // row, journal
};

} // namespace krn::strings
