#pragma once

class QApplication;

namespace ui {

// What every run of the windows needs, the program's and the tests': the font faces, the
// application font and the zh_TW translations of the standard buttons.
void setupApplication(QApplication &app);

} // namespace ui
