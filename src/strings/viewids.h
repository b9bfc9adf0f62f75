#pragma once

#include <QtGlobal>

namespace krn::strings {

// Texts of the operator's aids: control tooltips, the clock font chooser, the
// traffic log viewer, the serial-port tooltip and the busy state.
enum ViewId : quint16 {
    // Tooltips of the frames and single controls.
    TipCommFrame = 9400,
    TipPanelFrame = 9401,
    TipChangeFrame = 9402,
    TipClockFrame = 9403,
    TipHardwareFrame = 9404,
    TipPasswordFrame = 9405,
    TipPasswordBox = 9406,
    TipClockPreview = 9407,
    // Tooltips of the command buttons CmdOk(0)..(9); (6) keeps its own.
    TipConfirmPassword = 9410,
    TipFindScreen = 9411,
    TipAdvanced = 9412,
    TipChangeSpeed = 9413,
    TipClockDownload = 9414,
    TipSendHardware = 9415,
    TipSendPanel = 9417,
    TipReset = 9418,
    TipChangeScreen = 9419,
    // Tooltips of the lists ComboNo(0)..(10); (8) keeps its own.
    TipCommMode = 9420,
    TipSerialPort = 9421,
    TipLineSpeed = 9422,
    TipScreen = 9423,
    TipColour = 9424,
    TipWidth = 9425,
    TipHeight = 9426,
    TipNewSpeed = 9427,
    TipScan = 9429,
    TipNewScreen = 9430,
    // Tooltips of the hardware option lists ComboNoNo(0)..(4).
    TipOePolarity = 9431,
    TipByteOrder = 9432,
    TipInversion = 9433,
    TipWiringCount = 9434,
    TipWiringMode = 9435,

    // The clock font chooser.
    ChooserTitle = 9450,
    ChooserFamily = 9451,
    ChooserSize = 9452,
    ChooserBold = 9453,
    ChooserItalic = 9454,
    ChooserUnderline = 9455,
    ChooserSample = 9456,
    ChooserMissingFace = 9457,
    ChooserTooTall = 9458,
    ChooserTooWide = 9459,
    ChooserBadSize = 9460,
    ChooserFind = 9461,

    // The traffic log viewer.
    LogTitle = 9480,
    LogSaveAs = 9481,
    LogClear = 9482,
    LogFileTypes = 9483,
    LogSaveFailed = 9484,
    LogNoFileYet = 9485,
    LogMenuItem = 9486,

    // The serial-port list's tooltip and pinned ports.
    PortOpens = 9500,
    PortDescription = 9501,
    PortMaker = 9502,
    PortSerialNumber = 9503,
    PortNoDevice = 9504,
    PortPinned = 9505,
    PortPinnedMissing = 9506,
    PortNotPinnedYet = 9507,

    // The busy state.
    DownloadProgress = 9520,
};

} // namespace krn::strings
