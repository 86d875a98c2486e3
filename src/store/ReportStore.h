#pragma once

#include "platform/Decimal.h"
#include "store/ResultSet.h"

#include <QDate>
#include <QString>
#include <QVariantList>
#include <QVector>

#include <optional>

// The questions the query window asks the ledger: the entries of a date range, entry by
// entry or summed per day and direction; the expense of the summary kinds over a range; the
// monthly sums of a year.
namespace ReportStore {

// The two shapes of a range result. Detailed: 日期 種類 收支 帳目名 帳目 註解, one row per
// entry, and last the entry's key a_key (for finding the entry, not for showing). Simple:
// 日期 收支 日帳目 日註解, one row per day and direction with the day's note.
enum class RangeMode { Detailed, Simple };

struct RangeFilter
{
    QDate begin; // first day, included
    QDate end; // last day, included
    QString description; // text the description must contain, taken literally
    std::optional<QString> kindName; // only entries of the kind(s) of this name
};

// The sort expressions a range query accepts: "D.a_date" (date only) and the column sorts
// "a_kind_name", "a_content", "a_count", "a_note" (detailed) and "sum(a_count)" (simple, the
// day's exact sum, ordered by its value). Column sorts keep rows of equal value in ascending
// date order.
bool isSortField(const QString &field);
// " ORDER BY ..." for a sort expression; StoreError for anything not in the list above.
QString sortClause(const QString &field, bool descending);

// A LIKE pattern that finds text anywhere, with %, _ and \ in text matching themselves
// (for use with ESCAPE '\').
QString containsPattern(const QString &text);

// A statement with its bound values, as the functions below run it. Measuring tools run the
// very same text straight on the engine to compare.
struct Statement
{
    QString sql;
    QVariantList values;
};

// The range query. The result's column names are the grid's headers.
ResultSet rangeEntries(RangeMode mode, const RangeFilter &filter, const QString &sortField, bool descending);
Statement rangeStatement(RangeMode mode, const RangeFilter &filter, const QString &sortField, bool descending);

struct KindExpense
{
    QString name;
    Decimal sum;
};

// What a range result adds up to, all of it exact.
struct RangeTotals
{
    Decimal income;
    Decimal expense;
    Decimal balance; // income less expense
    // The expense outside the summary kinds: the expense less every summary kind's own.
    Decimal general;
    // Each summary kind's expense, in the order given.
    QVector<KindExpense> kinds;
};
// Adds up a range result from its 收支 and 帳目 (or 日帳目) columns, an entry neither income
// nor expense counting for neither; a result without those columns totals 0. kindSums are the
// summary kinds' expenses over the same range (summaryKindExpenses). Reads nothing but the
// values given.
RangeTotals rangeTotals(const ResultSet &result, const QVector<KindExpense> &kindSums = {});
// Expense of each of the given kinds over the filter's range, narrowed by its description and
// kind as the range result is, grouped by kind name, in the order the database gives. No kinds,
// no rows and no statement.
QVector<KindExpense> summaryKindExpenses(const RangeFilter &filter, const QVector<qint64> &kindIds);
// Empty sql when there is no kind.
Statement summaryKindStatement(const RangeFilter &filter, const QVector<qint64> &kindIds);

struct MonthSums
{
    std::optional<Decimal> income; // empty when the month has no income entry
    std::optional<Decimal> expense; // empty when the month has no expense entry
};
// Twelve entries, January first: the exact income and expense sums of each month of year.
QVector<MonthSums> monthSums(int year);
Statement monthSumsStatement(int year);

} // namespace ReportStore
