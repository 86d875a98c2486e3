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
    " D.a_count AS \"帳目\", D.a_note AS \"註解\""
    " FROM (data_main D INNER JOIN kind ON D.a_kind = kind.a_kind) INNER JOIN inout I ON D.a_inout = I.inout"
    " WHERE D.a_date BETWEEN ? AND ?"
    " AND D.a_content LIKE ? ESCAPE '\\'");

const QString simpleSelect = QStringLiteral(
    "SELECT D.a_date AS \"日期\", I.text AS \"收支\", sum(a_count) AS \"日帳目\","
    " (SELECT n.a_note FROM data_note n WHERE D.a_date = n.a_date) AS \"日註解\""
    " FROM (kind INNER JOIN data_main D ON kind.a_kind = D.a_kind) INNER JOIN inout I ON D.a_inout = I.inout"
    " WHERE D.a_date BETWEEN ? AND ?"
    " AND D.a_content LIKE ? ESCAPE '\\'");

const QString kindCondition = QStringLiteral(" AND kind.name = ?");
const QString simpleGrouping = QStringLiteral(" GROUP BY D.a_date, I.text");

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
    return QStringLiteral(" ORDER BY ") + field
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
    statement.values
        = { DateText::iso(filter.begin), DateText::iso(filter.end), containsPattern(filter.description) };
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

Statement summaryKindStatement(const QDate &begin, const QDate &end, const QVector<qint64> &kindIds)
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
    statement.values = { DateText::iso(begin), DateText::iso(end) };
    for (qint64 id : ids) {
        marks << QStringLiteral("?");
        statement.values.append(id);
    }
    // The unary + keeps the engine from walking every entry of each kind through the kind
    // index (all the years of them) instead of only the range's days through the date index.
    statement.sql
        = QStringLiteral("SELECT kind.name, sum(a_count) FROM data_main INNER JOIN kind ON data_main.a_kind = kind.a_kind"
                         " WHERE a_date BETWEEN ? AND ? AND a_inout = 0 AND +data_main.a_kind IN (%1)"
                         " GROUP BY kind.name")
              .arg(marks.join(QLatin1Char(',')));
    return statement;
}

QVector<KindExpense> summaryKindExpenses(const QDate &begin, const QDate &end, const QVector<qint64> &kindIds)
{
    QVector<KindExpense> sums;
    const Statement statement = summaryKindStatement(begin, end, kindIds);
    if (statement.sql.isEmpty())
        return sums;
    const ResultSet result = database_access::Open_Query(statement.sql, statement.values);
    sums.reserve(result.rowCount());
    for (const ResultSet::Row &row : result.rows())
        sums.append({ row.value(0).toString(), row.value(1).toDouble() });
    return sums;
}

Statement monthSumsStatement(int year)
{
    // One pass over the year on the date index instead of two statements a month.
    return { QStringLiteral("SELECT substr(a_date, 6, 2) AS month, a_inout, SUM(a_count) AS sum_a FROM data_main"
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
        const double sum = row.value(2).toDouble();
        const qint64 inout = row.value(1).toLongLong();
        if (inout == 1)
            months[month - 1].income = sum;
        else if (inout == 0)
            months[month - 1].expense = sum;
    }
    return months;
}

} // namespace ReportStore
