#pragma once

#include "platform/Decimal.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QVector>

#include <optional>

// Budgets (預算): a monthly amount for an expense kind, and amounts of its own for single months
// that replace it there. Nothing carries over from month to month; a year's budget is the sum of
// its twelve months. Kept by the kind's id, so a renamed kind keeps its budget; the table is made
// the first time a budget is saved, and a deleted kind's budget goes with it.
namespace BudgetStore {

// Every kind's monthly amount, by kind id.
QHash<qint64, Decimal> monthly();
// The amounts of the single months of a year (keyed by kind id, then month 1 to 12).
QHash<qint64, QHash<int, Decimal>> monthsOf(int year);

// Sets or, with nothing, removes a kind's monthly amount.
void setMonthly(qint64 kind, const std::optional<Decimal> &amount);
// Sets or removes the amount of one month (the day of the date does not count).
void setMonth(qint64 kind, const QDate &month, const std::optional<Decimal> &amount);

// Several of the above as one change: a kind's monthly amount (month invalid) or one month's,
// set or (nothing) removed.
struct Setting
{
    qint64 kind = 0;
    QDate month;
    std::optional<Decimal> amount;
};
void set(const QVector<Setting> &settings);

// Whether the kind has any budget, monthly or for a month.
bool hasBudget(qint64 kind);

// The budget of each kind that has one for the month (month 0: the whole year), by kind id.
QHash<qint64, Decimal> budgetsFor(int year, int month);

// Removes every budget of the kind (inside the kind deletion's transaction).
void forgetKind(qint64 kind);

// One line of the budget report: a kind with its budget, or one that spent without a budget.
struct Line
{
    qint64 kind = 0;
    QString name;
    std::optional<Decimal> budget;
    Decimal actual;
};

// The month's (month 0: the year's) budget report: the kinds with a budget in the kind list's
// order, then the kinds that spent without one. What was spent is each kind's expense as the
// charts add it, so the report, the charts and the year report agree to the last digit.
QVector<Line> report(int year, int month);

} // namespace BudgetStore
