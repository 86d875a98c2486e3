#pragma once

#include "store/BudgetStore.h"
#include "store/ChartStore.h"

#include <QColor>

#include <QSet>
#include <QString>
#include <QVector>

class QChart;

// The pictures of the chart window, built from the store's exact sums. Amounts are written
// with Decimal::text(); the doubles only give the bars their length.
namespace ChartPages {

// At most this many bars in a kind chart: beyond it, the smallest kinds are drawn as one bar.
constexpr int maxKindBars = 12;

struct KindBar
{
    QString name; // the kind's name, or "其他" for the kinds drawn together
    Decimal sum;
    int kinds = 1; // how many kinds the bar stands for
    bool summary = false; // a summary kind (結算分類)
    bool folded = false; // the bar of the kinds not named
    QString label; // what the axis shows: name, amount, share
};

// The kinds largest first (equal sums by name); with more than maxKindBars of them, every
// summary kind and the largest others, maxKindBars - 1 in all, and then 其他 for the rest. Each label is the name (with
// a star for a summary kind), the amount in 元 and, when the total is above zero, the share of it.
QVector<KindBar> rankKinds(QVector<ChartStore::KindSum> sums, const QSet<QString> &summaryNames);
// The label's star marks a summary kind.
inline const QString summaryMark = QStringLiteral("★");

// Income and expense bars of the twelve months with the balance as a line; the year's
// totals in the title.
QChart *monthChart(int year, const QVector<ChartStore::Flow> &months);
// One horizontal bar per kind, the largest on top. title names the direction and range;
// noneText replaces the bars when there are none.
QChart *kindChart(const QString &title, const QString &noneText, const QVector<KindBar> &bars);
// Each budgeted kind's budget beside what it spent, in the kind list's order, from the budget
// report's lines (the kinds without a budget are left out).
QChart *budgetChart(const QString &title, const QVector<BudgetStore::Line> &lines);
// Income, expense and balance bars of every year.
QChart *yearsChart(const QVector<ChartStore::YearFlow> &years);

// Captions of the sets, used by the tests and the legends alike.
inline const QString incomeCaption = QStringLiteral("收入");
inline const QString expenseCaption = QStringLiteral("支出");
inline const QString balanceCaption = QStringLiteral("結餘");
inline const QString plainKindsCaption = QStringLiteral("一般分類");
inline const QString summaryKindsCaption = QStringLiteral("★ 結算分類");
inline const QString budgetCaption = QStringLiteral("預算");
inline const QString actualCaption = QStringLiteral("實際");

// The colour of expense wherever it is drawn or written apart from income.
inline const QColor expenseColour(41, 98, 176);
inline const QColor budgetColour(160, 160, 160);

} // namespace ChartPages
