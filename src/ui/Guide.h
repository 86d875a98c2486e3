#pragma once

#include <QString>

class QApplication;
class QWidget;

// The guide for people who keep a ledger (使用說明), shown in a window of its own at the part
// about the window where F1 was pressed.
namespace ui {

// The guide: installed beside the program (share/quillory), or, for a program run from its
// build folder, in the sources.
QString guidePath();

// The heading of the guide's part about a window, by the window's object name; the guide's
// title for a window it has no part about.
QString guideSection(const QWidget *window);

// Shows the guide over window, at its part.
void showGuide(QWidget *window);

// F1 in any window of the program shows the guide at that window's part.
void installGuideKey(QApplication &app);

} // namespace ui
