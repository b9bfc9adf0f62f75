#pragma once

#include "formsnapshot.h"

#include <QByteArray>
#include <QtGlobal>
#include <optional>

namespace krn {

// One controller command as it leaves the dispatcher: the command code, the
// number of data bytes, and the buffer of those bytes followed by the checksum
// slot that the link fills.
struct Payload {
    qint32 code = 0;
    qint32 length = 0;
    QByteArray buffer; // length + 1 bytes
};

// The single-frame command behind a button (1, 3, 5, 7, 8, 9), built from what
// the window's lists show. Empty for every other button, including the clock
// download, whose frames are built as its glyphs are drawn. Throws
// krn::Failure when a value does not fit its byte (nothing selected, a number
// out of range).
std::optional<Payload> buildPayload(int index, const FormSnapshot& form);

// The controller's colour code for a position of the colour list: the first
// entry is two-colour (1), the second single-colour (0).
quint8 colourCode(int position);

} // namespace krn
