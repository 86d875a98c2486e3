#pragma once

#include <QString>

#include <functional>

class QWidget;

// Every message box of the program: titled "Quillory", no icon.
namespace ui {

// Shows text with an OK button and waits for it.
void showMessage(QWidget *parent, const QString &text);
// Asks with Yes and No buttons; true only for Yes.
bool askYesNo(QWidget *parent, const QString &text);

// Test seam: while set, boxes are not shown; the hook receives the text and whether the
// box asks Yes/No, and returns the answer (true for Yes; ignored for OK boxes).
enum class BoxKind { Ok, YesNo };
using MessageHook = std::function<bool(BoxKind kind, const QString &text)>;
void setMessageHook(MessageHook hook);

} // namespace ui
