#pragma once

#include "platform/Decimal.h"
#include "store/ReportStore.h"

#include <QString>
#include <QVector>

// The sums the charts draw. Each is read in one grouped statement of its own over the date
// index, exact to the last digit: the engine adds the amounts that are whole cents as whole
// numbers of cents, and any other amount is fetched and added here as a decimal.
namespace ChartStore {

enum Direction { Expense = 0, Income = 1 };

struct KindSum
{
    QString name;
    Decimal sum;
};
// The expense or the income of each kind name in the range, under the range query's
// description and kind filters. Kinds without an entry there are left out.
QVector<KindSum> kindSums(const ReportStore::RangeFilter &filter, Direction direction);

struct Flow
{
    Decimal income;
    Decimal expense;
};
// The twelve months of a year, January first; a month without entries is zero.
QVector<Flow> monthFlows(int year);

struct YearFlow
{
    int year = 0;
    Flow flow;
};
// Every year from the ledger's first entry to its last, in order, a year without entries as
// zero (only the years with entries when they lie more than a century apart). None for an
// empty ledger.
QVector<YearFlow> yearFlows();

// The statements the sums above run, for checking their plans and timing the engine alone:
// the grouped sums, and the amounts that are not whole cents (run only when there are some).
enum class Part { Sums, OtherAmounts };
ReportStore::Statement kindSumsStatement(
    const ReportStore::RangeFilter &filter, Direction direction, Part part = Part::Sums);
ReportStore::Statement monthFlowsStatement(int year, Part part = Part::Sums);
ReportStore::Statement yearFlowsStatement(Part part = Part::Sums);

} // namespace ChartStore
