#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>

namespace krn::strings {

// Ids of the texts that follow the user's interface language.
enum Id : quint16 {
    ErrorTitle = 1,          // title of every "a failure happened" box
    DefaultClockFont = 4,
    PromptTitle = 7,         // title of the success box
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
    // No folder for the settings file can be written.
    ChoicesNotKept = 9100,
};

enum class Language { SimplifiedChinese, TraditionalChinese, English };

// zh-CN/zh-SG/zh-Hans -> Simplified, zh-TW/zh-HK/zh-MO/zh-Hant -> Traditional,
// everything else English.
Language languageFor(const QLocale& locale);

// The text of `id` in `language`; throws krn::Failure when the id is unknown.
QString load(quint16 id, Language language);

// The text of `id` in the user's interface language as it is now (QLocale()).
// Looked up at every use, never cached.
QString load(quint16 id);

} // namespace krn::strings
