#pragma once

#include "core/message.h"

#include <QString>
#include <QtGlobal>
#include <optional>

namespace krn {

// Puts a serial device back into a plain raw state, every flag set
// explicitly, then tries the speed and odd parity one after the other.
// Returns the setting the device refuses, in plain words; nothing when it
// takes them all (or when the device cannot be reached this way, so that
// the ordinary open says why). Unix only; elsewhere it does nothing.
std::optional<Message> resetLineSettings(const QString& device, qint32 baudRate);

} // namespace krn
