#include "reports/check.h"

#include "platform/Clock.h"
#include "reports/BudgetWindow.h"

#include "reports/chart_view.h"
#include "ui/BusyWork.h"
#include "ui/Guard.h"
#include "ui/Modal.h"

void check::cmd_chart_Click()
{
    if (busyWork()->running())
        return;
    ui::guarded(this, [this] {
        chart_view charts(m_chartQuery, this);
        ui::showModal(&charts);
    });
}

void check::cmd_budget_Click()
{
    if (busyWork()->running())
        return;
    ui::guarded(this, [this] {
        BudgetWindow budgets(Clock::today(), this);
        ui::showModal(&budgets);
    });
}
