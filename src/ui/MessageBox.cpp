#include "ui/MessageBox.h"

#include <QMessageBox>

namespace ui {

namespace {

MessageHook &hook()
{
    static MessageHook h;
    return h;
}

const QString title = QStringLiteral("Quillory");

} // namespace

void showMessage(QWidget *parent, const QString &text)
{
    if (hook()) {
        hook()(BoxKind::Ok, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool askYesNo(QWidget *parent, const QString &text)
{
    if (hook())
        return hook()(BoxKind::YesNo, text);
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void setMessageHook(MessageHook h)
{
    hook() = std::move(h);
}

} // namespace ui
