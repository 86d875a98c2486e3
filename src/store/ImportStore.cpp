#include "store/ImportStore.h"

#include "platform/DateText.h"
#include "store/LedgerNames.h"
#include "store/database_access.h"

namespace ImportStore {

using database_access::Exec_SQL;
using database_access::Open_Query;
using namespace LedgerNames;

namespace {

template <typename Names> QString insertInto(QLatin1String table, const Names &names)
{
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns(names), marks(qsizetype(names.size())));
}

template <typename Names> QString selectAll(QLatin1String table, const Names &names, QLatin1String orderedBy)
{
    return QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(columns(names), table, orderedBy);
}

} // namespace

void fill(const Contents &contents)
{
    const QString kindSql = insertInto(Kinds::table, Kinds::all);
    const QString entrySql = insertInto(Entries::table, Entries::all);
    const QString noteSql = insertInto(Notes::table, Notes::all);
    database_access::Transaction transaction;
    // The entries' indexes are built again once every entry is in: sorting the whole table
    // once is far quicker than growing each index entry by entry, the descriptions' (met in
    // no order) above all. Their definitions are taken from the ledger itself, as they were.
    const ResultSet indexes = Open_Query(
        QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL"),
        { Entries::table });
    for (const ResultSet::Row &index : indexes.rows())
        Exec_SQL(QStringLiteral("DROP INDEX \"%1\"").arg(index.at(0).toString()));
    for (const KindStore::Kind &kind : contents.kinds)
        Exec_SQL(kindSql, { kind.id, kind.name, kind.order });
    database_access::Exec_SQL_Rows(entrySql, contents.entries.size(), [&](qsizetype i) {
        const EntryStore::Entry &e = contents.entries.at(i);
        return QVariantList { DateText::iso(e.date), e.kind, e.inout, e.content, e.count, e.note, e.key, e.kindName };
    });
    for (const DayNote &note : contents.notes)
        Exec_SQL(noteSql, { DateText::iso(note.date), note.note });
    for (const ResultSet::Row &index : indexes.rows())
        Exec_SQL(index.at(1).toString());
    transaction.commit();
}

Contents readAll()
{
    Contents contents;
    // The values of each row are read by their place in these column lists.
    const ResultSet entries = Open_Query(selectAll(Entries::table, Entries::all, Entries::key));
    contents.entries.reserve(entries.rowCount());
    for (const ResultSet::Row &row : entries.rows()) {
        EntryStore::Entry e;
        e.date = DateText::fromIso(row.at(0).toString());
        e.kind = row.at(1).toLongLong();
        e.inout = row.at(2).toInt();
        e.content = row.at(3).toString();
        e.count = row.at(4).toDouble();
        e.note = row.at(5).toString();
        e.key = row.at(6).toLongLong();
        e.kindName = row.at(7).toString();
        contents.entries.append(e);
    }
    const ResultSet kinds = Open_Query(selectAll(Kinds::table, Kinds::all, Kinds::id));
    for (const ResultSet::Row &row : kinds.rows())
        contents.kinds.append({ row.at(0).toLongLong(), row.at(1).toString(), row.at(2).toLongLong() });
    const ResultSet notes = Open_Query(selectAll(Notes::table, Notes::all, Notes::date));
    for (const ResultSet::Row &row : notes.rows())
        contents.notes.append({ DateText::fromIso(row.at(0).toString()), row.at(1).toString() });
    const ResultSet directions = Open_Query(selectAll(Directions::table, Directions::all, Directions::inout));
    for (const ResultSet::Row &row : directions.rows())
        contents.directions.append({ row.at(0).toInt(), row.at(1).toString() });
    return contents;
}

QVector<YearSum> yearSums()
{
    const ResultSet sums
        = Open_Query(QStringLiteral("SELECT CAST(substr(%1, 1, 4) AS INTEGER) AS y, %2, decimal_sum(%3), count(*) "
                                    "FROM %4 GROUP BY y, %2 ORDER BY y, %2")
                         .arg(Entries::date, Entries::inout, Entries::count, Entries::table));
    QVector<YearSum> result;
    for (const ResultSet::Row &row : sums.rows()) {
        YearSum sum;
        sum.year = row.at(0).toInt();
        sum.inout = row.at(1).toInt();
        sum.sum = Decimal::fromText(row.at(2).toString()).value_or(Decimal());
        sum.entries = row.at(3).toLongLong();
        result.append(sum);
    }
    return result;
}

QString integrityCheck()
{
    const ResultSet check = Open_Query(QStringLiteral("PRAGMA integrity_check"));
    QStringList lines;
    for (const ResultSet::Row &row : check.rows())
        lines << row.at(0).toString();
    return lines.join(QLatin1Char('\n'));
}

} // namespace ImportStore
