#include "store/ReportStore.h"

#include "platform/DateText.h"
#include "store/StoreError.h"
#include "store/database_access.h"

#include <QStringList>

namespace ReportStore {

namespace {

const QString dateField = QStringLiteral("D.a_date");

const QString detailedSelect = QStringLiteral(
    "SELECT D.a_date AS \"日期\", kind.name AS \"種類\", I.text AS \"收支\", D.a_content AS \"帳目名\","
    " D.a_count AS \"帳目\", D.a_note AS \"註解\", D.a_key AS a_key"
    " FROM (data_main D INNER JOIN kind ON D.a_kind = kind.a_kind) INNER JOIN inout I ON D.a_inout = I.inout"
    " WHERE D.a_date BETWEEN ? AND ?"
    " AND D.a_content LIKE ? ESCAPE '\\'");

const QString simpleSelect = QStringLiteral(
    "SELECT D.a_date AS \"日期\", I.text AS \"收支\", decimal_sum(a_count) AS \"日帳目\","
    " (SELECT n.a_note FROM data_note n WHERE D.a_date = n.a_date) AS \"日註解\""
    " FROM (kind INNER JOIN data_main D ON kind.a_kind = D.a_kind) INNER JOIN inout I ON D.a_inout = I.inout"
    " WHERE D.a_date BETWEEN ? AND ?"
    " AND D.a_content LIKE ? ESCAPE '\\'");

const QString kindCondition = QStringLiteral(" AND kind.name = ?");
const QString daySumField = QStringLiteral("sum(a_count)");
const QString simpleGrouping = QStringLiteral(" GROUP BY D.a_date, I.text");

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
    static const QStringList fields = { dateField, QStringLiteral("a_kind_name"), QStringLiteral("a_content"),
        QStringLiteral("a_count"), QStringLiteral("a_note"), QStringLiteral("sum(a_count)") };
    return fields.contains(field);
}

QString sortClause(const QString &field, bool descending)
{
    // The expression goes into the statement as text, so only the known ones may.
    if (!isSortField(field))
        throw StoreError(QStringLiteral("不支援的排序方式：%1").arg(field));
    if (field == dateField)
        return descending ? QStringLiteral(" ORDER BY D.a_date desc") : QStringLiteral(" ORDER BY D.a_date");
    // The day sums are exact decimal texts, which must be compared as numbers.
    const QString expression = field == daySumField ? QStringLiteral("decimal_sum(a_count) COLLATE decimal") : field;
    return QStringLiteral(" ORDER BY ") + expression
        + (descending ? QStringLiteral(" desc , D.a_date asc") : QStringLiteral(" , D.a_date asc"));
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

RangeTotals rangeTotals(const ResultSet &result)
{
    RangeTotals totals;
    const QStringList columns = result.columns();
    const qsizetype inoutCol = columns.indexOf(QStringLiteral("收支"));
    qsizetype amountCol = columns.indexOf(QStringLiteral("帳目"));
    if (amountCol < 0)
        amountCol = columns.indexOf(QStringLiteral("日帳目"));
    if (inoutCol < 0 || amountCol < 0)
        return totals;
    const QString incomeWord = QStringLiteral("收入");
    const QString expenseWord = QStringLiteral("支出");
    for (const ResultSet::Row &row : result.rows()) {
        const QString inout = row.at(inoutCol).toString();
        Decimal *total = inout == incomeWord ? &totals.income : (inout == expenseWord ? &totals.expense : nullptr);
        if (total != nullptr)
            *total += amountOf(row.at(amountCol));
    }
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
    QStringList marks;
    statement.values = { DateText::iso(filter.begin), DateText::iso(filter.end), containsPattern(filter.description) };
    for (qint64 id : ids) {
        marks << QStringLiteral("?");
        statement.values.append(id);
    }
    // The unary + keeps the engine from walking every entry of each kind through the kind
    // index (all the years of them) instead of only the range's days through the date index.
    // The description and kind conditions are the range result's, so that 一般 is the result's
    // expense outside the summary kinds.
    statement.sql = QStringLiteral("SELECT kind.name, decimal_sum(a_count) FROM data_main INNER JOIN kind ON "
                                   "data_main.a_kind = kind.a_kind"
                                   " WHERE a_date BETWEEN ? AND ? AND data_main.a_content LIKE ? ESCAPE '\\'"
                                   " AND a_inout = 0 AND +data_main.a_kind IN (%1)")
                        .arg(marks.join(QLatin1Char(',')));
    if (filter.kindName) {
        statement.sql += kindCondition;
        statement.values.append(*filter.kindName);
    }
    statement.sql += QStringLiteral(" GROUP BY kind.name");
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
    return { QStringLiteral(
                 "SELECT substr(a_date, 6, 2) AS month, a_inout, decimal_sum(a_count) AS sum_a FROM data_main"
                 " WHERE a_date BETWEEN ? AND ? GROUP BY substr(a_date, 6, 2), a_inout"),
        { DateText::iso(QDate(year, 1, 1)), DateText::iso(QDate(year, 12, 31)) } };
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
