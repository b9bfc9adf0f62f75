#pragma once

class QLineEdit;

namespace krn {

// Keeps a text box's text inside the box whatever face the system draws it
// with. Call once the box has its font.
void keepTextInView(QLineEdit& edit);

} // namespace krn
