#include "payloads.h"

#include "core/numtext.h"

namespace krn {

namespace {

Payload blank(qint32 code, qint32 length)
{
    return Payload{code, length, QByteArray(length + 1, '\0')};
}

// Panel sizes travel as two bytes, high first. Division truncates toward zero
// and the remainder keeps the dividend's sign, so any negative size fails one
// of the byte checks instead of wrapping.
void putSize(QByteArray& buffer, qsizetype at, const QString& text)
{
    const qint32 value = toInt32(leadingNumber(text));
    buffer[at] = char(wholeToByte(value / 256));
    buffer[at + 1] = char(wholeToByte(value % 256));
}

} // namespace

quint8 colourCode(int position)
{
    switch (position) {
    case 0:
        return 1;
    case 2:
        return 2;
    case 3:
        return 3;
    default:
        return 0;
    }
}

std::optional<Payload> buildPayload(int index, const FormSnapshot& form)
{
    switch (index) {
    case 1: // find screen
        return blank(23, 6);
    case 3: { // new line speed: the list position travels, not the rate
        Payload p = blank(13, 1);
        p.buffer[0] = char(wholeToByte(form.newBaudPosition));
        return p;
    }
    case 5: { // hardware signal options
        Payload p = blank(19, 8);
        p.buffer[0] = char(wholeToByte(form.hardwarePositions[0]));
        p.buffer[1] = char(wholeToByte(form.hardwarePositions[1]));
        p.buffer[2] = char(wholeToByte(form.hardwarePositions[2]));
        p.buffer[3] = char(toByte(leadingNumber(form.wiringCountText)));
        p.buffer[4] = char(wholeToByte(form.hardwarePositions[4]));
        return p;
    }
    case 7: { // display properties
        Payload p = blank(11, 19);
        putSize(p.buffer, 2, form.widthText);
        putSize(p.buffer, 4, form.heightText);
        p.buffer[6] = char(colourCode(form.colourPosition));
        p.buffer[7] = char(wholeToByte(form.scanPosition));
        return p;
    }
    case 8: // reset
        return blank(10, 1);
    case 9: { // new screen number
        Payload p = blank(22, 1);
        p.buffer[0] = char(wholeToByte(toInt16(leadingNumber(form.newScreenText))));
        return p;
    }
    default:
        return std::nullopt;
    }
}

} // namespace krn
