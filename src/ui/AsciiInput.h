#pragma once

class QLineEdit;

namespace ui {

// Date and amount fields: full-width digits, ".", "-", "/" and blanks from a Chinese input
// method turn into their ASCII forms as they are typed or pasted, so the field, its checks
// and what is stored all see the ASCII text. Nothing typed is refused here.
void readWideAsAscii(QLineEdit *field);

} // namespace ui
