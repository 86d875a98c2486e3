#include "store/ChartStore.h"

#include "platform/DateText.h"
#include "store/LedgerNames.h"
#include "store/database_access.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace ChartStore {

namespace {

using namespace LedgerNames;

// The entries' amount; in these statements the entries are D.
const QString amount = QStringLiteral("D.") + Entries::count;

// An amount the engine may add exactly: a whole number of cents, small enough that millions
// of them stay inside its 64-bit sum. The test is exact: an amount passes only when the
// double it is stored as is the very one its cents divided by 100 give.
const QString wholeCents = QStringLiteral("(abs(%1) < 1e9 AND round(%1 * 100) / 100.0 = %1)").arg(amount);

QString centsSum()
{
    return QStringLiteral("SUM(CASE WHEN %1 THEN CAST(round(%2 * 100) AS INTEGER) END)").arg(wholeCents, amount);
}

QString otherCount()
{
    return QStringLiteral("SUM(CASE WHEN %1 IS NOT NULL AND NOT %2 THEN 1 ELSE 0 END)").arg(amount, wholeCents);
}

// A stored amount as the decimal it stands for. Text that is no number counts as 0, as it
// does in the engine's own sums.
Decimal amountOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return Decimal(value.toLongLong());
    case QMetaType::Double:
        return Decimal::fromDouble(value.toDouble());
    default:
        return Decimal::fromText(value.toString()).value_or(Decimal());
    }
}

struct Group
{
    QVariantList key;
    Decimal sum;
};

QString keyText(const QVariantList &key)
{
    QStringList parts;
    for (const QVariant &v : key)
        parts << v.toString();
    return parts.join(QChar(0x1f));
}

// A grouping of the amounts: keys is its select list (keyCount expressions), from the FROM
// and WHERE part, values the bound values.
struct Grouping
{
    QString keys;
    int keyCount = 1;
    QString from;
    QVariantList values;
};

ReportStore::Statement statementOf(const Grouping &g, Part part)
{
    if (part == Part::Sums)
        return { QStringLiteral("SELECT %1, %2, %3%4 GROUP BY %1").arg(g.keys, centsSum(), otherCount(), g.from),
            g.values };
    return { QStringLiteral("SELECT %1, %2%3 AND %2 IS NOT NULL AND NOT %4").arg(g.keys, amount, g.from, wholeCents),
        g.values };
}

// The exact sum of the amounts of each group, in the engine's order. The second statement
// runs only when some amount is not whole cents.
QVector<Group> exactSums(const Grouping &g)
{
    const ReportStore::Statement sums = statementOf(g, Part::Sums);
    const ResultSet grouped = database_access::Open_Query(sums.sql, sums.values);
    QVector<Group> groups;
    QHash<QString, qsizetype> index;
    bool anyOther = false;
    groups.reserve(grouped.rowCount());
    for (const ResultSet::Row &row : grouped.rows()) {
        Group group;
        group.key = row.mid(0, g.keyCount);
        const QVariant cents = row.value(g.keyCount);
        if (!cents.isNull())
            group.sum = Decimal(cents.toLongLong(), -2);
        anyOther = anyOther || row.value(g.keyCount + 1).toLongLong() > 0;
        index.insert(keyText(group.key), groups.size());
        groups.append(group);
    }
    if (!anyOther)
        return groups;
    const ReportStore::Statement othersStatement = statementOf(g, Part::OtherAmounts);
    const ResultSet others = database_access::Open_Query(othersStatement.sql, othersStatement.values);
    for (const ResultSet::Row &row : others.rows()) {
        const auto found = index.constFind(keyText(row.mid(0, g.keyCount)));
        if (found != index.constEnd())
            groups[*found].sum += amountOf(row.value(g.keyCount));
    }
    return groups;
}

Grouping kindGrouping(const ReportStore::RangeFilter &filter, Direction direction)
{
    Grouping g;
    g.keys = QStringLiteral("%1.%2").arg(Kinds::table, Kinds::name);
    g.from = QStringLiteral(" FROM %1 D INNER JOIN %2 ON D.%3 = %2.%4"
                            " WHERE D.%5 BETWEEN ? AND ? AND D.%6 LIKE ? ESCAPE '\\'"
                            " AND D.%7 = ?")
                 .arg(Entries::table, Kinds::table, Entries::kind, Kinds::id, Entries::date, Entries::content,
                     Entries::inout);
    g.values = { DateText::iso(filter.begin), DateText::iso(filter.end),
        ReportStore::containsPattern(filter.description), int(direction) };
    if (filter.kindName) {
        g.from += QStringLiteral(" AND %1.%2 = ?").arg(Kinds::table, Kinds::name);
        g.values.append(*filter.kindName);
    }
    return g;
}

// The entries of the days between two bound dates.
QString entriesBetween()
{
    return QStringLiteral(" FROM %1 D WHERE D.%2 BETWEEN ? AND ?").arg(Entries::table, Entries::date);
}

Grouping monthGrouping(int year)
{
    return { QStringLiteral("substr(D.%1, 6, 2), D.%2").arg(Entries::date, Entries::inout), 2, entriesBetween(),
        { DateText::iso(QDate(year, 1, 1)), DateText::iso(QDate(year, 12, 31)) } };
}

// Every stored date lies in these bounds; a text that is no date falls outside them.
QVariantList everyDate()
{
    return { QStringLiteral("0001-01-01"), QStringLiteral("9999-12-31") };
}

Grouping yearGrouping()
{
    return { QStringLiteral("substr(D.%1, 1, 4), D.%2").arg(Entries::date, Entries::inout), 2, entriesBetween(),
        everyDate() };
}

// The whole-cent sums of each day, income and expense side by side, and how many amounts are
// not whole cents. Grouped by the day, the entries come in order straight off the date index;
// grouped by the year they would all be sorted first, which at a million entries costs more
// than reading them.
ReportStore::Statement daySumsStatement()
{
    const QString cents = QStringLiteral("SUM(CASE WHEN D.%1 = %2 AND %3 THEN CAST(round(%4 * 100) AS INTEGER) END)");
    return { QStringLiteral("SELECT D.%1, %2, %3, %4%5 GROUP BY D.%1")
                 .arg(Entries::date, cents.arg(Entries::inout, QString::number(Income), wholeCents, amount),
                     cents.arg(Entries::inout, QString::number(Expense), wholeCents, amount), otherCount(),
                     entriesBetween()),
        everyDate() };
}

void addTo(Flow &flow, qint64 inout, const Decimal &sum)
{
    if (inout == Income)
        flow.income += sum;
    else if (inout == Expense)
        flow.expense += sum;
}

constexpr int maxYearsFilled = 100;

} // namespace

ReportStore::Statement kindSumsStatement(const ReportStore::RangeFilter &filter, Direction direction, Part part)
{
    return statementOf(kindGrouping(filter, direction), part);
}

ReportStore::Statement monthFlowsStatement(int year, Part part)
{
    return statementOf(monthGrouping(year), part);
}

ReportStore::Statement yearFlowsStatement(Part part)
{
    return part == Part::Sums ? daySumsStatement() : statementOf(yearGrouping(), part);
}

QVector<KindSum> kindSums(const ReportStore::RangeFilter &filter, Direction direction)
{
    QVector<KindSum> sums;
    for (const Group &group : exactSums(kindGrouping(filter, direction)))
        sums.append({ group.key.at(0).toString(), group.sum });
    return sums;
}

QVector<Flow> monthFlows(int year)
{
    QVector<Flow> months(12);
    for (const Group &group : exactSums(monthGrouping(year))) {
        bool ok = false;
        const int month = group.key.at(0).toString().toInt(&ok);
        if (ok && month >= 1 && month <= 12)
            addTo(months[month - 1], group.key.at(1).toLongLong(), group.sum);
    }
    return months;
}

QVector<YearFlow> yearFlows()
{
    QHash<int, Flow> byYear;
    const auto yearOf = [](const QVariant &text) {
        bool ok = false;
        const int year = text.toString().left(4).toInt(&ok);
        return ok && year >= 1 ? year : 0;
    };
    const ReportStore::Statement days = daySumsStatement();
    bool anyOther = false;
    for (const ResultSet::Row &row : database_access::Open_Query(days.sql, days.values).rows()) {
        anyOther = anyOther || row.value(3).toLongLong() > 0;
        const int year = yearOf(row.value(0));
        if (year == 0)
            continue;
        Flow &flow = byYear[year];
        if (!row.value(1).isNull())
            flow.income += Decimal(row.value(1).toLongLong(), -2);
        if (!row.value(2).isNull())
            flow.expense += Decimal(row.value(2).toLongLong(), -2);
    }
    if (anyOther) {
        const ReportStore::Statement others = statementOf(yearGrouping(), Part::OtherAmounts);
        for (const ResultSet::Row &row : database_access::Open_Query(others.sql, others.values).rows()) {
            if (const int year = yearOf(row.value(0)))
                addTo(byYear[year], row.value(1).toLongLong(), amountOf(row.value(2)));
        }
    }
    QVector<YearFlow> years;
    if (byYear.isEmpty())
        return years;
    QList<int> present = byYear.keys();
    std::sort(present.begin(), present.end());
    // The years between are drawn as zero, so gaps show, unless a mistyped date far away
    // would make that thousands of empty years.
    if (present.last() - present.first() < maxYearsFilled) {
        for (int year = present.first(); year <= present.last(); ++year)
            years.append({ year, byYear.value(year) });
    } else {
        for (int year : present)
            years.append({ year, byYear.value(year) });
    }
    return years;
}

} // namespace ChartStore
