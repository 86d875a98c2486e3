#include "store/ImportStore.h"

#include "platform/DateText.h"
#include "store/database_access.h"

namespace ImportStore {

using database_access::Exec_SQL;
using database_access::Open_Query;

void fill(const Contents &contents)
{
    database_access::Transaction transaction;
    for (const KindStore::Kind &kind : contents.kinds)
        Exec_SQL(QStringLiteral("INSERT INTO kind (a_kind, name, key_order) VALUES (?, ?, ?)"),
            { kind.id, kind.name, kind.order });
    for (const EntryStore::Entry &e : contents.entries)
        Exec_SQL(QStringLiteral("INSERT INTO data_main (a_date, a_kind, a_inout, a_content, a_count, a_note, "
                                "a_key, a_kind_name) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            { DateText::iso(e.date), e.kind, e.inout, e.content, e.count, e.note, e.key, e.kindName });
    for (const DayNote &note : contents.notes)
        Exec_SQL(QStringLiteral("INSERT INTO data_note (a_date, a_note) VALUES (?, ?)"),
            { DateText::iso(note.date), note.note });
    transaction.commit();
}

Contents readAll()
{
    Contents contents;
    const ResultSet entries = Open_Query(
        QStringLiteral("SELECT a_date, a_kind, a_inout, a_content, a_count, a_note, a_key, a_kind_name FROM data_main "
                       "ORDER BY a_key"));
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
    const ResultSet kinds = Open_Query(QStringLiteral("SELECT a_kind, name, key_order FROM kind ORDER BY a_kind"));
    for (const ResultSet::Row &row : kinds.rows())
        contents.kinds.append({ row.at(0).toLongLong(), row.at(1).toString(), row.at(2).toLongLong() });
    const ResultSet notes = Open_Query(QStringLiteral("SELECT a_date, a_note FROM data_note ORDER BY a_date"));
    for (const ResultSet::Row &row : notes.rows())
        contents.notes.append({ DateText::fromIso(row.at(0).toString()), row.at(1).toString() });
    const ResultSet directions = Open_Query(QStringLiteral("SELECT inout, text FROM inout ORDER BY inout"));
    for (const ResultSet::Row &row : directions.rows())
        contents.directions.append({ row.at(0).toInt(), row.at(1).toString() });
    return contents;
}

QVector<YearSum> yearSums()
{
    const ResultSet sums = Open_Query(
        QStringLiteral("SELECT CAST(substr(a_date, 1, 4) AS INTEGER) AS y, a_inout, decimal_sum(a_count), count(*) "
                       "FROM data_main GROUP BY y, a_inout ORDER BY y, a_inout"));
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
