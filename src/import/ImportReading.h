#pragma once

// Shared by the parts of the planning: finding columns, reading values, naming rows.
#include "import/ImportPlan.h"
#include "jet/JetDatabase.h"

#include <QDate>
#include <QMap>
#include <QString>

#include <QList>

#include <limits>
#include <optional>

namespace importreading {

// The position of a column the old ledger must have, of one of the given types.
int requiredColumn(const JetTableDef &table, const QString &column, const QList<int> &types);

// The types a column of each sort may have in an old ledger.
const QList<int> &integerTypes();
const QList<int> &numberTypes();
const QList<int> &textTypes();
const QList<int> &dateTypes();

// "data_main 第 12 列", rows counted from 1 in the order of the file's pages.
QString rowName(const QString &table, qsizetype index);

// A number column's value as a double; nothing for NULL. A Single gives its shortest decimal.
std::optional<double> numberOf(const JetValue &value);
// The exact decimal a stored number stands for: whole numbers, Currency in 1/10000, Decimal as
// its digits, a Single as its shortest decimal; nothing for NULL, a Double or no number.
std::optional<Decimal> exactNumberOf(const JetValue &value);

// A line for the report for each of the columns that is fixed-length text.
void noteFixedText(const JetTableDef &table, const QList<int> &columns, QStringList &notices);

// The day of a stored Date/Time: nothing for NULL or a count outside years 1 to 9999.
std::optional<QDate> storedDay(const JetValue &value, bool *hadTime);
// What a stored date that has no day holds, for a report line.
QString storedDayText(const JetValue &value);
// The kind of an entry whose kind is blank (NULL) until it is given a kind of its own; the old
// file's ids are 32-bit, so none is this.
constexpr qint64 noKind()
{
    return std::numeric_limits<qint64>::min();
}

// The day the old engine counts from, where entries without a day of their own are put.
QDate dayZero();

// A stored day, or ImportError naming the row: no date, or one outside years 1 to 9999.
QDate dayOf(const JetValue &value, const QString &where, bool *hadTime);

// Text of a text column; NULL is the empty text, counted in nulls under the column's name.
QString textOf(const JetValue &value, const QString &column, QMap<QString, qint64> &nulls);

// A short list of numbers for a report line: the first ones, then how many more.
QString shortList(const QStringList &items, int shown = 20);

// Whether a table's columns stand in another order than the given one.
bool otherOrder(const JetTableDef &table, const QStringList &names);

} // namespace importreading

// The parts of the planning, each filling the plan from one or two old tables.
namespace importparts {

// The kind table: ids kept, names whole, key_order kept or numbered anew.
void planKinds(const JetDatabase &db, const JetTableDef &table, ImportPlan &plan, QMap<QString, qint64> &nulls,
    const std::function<void()> &onRow);
// Gives entries whose kind is not in the kind table to the kind 舊分類.
void placeOrphans(ImportPlan &plan);
// data_note, if the old file has it.
void planNotes(const JetDatabase &db, const JetTableDef &table, ImportPlan &plan, QMap<QString, qint64> &nulls,
    qint64 *timesDropped, const std::function<void()> &onRow);
// inout: only counted and compared; the new ledger has its own two rows.
void planDirections(
    const JetDatabase &db, const JetTableDef &table, ImportPlan &plan, const std::function<void()> &onRow);

} // namespace importparts
