#pragma once

#include <QtGlobal>

namespace krn::strings {

// Texts of the command-line tool and the screen finder (9200..9299).
enum ToolId : quint16 {
    // Usage errors: each names the option (or command) and what was given.
    UsageNoCommand = 9200,
    UsageUnknownCommand = 9201,
    UsageUnknownOption = 9202,
    UsageMissingValue = 9203,
    UsageNotASpeed = 9204,
    UsageNotAScreenList = 9205,
    UsageNotAPort = 9206,
    UsageOutOfRange = 9207,
    UsageNotAChoice = 9208,
    UsageMissingOption = 9209,
    UsageUnexpectedArgument = 9210,
    UsageWrongPassword = 9211,
    UsageNotANumber = 9212,
    UsageOptionNotForCommand = 9213,
    UsageOneScreenOnly = 9214,
    UsageTryHelp = 9215,
    UsageEmptyValue = 9216,

    // Results.
    TargetLine = 9220,   // screen, speed phrase, command, outcome text, ms
    RefusedReply = 9221, // the reply bytes
    SummaryAllDelivered = 9222,
    SummaryNotDelivered = 9223,
    DryRunFrame = 9224, // screen, speed phrase, command, hex
    PortsHeader = 9225,
    NoPorts = 9226,
    LineNotOpened = 9227, // device, reason
    LogNotWritten = 9228, // file, reason
    HelpText = 9229,
    SpeedPhrase = 9230,        // "%1 bit/s"
    ServerSpeedPhrase = 9231,  // a raw device server port keeps its own
    InterruptedSummary = 9232, // done, of
    FinderInterrupted = 9233,  // found
    StoppedMidCommand = 9234,  // frames acknowledged

    // The screen finder.
    FinderFound = 9240, // screen, speed phrase, ms, reply
    FinderNothingFound = 9241,
    FinderSummary = 9242,           // count
    FinderProgress = 9243,          // speed, screen, found
    FinderBroadcastProgress = 9244, // speed, found
    FinderTitle = 9245,
    FinderMenuItem = 9246,
    FinderCancel = 9247,
    FinderUse = 9248,
    FinderDone = 9249,
    FinderCancelled = 9250,
};

} // namespace krn::strings
