#pragma once

#include <QtGlobal>

namespace krn::strings {

// Ids of the texts that follow the user's interface language.
enum Id : quint16 {
    ErrorTitle = 1, // title of every "a failure happened" box
    DefaultClockFont = 4,
    PromptTitle = 7, // title of the success box
    EnterPassword = 51,
    ControllerNotFound = 60,
    SetParameterOk = 492,
    SendingByteTitle = 1056, // title of the link's own boxes
    SendError = 1070,
    ClockFrameCaption = 1590,
    ClockVersionTip = 1591,
    SetFontTip = 1592,
    ChineseClock = 1593,
    EnglishClock = 1594,
    ChineseClockGlyphs = 1595,
    WeekdayDigits = 2238,
    ScreenNumberLabel = 4408,
    WeekWord = 4454,
    WriteCaption = 4491,

    // The program's own messages.
    NoAnswerText = 9000, // %1 ControllerNotFound, %2 ScreenNumberLabel, %3 the screen
    TextMissing = 9001,
    ValueOutside = 9002, // %1 value, %2..%3 range
    FieldOutside = 9003, // %1 field, %2 value, %3..%4 range
    // Names of the window's lists, in control order (ComboNo 0..10, then the
    // five hardware lists).
    CommModeField = 9010,
    SerialPortField = 9011,
    LineSpeedField = 9012,
    ScreenNumberField = 9013,
    ColourModeField = 9014,
    PanelWidthField = 9015,
    PanelHeightField = 9016,
    NewLineSpeedField = 9017,
    ClockLanguageField = 9018,
    ScanModeField = 9019,
    NewScreenNumberField = 9020,
    OePolarityField = 9021,
    ByteOrderField = 9022,
    ByteInversionField = 9023,
    WiringCountField = 9024,
    WiringModeField = 9025,
    RememberedChoiceInvalid = 9030, // %1 field, %2 position, %3 last position
    RememberedTextInvalid = 9031,   // %1 field, %2 text
    ClockSizeInvalid = 9040,        // %1 size, %2 largest
    GlyphsNoGui = 9041,
    GlyphsSurfaceRefused = 9042,
    GlyphPictureSmall = 9043, // %1 x %2 pixels
    NoPortSelected = 9050,
    PortNumberMissing = 9051, // %1 port number
    EmptyFrame = 9052,
    ReplyVanished = 9053, // %1 device
    DeviceMissing = 9060, // %1 device
    NoPermissionDialout = 9061,
    NoPermission = 9062,
    PortInUse = 9063,
    LineSettingsRefused = 9064, // %1 device, %2 speed
    OpenFailed = 9065,          // %1 device, %2 system text
    PortNotOpen = 9066,
    WriteFailed = 9067, // %1 device, %2 system text
    PortWentAway = 9068,
    LineFault = 9069, // %1 device, %2 system text
    PortTimedOut = 9070,
    PortUnsupported = 9071,
    LineFlood = 9072,        // %1 device or address, %2 amount, %3 seconds
    OddParityRefused = 9073, // %1 device

    ChoicesNotKept = 9100, // no folder for the settings file can be written

    HelpUsage = 9150, // the window's --help, line by line
    HelpPurpose = 9151,
    HelpOptionHelp = 9152,
    HelpOptionVersion = 9153,
    HelpSettings = 9154,

    // Network lines through serial device servers.
    NetNotAnAddress = 9300,
    NetNoHost = 9301,
    NetNoPort = 9302,
    NetBadPort = 9303,
    NetRefused = 9304,
    NetHostNotFound = 9305,
    NetNoRoute = 9306,
    NetTimedOut = 9307,
    NetConnectFailed = 9308,
    NetClosedWhileOpening = 9309,
    NetClosedByServer = 9310,
    NetNotOpen = 9311,
    NetSendFailed = 9312,
    Rfc2217Refused = 9313,
    Rfc2217NoAnswer = 9314,
    Rfc2217SettingsRefused = 9315,
};

} // namespace krn::strings
