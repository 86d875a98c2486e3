#include "store/ReportStore.h"

#include "platform/DateText.h"
#include "store/LedgerNames.h"
#include "store/StoreError.h"
#include "store/database_access.h"

#include <QStringList>

namespace ReportStore {

namespace {

using namespace LedgerNames;

// In the range statements the entries are D, the directions I and the notes n.
const QString dateField = QStringLiteral("D.") + Entries::date;

// The range condition both kinds of result share: the days and the description.
const QString rangeCondition
    = QStringLiteral(" WHERE D.%1 BETWEEN ? AND ? AND D.%2 LIKE ? ESCAPE '\\'").arg(Entries::date, Entries::content);

const QString detailedSelect
    = QStringLiteral("SELECT D.%1 AS \"日期\", %2.%3 AS \"種類\", I.%4 AS \"收支\", D.%5 AS \"帳目名\","
                     " D.%6 AS \"帳目\", D.%7 AS \"註解\", D.%8 AS %8"
                     " FROM (%9 D INNER JOIN %2 ON D.%10 = %2.%11) INNER JOIN %12 I ON D.%13 = I.%14")
          .arg(Entries::date, Kinds::table, Kinds::name, Directions::text, Entries::content, Entries::count,
              Entries::note, Entries::key, Entries::table, Entries::kind, Kinds::id, Directions::table, Entries::inout,
              Directions::inout)
    + rangeCondition;

const QString simpleSelect
    = QStringLiteral("SELECT D.%1 AS \"日期\", I.%2 AS \"收支\", decimal_sum(%3) AS \"日帳目\","
                     " (SELECT n.%4 FROM %5 n WHERE D.%1 = n.%6) AS \"日註解\""
                     " FROM (%7 INNER JOIN %8 D ON %7.%9 = D.%10) INNER JOIN %11 I ON D.%12 = I.%13")
          .arg(Entries::date, Directions::text, Entries::count, Notes::note, Notes::table, Notes::date, Kinds::table,
              Entries::table, Kinds::id, Entries::kind, Directions::table, Entries::inout, Directions::inout)
    + rangeCondition;

const QString kindCondition = QStringLiteral(" AND %1.%2 = ?").arg(Kinds::table, Kinds::name);
const QString daySumField = QStringLiteral("sum(%1)").arg(Entries::count);
const QString simpleGrouping = QStringLiteral(" GROUP BY D.%1, I.%2").arg(Entries::date, Directions::text);

// An amount as the engine hands it: a stored REAL, or the exact text of a decimal_sum.
Decimal amountOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
        return Decimal::fromDouble(value.toDouble());
    case QMetaType::LongLong:
    case QMetaType::Int:
        return Decimal(value.toLongLong());
    default:
        if (value.isNull())
            return {};
        return Decimal::fromText(value.toString()).value_or(Decimal::fromDouble(value.toDouble()));
    }
}

} // namespace

bool isSortField(const QString &field)
{
    static const QStringList fields
        = { dateField, Entries::kindName, Entries::content, Entries::count, Entries::note, daySumField };
    return fields.contains(field);
}

QString sortClause(const QString &field, bool descending)
{
    // The expression goes into the statement as text, so only the known ones may.
    if (!isSortField(field))
        throw StoreError(QStringLiteral("不支援的排序方式：%1").arg(field));
    if (field == dateField)
        return QStringLiteral(" ORDER BY ") + dateField + (descending ? QStringLiteral(" desc") : QString());
    // The day sums are exact decimal texts, which must be compared as numbers.
    const QString expression
        = field == daySumField ? QStringLiteral("decimal_sum(%1) COLLATE decimal").arg(Entries::count) : field;
    return QStringLiteral(" ORDER BY ") + expression + (descending ? QStringLiteral(" desc , ") : QStringLiteral(" , "))
        + dateField + QStringLiteral(" asc");
}

QString containsPattern(const QString &text)
{
    QString pattern;
    pattern.reserve(text.size() + 2);
    pattern += QLatin1Char('%');
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    pattern += QLatin1Char('%');
    return pattern;
}

Statement rangeStatement(RangeMode mode, const RangeFilter &filter, const QString &sortField, bool descending)
{
    const QString order = sortClause(sortField, descending);
    Statement statement;
    statement.sql = mode == RangeMode::Detailed ? detailedSelect : simpleSelect;
    statement.values = { DateText::iso(filter.begin), DateText::iso(filter.end), containsPattern(filter.description) };
    if (filter.kindName) {
        statement.sql += kindCondition;
        statement.values.append(*filter.kindName);
    }
    if (mode == RangeMode::Simple)
        statement.sql += simpleGrouping;
    statement.sql += order;
    return statement;
}

ResultSet rangeEntries(RangeMode mode, const RangeFilter &filter, const QString &sortField, bool descending)
{
    const Statement statement = rangeStatement(mode, filter, sortField, descending);
    return database_access::Open_Query(statement.sql, statement.values);
}

RangeTotals rangeTotals(const ResultSet &result, const QVector<KindExpense> &kindSums)
{
    RangeTotals totals;
    const QStringList columns = result.columns();
    const qsizetype inoutCol = columns.indexOf(QStringLiteral("收支"));
    qsizetype amountCol = columns.indexOf(QStringLiteral("帳目"));
    if (amountCol < 0)
        amountCol = columns.indexOf(QStringLiteral("日帳目"));
    if (inoutCol >= 0 && amountCol >= 0) {
        const QString incomeWord = QStringLiteral("收入");
        const QString expenseWord = QStringLiteral("支出");
        for (const ResultSet::Row &row : result.rows()) {
            const QString inout = row.at(inoutCol).toString();
            Decimal *total = inout == incomeWord ? &totals.income : (inout == expenseWord ? &totals.expense : nullptr);
            if (total != nullptr)
                *total += amountOf(row.at(amountCol));
        }
    }
    totals.balance = totals.income - totals.expense;
    totals.general = totals.expense;
    for (const KindExpense &kind : kindSums)
        totals.general -= kind.sum;
    totals.kinds = kindSums;
    return totals;
}

Statement summaryKindStatement(const RangeFilter &filter, const QVector<qint64> &kindIds)
{
    Statement statement;
    if (kindIds.isEmpty())
        return statement;
    // The same id twice would not change the sums, only lengthen the statement.
    QVector<qint64> ids;
    for (qint64 id : kindIds) {
        if (!ids.contains(id))
            ids.append(id);
    }
    statement.values = { DateText::iso(filter.begin), DateText::iso(filter.end), containsPattern(filter.description) };
    for (qint64 id : ids)
        statement.values.append(id);
    // The unary + keeps the engine from walking every entry of each kind through the kind
    // index (all the years of them) instead of only the range's days through the date index.
    // The description and kind conditions are the range result's, so that 一般 is the result's
    // expense outside the summary kinds.
    statement.sql = QStringLiteral("SELECT %1.%2, decimal_sum(%3) FROM %4 INNER JOIN %1 ON %4.%5 = %1.%6"
                                   " WHERE %7 BETWEEN ? AND ? AND %4.%8 LIKE ? ESCAPE '\\'"
                                   " AND %9 = 0 AND +%4.%5 IN (%10)")
                        .arg(Kinds::table, Kinds::name, Entries::count, Entries::table, Entries::kind, Kinds::id,
                            Entries::date, Entries::content, Entries::inout, marks(ids.size()));
    if (filter.kindName) {
        statement.sql += kindCondition;
        statement.values.append(*filter.kindName);
    }
    statement.sql += QStringLiteral(" GROUP BY %1.%2").arg(Kinds::table, Kinds::name);
    return statement;
}

QVector<KindExpense> summaryKindExpenses(const RangeFilter &filter, const QVector<qint64> &kindIds)
{
    QVector<KindExpense> sums;
    const Statement statement = summaryKindStatement(filter, kindIds);
    if (statement.sql.isEmpty())
        return sums;
    const ResultSet result = database_access::Open_Query(statement.sql, statement.values);
    sums.reserve(result.rowCount());
    for (const ResultSet::Row &row : result.rows())
        sums.append({ row.value(0).toString(), amountOf(row.value(1)) });
    return sums;
}

Statement monthSumsStatement(int year)
{
    // One pass over the year on the date index instead of two statements a month.
    static const QString sql = QStringLiteral("SELECT substr(%1, 6, 2) AS month, %2, decimal_sum(%3) AS sum_a FROM %4"
                                              " WHERE %1 BETWEEN ? AND ? GROUP BY substr(%1, 6, 2), %2")
                                   .arg(Entries::date, Entries::inout, Entries::count, Entries::table);
    return { sql, { DateText::iso(QDate(year, 1, 1)), DateText::iso(QDate(year, 12, 31)) } };
}

QVector<MonthSums> monthSums(int year)
{
    QVector<MonthSums> months(12);
    const Statement statement = monthSumsStatement(year);
    const ResultSet result = database_access::Open_Query(statement.sql, statement.values);
    for (const ResultSet::Row &row : result.rows()) {
        bool ok = false;
        const int month = row.value(0).toString().toInt(&ok);
        if (!ok || month < 1 || month > 12 || row.value(2).isNull())
            continue;
        const Decimal sum = amountOf(row.value(2));
        const qint64 inout = row.value(1).toLongLong();
        if (inout == 1)
            months[month - 1].income = sum;
        else if (inout == 0)
            months[month - 1].expense = sum;
    }
    return months;
}

} // namespace ReportStore
