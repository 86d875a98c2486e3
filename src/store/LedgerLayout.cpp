#include "store/LedgerLayout.h"

#include "store/LedgerNames.h"
#include "store/database_access.h"

#include <QStringList>

#include <initializer_list>

namespace LedgerLayout {

namespace {

using namespace LedgerNames;

// How the engine converts a value stored in a column of the declared type (its own rules,
// applied in this order).
enum class Affinity { Integer, Text, None, Real, Numeric };

Affinity affinityOf(const QString &declared)
{
    const QString type = declared.toUpper();
    const auto has = [&type](const char *part) { return type.contains(QLatin1String(part)); };
    if (has("INT"))
        return Affinity::Integer;
    if (has("CHAR") || has("CLOB") || has("TEXT"))
        return Affinity::Text;
    if (type.isEmpty() || has("BLOB"))
        return Affinity::None;
    if (has("REAL") || has("FLOA") || has("DOUB"))
        return Affinity::Real;
    return Affinity::Numeric;
}

// What a column holds: whole numbers (keys, kinds, directions), text kept exactly as
// written, an amount, or a date (written YYYY-MM-DD, which no column type turns into a number).
enum class Holds { Whole, Text, Amount, Date };

struct Column
{
    QLatin1String name;
    Holds holds;
};

struct Table
{
    QLatin1String name;
    std::initializer_list<Column> columns;
    // The column that names one row: the program finds, changes and deletes rows by it.
    QLatin1String key;
};

// The columns are checked in their order as well as by name: the ledger has always laid
// them out so, and a file that another tool rebuilt in another order is taken for changed.
const Table tables[] = {
    { Entries::table,
        { { Entries::date, Holds::Date }, { Entries::kind, Holds::Whole }, { Entries::inout, Holds::Whole },
            { Entries::content, Holds::Text }, { Entries::count, Holds::Amount }, { Entries::note, Holds::Text },
            { Entries::key, Holds::Whole }, { Entries::kindName, Holds::Text } },
        Entries::key },
    { Kinds::table, { { Kinds::id, Holds::Whole }, { Kinds::name, Holds::Text }, { Kinds::order, Holds::Whole } },
        Kinds::id },
    { Notes::table, { { Notes::date, Holds::Date }, { Notes::note, Holds::Text } }, Notes::date },
    { Directions::table, { { Directions::inout, Holds::Whole }, { Directions::text, Holds::Text } },
        Directions::inout },
};

bool fits(Holds holds, Affinity affinity)
{
    switch (holds) {
    case Holds::Whole:
        return affinity == Affinity::Integer;
    case Holds::Text:
        // Any other would turn a text such as 007 or 1.0 into a number.
        return affinity == Affinity::Text || affinity == Affinity::None;
    case Holds::Amount:
        return affinity == Affinity::Real || affinity == Affinity::Numeric || affinity == Affinity::Integer;
    case Holds::Date:
        return true;
    }
    return false;
}

QString wanted(Holds holds)
{
    switch (holds) {
    case Holds::Whole:
        return QStringLiteral("整數（INTEGER）");
    case Holds::Text:
        return QStringLiteral("文字（TEXT）");
    case Holds::Amount:
        return QStringLiteral("數字（REAL）");
    case Holds::Date:
        break;
    }
    return {};
}

bool sameName(const QVariant &found, const QString &name)
{
    return found.toString().compare(name, Qt::CaseInsensitive) == 0;
}

QString columnsProblem(const Table &table)
{
    const QString name = table.name;
    const ResultSet shape = database_access::Open_Query(
        QStringLiteral("SELECT type, wr FROM pragma_table_list WHERE schema = 'main' AND name = ? COLLATE NOCASE"),
        { name });
    if (shape.rowCount() != 1 || shape.rows().first().at(0).toString() != QLatin1String("table"))
        return QStringLiteral("%1 不是一般的資料表（可能是虛擬資料表）。").arg(name);
    if (shape.rows().first().at(1).toInt() != 0)
        return QStringLiteral("資料表 %1 沒有列編號（WITHOUT ROWID）。").arg(name);

    // Hidden and computed columns are listed too.
    const QVector<ResultSet::Row> found = database_access::Open_Query(
        QStringLiteral("SELECT name, type FROM pragma_table_xinfo(?) ORDER BY cid"), { name })
                                              .rows();
    QStringList expected;
    for (const Column &column : table.columns)
        expected << column.name;
    QStringList actual;
    bool same = found.size() == expected.size();
    for (qsizetype i = 0; i < found.size(); ++i) {
        actual << found.at(i).at(0).toString();
        same = same && sameName(found.at(i).at(0), expected.at(i));
    }
    if (!same)
        return QStringLiteral("資料表 %1 的欄位不對：應該依序是 %2，檔案裡是 %3。")
            .arg(name, expected.join(QStringLiteral("、")), actual.join(QStringLiteral("、")));

    qsizetype index = 0;
    for (const Column &column : table.columns) {
        const QString declared = found.at(index++).at(1).toString();
        if (!fits(column.holds, affinityOf(declared)))
            return QStringLiteral("資料表 %1 的 %2 欄宣告為 %3，應該是%4。")
                .arg(name, column.name, declared.isEmpty() ? QStringLiteral("沒有型別") : declared,
                    wanted(column.holds));
    }
    return {};
}

// Whether the engine itself keeps the column's values apart: the column alone is the
// primary key, or a unique index over every row covers it alone.
bool keptUnique(const QString &table, const QString &column)
{
    const ResultSet primary
        = database_access::Open_Query(QStringLiteral("SELECT name FROM pragma_table_xinfo(?) WHERE pk > 0"), { table });
    if (primary.rowCount() == 1 && sameName(primary.rows().first().at(0), column))
        return true;
    const ResultSet indexes = database_access::Open_Query(
        QStringLiteral("SELECT name FROM pragma_index_list(?) WHERE \"unique\" = 1 AND partial = 0"), { table });
    for (const ResultSet::Row &index : indexes.rows()) {
        const ResultSet covered = database_access::Open_Query(
            QStringLiteral("SELECT name FROM pragma_index_xinfo(?) WHERE key = 1"), { index.at(0) });
        if (covered.rowCount() == 1 && sameName(covered.rows().first().at(0), column))
            return true;
    }
    return false;
}

QString keyProblem(const Table &table)
{
    const QString name = table.name;
    const QString key = table.key;
    if (!keptUnique(name, key))
        return QStringLiteral("資料表 %1 的 %2 欄沒有設為主鍵或唯一，可能有好幾筆資料的 %2 相同。").arg(name, key);
    return {};
}

// A kind is added without its number; only a column that stands for the row's own number
// (declared exactly INTEGER PRIMARY KEY) is given one by the engine.
QString kindNumberProblem()
{
    const ResultSet number = database_access::Open_Query(
        QStringLiteral("SELECT type, pk FROM pragma_table_xinfo(?) WHERE name = ? COLLATE NOCASE"),
        { Kinds::table, Kinds::id });
    const ResultSet::Row row = number.rows().value(0);
    if (row.size() == 2 && row.at(0).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0
        && row.at(1).toInt() == 1)
        return {};
    return QStringLiteral("資料表 %1 的 %2 欄不是 INTEGER PRIMARY KEY，新增的種類不會得到編號。")
        .arg(Kinds::table, Kinds::id);
}

// An entry's number that is not a whole number (a text, say) would make the next entry's
// number wrong and hide the entry from changes by number.
QString entryNumberProblem()
{
    const qint64 odd = database_access::Open_Query(
        QStringLiteral("SELECT count(*) FROM %1 WHERE typeof(%2) <> 'integer'").arg(Entries::table, Entries::key))
                           .rows()
                           .first()
                           .first()
                           .toLongLong();
    if (odd == 0)
        return {};
    return QStringLiteral("資料表 %1 有 %2 筆帳目的 %3 不是整數。")
        .arg(Entries::table, QString::number(odd), Entries::key);
}

// A trigger changes data whenever the program does, behind its back: an add that deletes
// other entries, say.
QString triggerProblem()
{
    const ResultSet triggers = database_access::Open_Query(
        QStringLiteral("SELECT name, tbl_name FROM sqlite_master WHERE type = 'trigger' ORDER BY name"));
    if (triggers.rowCount() == 0)
        return {};
    QStringList names;
    for (const ResultSet::Row &row : triggers.rows())
        names << QStringLiteral("%1（資料表 %2）").arg(row.at(0).toString(), row.at(1).toString());
    return QStringLiteral("檔案裡有觸發程序（trigger）%1，它們會在每次變更時另外改動資料。")
        .arg(names.join(QStringLiteral("、")));
}

} // namespace

QString problem()
{
    QString why;
    for (const Table &table : tables) {
        why = columnsProblem(table);
        if (why.isEmpty())
            why = keyProblem(table);
        if (!why.isEmpty())
            break;
    }
    if (why.isEmpty())
        why = kindNumberProblem();
    if (why.isEmpty())
        why = entryNumberProblem();
    if (why.isEmpty())
        why = triggerProblem();
    if (why.isEmpty())
        return {};
    return why + QStringLiteral("\n這個檔案可能是其他程式做的或改過的；Quillory 沒有使用它，也沒有改動它。");
}

} // namespace LedgerLayout
