#pragma once

#include <QString>
#include <QStringList>

namespace krn::lists {

// The fixed items of the window's lists, index 0 first. The clock-language
// list is filled from the string table instead.
QStringList communicationModes();      // ComboNo(0)
QStringList serialPorts();             // ComboNo(1): item index = port number - 1
QStringList baudRates();               // ComboNo(2); ComboNo(7) copies it
QStringList screenNumbers();           // ComboNo(3) and ComboNo(10): "0".."255"
QStringList colourModes();             // ComboNo(4)
QStringList panelWidths();             // ComboNo(5)
QStringList panelHeights();            // ComboNo(6)
QStringList scanModes();               // ComboNo(9)
QStringList hardwareOptions(int list); // ComboNoNo(0..4)

// What a list is for: the text id of its name, for messages.
quint16 comboRole(int index);
quint16 hardwareRole(int index);

} // namespace krn::lists
