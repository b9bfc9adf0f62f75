#pragma once

#include "core/message.h"
#include "core/textids.h"

#include <QLocale>
#include <QString>
#include <QtGlobal>

namespace krn::strings {

enum class Language { SimplifiedChinese, TraditionalChinese, English };

// zh-CN/zh-SG/zh-Hans -> Simplified, zh-TW/zh-HK/zh-MO/zh-Hant -> Traditional,
// everything else English.
Language languageFor(const QLocale& locale);

// The text of `id` in `language`; throws krn::Failure when the id is unknown.
QString load(quint16 id, Language language);

// The text of `id` in the user's interface language as it is now (QLocale()).
// Looked up at every use, never cached.
QString load(quint16 id);

// A message with its arguments filled in, in `language`. Never throws: an
// unknown id renders as the missing-text message.
QString render(const Message& message, Language language);
QString render(const Message& message);

// A line speed as a result names it: "9600 bit/s"; 0 stands for the speed a
// device server keeps for itself, which the tool did not set.
QString speedText(qint32 speed, Language language);
// The same as a message argument.
TextArg speedArg(qint32 speed);

} // namespace krn::strings
