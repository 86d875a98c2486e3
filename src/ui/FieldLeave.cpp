#include "ui/FieldLeave.h"

#include "ui/Guard.h"

#include <QFocusEvent>
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
    m_guard->m_busy = true;
    guarded(static_cast<QWidget *>(watched)->window(), m_onLeave);
    m_guard->m_busy = false;
    return false;
}

} // namespace ui
