#include "store/EntryStore.h"

#include "platform/DateText.h"
#include "store/database_access.h"

namespace EntryStore {

namespace {

Entry entryOf(const ResultSet &result)
{
    Entry e;
    e.date = DateText::fromIso(result.text(QStringLiteral("a_date")));
    e.kind = result.integer(QStringLiteral("a_kind"));
    e.inout = int(result.integer(QStringLiteral("a_inout")));
    e.content = result.text(QStringLiteral("a_content"));
    e.count = result.number(QStringLiteral("a_count"));
    e.note = result.text(QStringLiteral("a_note"));
    e.key = result.integer(QStringLiteral("a_key"));
    e.kindName = result.text(QStringLiteral("a_kind_name"));
    return e;
}

} // namespace

QVector<Entry> entriesOfDay(const QDate &day)
{
    ResultSet result = database_access::Open_Query(
        QStringLiteral("SELECT * FROM data_main WHERE a_date=? ORDER BY a_key"), { DateText::iso(day) });
    QVector<Entry> entries;
    entries.reserve(result.rowCount());
    for (; !result.atEnd(); result.moveNext())
        entries.append(entryOf(result));
    return entries;
}

std::optional<Entry> entryByKey(qint64 key)
{
    const ResultSet result
        = database_access::Open_Query(QStringLiteral("SELECT * FROM data_main WHERE a_key=?"), { key });
    if (result.atEnd())
        return std::nullopt;
    return entryOf(result);
}

qint64 nextKey()
{
    const ResultSet result
        = database_access::Open_Query(QStringLiteral("SELECT a_key FROM data_main ORDER BY a_key DESC LIMIT 1"));
    if (result.atEnd())
        return 1;
    return result.integer(QStringLiteral("a_key")) + 1;
}

void addEntry(const Entry &entry)
{
    // No column list: the values follow the table's column order.
    database_access::Exec_SQL(QStringLiteral("INSERT INTO data_main VALUES(?,?,?,?,?,?,?,?)"),
        { DateText::iso(entry.date), entry.kind, entry.inout, entry.content, entry.count, entry.note, entry.key,
            entry.kindName });
}

void updateEntry(qint64 key, const Entry &entry)
{
    database_access::Exec_SQL(
        QStringLiteral("UPDATE data_main SET a_date=?,a_kind=?,a_inout=?,a_content=?,a_count=?,a_note=?,"
                       "a_kind_name=? WHERE a_key = ?"),
        { DateText::iso(entry.date), entry.kind, entry.inout, entry.content, entry.count, entry.note, entry.kindName,
            key });
}

void deleteEntry(qint64 key)
{
    database_access::Exec_SQL(QStringLiteral("DELETE FROM data_main WHERE a_key=?"), { key });
}

void exchangeKeys(qint64 a, qint64 b)
{
    // Key 0 is free outside this exchange and carries one entry past the unique index.
    database_access::Transaction transaction;
    database_access::Exec_SQL(QStringLiteral("UPDATE data_main SET a_key=0 WHERE a_key=?"), { a });
    database_access::Exec_SQL(QStringLiteral("UPDATE data_main SET a_key=? WHERE a_key=?"), { a, b });
    database_access::Exec_SQL(QStringLiteral("UPDATE data_main SET a_key=? WHERE a_key=0"), { b });
    transaction.commit();
}

} // namespace EntryStore
