#include "ui/Modal.h"

#include <QDialog>

namespace ui {

namespace {

ModalHook &hook()
{
    static ModalHook h;
    return h;
}

} // namespace

int showModal(QDialog *dialog)
{
    if (hook()) {
        // A copy, so that the hook may replace itself while it drives the dialog.
        ModalHook current = hook();
        return current(dialog);
    }
    return dialog->exec();
}

void setModalHook(ModalHook h)
{
    hook() = std::move(h);
}

} // namespace ui
