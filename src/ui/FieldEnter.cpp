#include "ui/FieldEnter.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QWidget>

namespace ui {

namespace {

QLineEdit *textOf(QObject *field)
{
    if (auto *combo = qobject_cast<QComboBox *>(field))
        return combo->isEditable() ? combo->lineEdit() : nullptr;
    return qobject_cast<QLineEdit *>(field);
}

} // namespace

FieldEnter::FieldEnter(QWidget *window)
    : QObject(window)
{
    for (QComboBox *combo : window->findChildren<QComboBox *>()) {
        if (combo->isEditable())
            combo->installEventFilter(this);
    }
    for (QLineEdit *field : window->findChildren<QLineEdit *>()) {
        // A combo box's own line edit gets its focus through the combo box, watched above.
        if (!qobject_cast<QComboBox *>(field->parentWidget()))
            field->installEventFilter(this);
    }
}

void FieldEnter::watchAll(QWidget *window)
{
    new FieldEnter(window);
}

bool FieldEnter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::FocusIn)
        return QObject::eventFilter(watched, event);
    switch (static_cast<QFocusEvent *>(event)->reason()) {
    case Qt::MouseFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        break;
    default:
        // Selected before the field takes its focus: a line edit keeps a selection it finds
        // then, whatever the reason.
        if (QLineEdit *text = textOf(watched))
            text->selectAll();
        break;
    }
    return false;
}

} // namespace ui
