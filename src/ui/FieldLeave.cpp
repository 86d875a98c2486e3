#include "ui/FieldLeave.h"

#include "ui/Guard.h"

#include <QFocusEvent>
#include <QPointer>
#include <QWidget>

namespace ui {

FieldLeave::FieldLeave(QWidget *field, LeaveGuard *guard, std::function<void()> onLeave)
    : QObject(field)
    , m_guard(guard)
    , m_onLeave(std::move(onLeave))
{
    field->installEventFilter(this);
}

void FieldLeave::watch(QWidget *field, LeaveGuard *guard, std::function<void()> onLeave)
{
    new FieldLeave(field, guard, std::move(onLeave));
}

bool FieldLeave::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::FocusOut)
        return QObject::eventFilter(watched, event);
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    if (m_guard->m_busy)
        return false;
    // The field finishes its own focus-out first (a line edit drops its selection and hides
    // its cursor there); a check that then takes the focus back leaves the field whole, with
    // whatever it selects still selected.
    QPointer<QObject> field(watched);
    static_cast<QObject *>(watched)->event(event);
    if (!field)
        return true;
    m_guard->m_busy = true;
    guarded(static_cast<QWidget *>(watched)->window(), m_onLeave);
    m_guard->m_busy = false;
    return true;
}

} // namespace ui
