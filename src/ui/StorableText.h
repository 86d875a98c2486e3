#pragma once

#include <QString>

class QWidget;

namespace ui {

// Whether a typed or pasted text can be kept in the ledger exactly as it is. One holding an
// unpaired surrogate (half of a character, as some programs put on the clipboard) cannot:
// the person is told which field holds it, and the caller saves nothing.
bool storableText(QWidget *parent, const QString &field, const QString &text);

} // namespace ui
