#include "store/BudgetStore.h"

#include "store/ChartStore.h"
#include "store/KindStore.h"
#include "store/LedgerNames.h"
#include "store/database_access.h"

namespace BudgetStore {

namespace {

using namespace LedgerNames;
using database_access::Exec_SQL;
using database_access::Open_Query;

bool tableExists()
{
    return database_access::Table_Exists(Budgets::table);
}

QString monthText(const QDate &month)
{
    return month.toString(QStringLiteral("yyyy-MM"));
}

// kind, month text and amount of the rows whose month matches the pattern.
QVector<std::tuple<qint64, QString, Decimal>> rowsLike(const QString &pattern)
{
    QVector<std::tuple<qint64, QString, Decimal>> out;
    if (!tableExists())
        return out;
    const ResultSet rows = Open_Query(QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %2 LIKE ?")
                                          .arg(Budgets::kind, Budgets::month, Budgets::amount, Budgets::table),
        { pattern });
    for (const ResultSet::Row &row : rows.rows())
        if (const std::optional<Decimal> amount = Decimal::fromText(row[2].toString()))
            out.append({ row[0].toLongLong(), row[1].toString(), *amount });
    return out;
}

} // namespace

QHash<qint64, Decimal> monthly()
{
    QHash<qint64, Decimal> out;
    for (const auto &[kind, month, amount] : rowsLike(QString()))
        out.insert(kind, amount);
    return out;
}

QHash<qint64, QHash<int, Decimal>> monthsOf(int year)
{
    QHash<qint64, QHash<int, Decimal>> out;
    for (const auto &[kind, month, amount] : rowsLike(QStringLiteral("%1-__").arg(year, 4, 10, QLatin1Char('0'))))
        out[kind].insert(month.right(2).toInt(), amount);
    return out;
}

void set(const QVector<Setting> &settings)
{
    database_access::Transaction transaction;
    Exec_SQL(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 INTEGER NOT NULL, %3 TEXT NOT NULL, %4 TEXT NOT NULL,"
                            " PRIMARY KEY (%2, %3))")
                 .arg(Budgets::table, Budgets::kind, Budgets::month, Budgets::amount));
    for (const Setting &s : settings) {
        const QString month = s.month.isValid() ? monthText(s.month) : QString();
        if (s.amount)
            Exec_SQL(QStringLiteral("INSERT OR REPLACE INTO %1 (%2, %3, %4) VALUES (?, ?, ?)")
                         .arg(Budgets::table, Budgets::kind, Budgets::month, Budgets::amount),
                { s.kind, month, s.amount->text() });
        else
            Exec_SQL(QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %3 = ?")
                         .arg(Budgets::table, Budgets::kind, Budgets::month),
                { s.kind, month });
    }
    transaction.commit();
}

void setMonthly(qint64 kind, const std::optional<Decimal> &amount)
{
    set({ { kind, QDate(), amount } });
}

void setMonth(qint64 kind, const QDate &month, const std::optional<Decimal> &amount)
{
    set({ { kind, month, amount } });
}

bool hasBudget(qint64 kind)
{
    return tableExists()
        && Open_Query(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(Budgets::table, Budgets::kind), { kind })
               .rowCount()
        > 0;
}

QHash<qint64, Decimal> budgetsFor(int year, int month)
{
    const QHash<qint64, Decimal> every = monthly();
    const QHash<qint64, QHash<int, Decimal>> single = monthsOf(year);
    QHash<qint64, Decimal> out;
    QList<qint64> kinds = every.keys() + single.keys();
    for (const qint64 kind : kinds) {
        if (out.contains(kind))
            continue;
        std::optional<Decimal> sum;
        for (int m = month == 0 ? 1 : month; m <= (month == 0 ? 12 : month); ++m) {
            const QHash<int, Decimal> own = single.value(kind);
            const std::optional<Decimal> that = own.contains(m) ? std::optional<Decimal>(own.value(m))
                : every.contains(kind)                          ? std::optional<Decimal>(every.value(kind))
                                                                : std::nullopt;
            if (that)
                sum = sum.value_or(Decimal()) + *that;
        }
        if (sum)
            out.insert(kind, *sum);
    }
    return out;
}

QVector<Line> report(int year, int month)
{
    ReportStore::RangeFilter filter;
    filter.begin = QDate(year, month == 0 ? 1 : month, 1);
    filter.end = month == 0 ? QDate(year, 12, 31) : filter.begin.addMonths(1).addDays(-1);
    QHash<QString, Decimal> spent;
    for (const ChartStore::KindSum &sum : ChartStore::kindSums(filter, ChartStore::Expense))
        spent.insert(sum.name, sum.sum);
    const QHash<qint64, Decimal> budgets = budgetsFor(year, month);
    QVector<Line> budgeted;
    QVector<Line> unbudgeted;
    for (const KindStore::Kind &kind : KindStore::kindsByOrder()) {
        const Line line { kind.id, kind.name,
            budgets.contains(kind.id) ? std::optional<Decimal>(budgets.value(kind.id)) : std::nullopt,
            spent.value(kind.name) };
        if (line.budget)
            budgeted.append(line);
        else if (spent.contains(kind.name))
            unbudgeted.append(line);
    }
    return budgeted + unbudgeted;
}

void forgetKind(qint64 kind)
{
    if (tableExists())
        Exec_SQL(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(Budgets::table, Budgets::kind), { kind });
}

} // namespace BudgetStore
