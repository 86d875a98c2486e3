#include "ui/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

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
        return hook()(BoxKind::YesNo, text) != 0;
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int askChoice(QWidget *parent, const QString &text, const QStringList &choices)
{
    if (hook())
        return hook()(BoxKind::Choice, text);
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton *> buttons;
    for (const QString &choice : choices) {
        const bool cancel = choice == QStringLiteral("取消");
        QPushButton *button = box.addButton(choice, cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        if (cancel)
            box.setEscapeButton(button);
        buttons.append(button);
    }
    if (!buttons.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
        // Without a 取消, Esc and the close box take the first choice, the one that goes on as
        // before (好 after an import, 確定 in the about box); a box they could not close at all
        // would hold the person up.
        if (!box.escapeButton())
            box.setEscapeButton(buttons.first());
    }
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

void setMessageHook(MessageHook h)
{
    hook() = std::move(h);
}

} // namespace ui
