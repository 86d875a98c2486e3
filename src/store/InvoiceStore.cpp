#include "store/InvoiceStore.h"

#include "platform/DateText.h"
#include "store/LedgerNames.h"
#include "store/database_access.h"

namespace InvoiceStore {

namespace {

using namespace LedgerNames;
using database_access::Exec_SQL;
using database_access::Open_Query;

using database_access::Table_Exists;

void makeTables()
{
    Exec_SQL(
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 TEXT PRIMARY KEY, %3 INTEGER, %4 INTEGER NOT NULL DEFAULT 0)")
            .arg(Imported::table, Imported::ident, Imported::key, Imported::voided));
    Exec_SQL(
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 TEXT PRIMARY KEY, %3 INTEGER NOT NULL, %4 INTEGER NOT NULL,"
                       " %5 TEXT NOT NULL)")
            .arg(StoreChoices::table, StoreChoices::store, StoreChoices::kind, StoreChoices::inout,
                StoreChoices::content));
}

} // namespace

QHash<QString, Known> known(const QStringList &identities)
{
    QHash<QString, Known> out;
    if (identities.isEmpty() || !Table_Exists(Imported::table))
        return out;
    // A few hundred at a time, each in one statement.
    constexpr qsizetype chunk = 400;
    for (qsizetype at = 0; at < identities.size(); at += chunk) {
        const QStringList some = identities.mid(at, chunk);
        const ResultSet rows = Open_Query(
            QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %1 IN (%5)")
                .arg(Imported::ident, Imported::key, Imported::voided, Imported::table, marks(some.size())),
            QVariantList(some.cbegin(), some.cend()));
        for (const ResultSet::Row &row : rows.rows())
            out.insert(row[0].toString(), { row[1].toLongLong(), row[2].toInt() != 0 });
    }
    return out;
}

std::optional<Choice> choiceFor(const QString &store)
{
    if (!Table_Exists(StoreChoices::table))
        return std::nullopt;
    const ResultSet rows = Open_Query(QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %5 = ?")
                                          .arg(StoreChoices::kind, StoreChoices::inout, StoreChoices::content,
                                              StoreChoices::table, StoreChoices::store),
        { store });
    if (rows.rowCount() == 0)
        return std::nullopt;
    const ResultSet::Row row = rows.rows().first();
    return Choice { row[0].toLongLong(), row[1].toInt(), row[2].toString() };
}

Outcome bringIn(const QVector<Incoming> &incoming, const QVector<std::pair<QString, qint64>> &voidings)
{
    Outcome outcome;
    database_access::Transaction transaction;
    makeTables();
    const QString record = QStringLiteral("INSERT OR IGNORE INTO %1 (%2, %3) VALUES (?, ?)")
                               .arg(Imported::table, Imported::ident, Imported::key);
    const QString remember = QStringLiteral("INSERT OR REPLACE INTO %1 (%2, %3, %4, %5) VALUES (?, ?, ?, ?)")
                                 .arg(StoreChoices::table, StoreChoices::store, StoreChoices::kind, StoreChoices::inout,
                                     StoreChoices::content);
    for (const Incoming &in : incoming) {
        EntryStore::Entry entry = in.entry;
        entry.key = EntryStore::nextKey();
        if (Exec_SQL(record, { in.identity, entry.key }) == 0)
            continue;
        EntryStore::addEntry(entry);
        if (!in.store.isEmpty())
            Exec_SQL(remember, { in.store, entry.kind, entry.inout, entry.content });
        outcome.keys.append(entry.key);
    }
    for (const auto &[identity, key] : voidings) {
        const std::optional<EntryStore::Entry> entry = EntryStore::entryByKey(key);
        if (Exec_SQL(QStringLiteral("UPDATE %1 SET %2 = 1 WHERE %3 = ? AND %2 = 0")
                         .arg(Imported::table, Imported::voided, Imported::ident),
                { identity })
                == 0
            || !entry)
            continue;
        EntryStore::deleteEntry(key);
        outcome.removed.append({ identity, *entry });
    }
    transaction.commit();
    return outcome;
}

bool similarEntry(const QDate &date, int inout, double amount, const QString &content)
{
    return Open_Query(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? AND %3 = ? AND %4 = ? AND %5 = ? LIMIT 1")
                          .arg(Entries::table, Entries::date, Entries::inout, Entries::count, Entries::content),
               { DateText::iso(date), inout, amount, content })
               .rowCount()
        > 0;
}

std::optional<Profile> profileFor(const QString &shape)
{
    if (!Table_Exists(StatementProfiles::table))
        return std::nullopt;
    const ResultSet rows = Open_Query(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ?")
                                          .arg(StatementProfiles::name, StatementProfiles::mapping,
                                              StatementProfiles::table, StatementProfiles::shape),
        { shape });
    if (rows.rowCount() == 0)
        return std::nullopt;
    return Profile { rows.rows().first()[0].toString(), rows.rows().first()[1].toString() };
}

void saveProfile(const QString &shape, const Profile &profile)
{
    database_access::Transaction transaction;
    Exec_SQL(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 TEXT PRIMARY KEY, %3 TEXT NOT NULL, %4 TEXT NOT NULL)")
                 .arg(StatementProfiles::table, StatementProfiles::shape, StatementProfiles::name,
                     StatementProfiles::mapping));
    Exec_SQL(QStringLiteral("INSERT OR REPLACE INTO %1 (%2, %3, %4) VALUES (?, ?, ?)")
                 .arg(StatementProfiles::table, StatementProfiles::shape, StatementProfiles::name,
                     StatementProfiles::mapping),
        { shape, profile.name, profile.mapping });
    transaction.commit();
}

void takeBack(const Outcome &outcome)
{
    database_access::Transaction transaction;
    for (const qint64 key : outcome.keys) {
        EntryStore::deleteEntry(key);
        Exec_SQL(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(Imported::table, Imported::key), { key });
    }
    for (const auto &[identity, entry] : outcome.removed) {
        EntryStore::addEntry(entry);
        Exec_SQL(
            QStringLiteral("UPDATE %1 SET %2 = 0 WHERE %3 = ?").arg(Imported::table, Imported::voided, Imported::ident),
            { identity });
    }
    transaction.commit();
}

} // namespace InvoiceStore
