#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Every message box of the program: titled "Quillory", no icon.
namespace ui {

// Shows text with an OK button and waits for it.
void showMessage(QWidget *parent, const QString &text);
// Asks with Yes and No buttons; true only for Yes.
bool askYesNo(QWidget *parent, const QString &text);
// Asks with one button for each choice, the first the default; a choice 取消 is also what Esc
// presses, and without one Esc presses the first. The index of the choice taken, or -1 when the
// box was closed without one.
int askChoice(QWidget *parent, const QString &text, const QStringList &choices);

// Test seam: while set, boxes are not shown; the hook receives the text and the kind of box,
// and returns the answer: non-zero for Yes, the index of the choice taken (-1 for none), and
// anything for OK boxes.
enum class BoxKind { Ok, YesNo, Choice };
using MessageHook = std::function<int(BoxKind kind, const QString &text)>;
void setMessageHook(MessageHook hook);

} // namespace ui
