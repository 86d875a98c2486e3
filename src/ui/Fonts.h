#pragma once

#include <QFont>

// The two faces the windows are drawn in. 新細明體 and 標楷體 are mapped to the Ming and
// Kai faces installed on the machine.
namespace ui {

// Registers the substitutions; call once after the application object exists.
void installFontSubstitutions();

QFont mingFont(double pointSize, bool bold = false);
QFont kaiFont(double pointSize, bool bold = false);

} // namespace ui
