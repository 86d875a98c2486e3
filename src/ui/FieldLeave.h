#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace ui {

// One per window: while one field's leave check runs (and perhaps shows a box and takes the
// focus back), the leave checks of the window's other fields stay quiet. Without this two
// fields that each take the focus back would hand it to each other forever.
class LeaveGuard
{
public:
    bool busy() const { return m_busy; }

private:
    friend class FieldLeave;
    bool m_busy = false;
};

// Runs a check when the person leaves a field: by Tab, by a click elsewhere, by a click on
// a button (before that button acts). A box or dialog opening, a popup (a combo list) and the
// window closing are not leaving.
class FieldLeave : public QObject
{
    Q_OBJECT

public:
    static void watch(QWidget *field, LeaveGuard *guard, std::function<void()> onLeave);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FieldLeave(QWidget *field, LeaveGuard *guard, std::function<void()> onLeave);

    LeaveGuard *m_guard;
    std::function<void()> m_onLeave;
};

} // namespace ui
