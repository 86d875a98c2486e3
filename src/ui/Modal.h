#pragma once

#include <functional>

class QDialog;

// Showing a window modally. Tests replace the showing to drive the window instead of
// blocking in its event loop.
namespace ui {

// Shows dialog modally and returns when it has closed, with its result code.
int showModal(QDialog *dialog);

// Test seam: while set, showModal calls the hook instead; the hook drives the dialog and
// returns the result code.
using ModalHook = std::function<int(QDialog *dialog)>;
void setModalHook(ModalHook hook);

} // namespace ui
