#include "store/EntryStore.h"

#include "platform/DateText.h"
#include "store/KindStore.h"
#include "store/LedgerNames.h"
#include "store/StoreError.h"
#include "store/database_access.h"

#include <QRegularExpression>
#include <QSet>

#include <limits>

namespace EntryStore {

namespace {

using namespace LedgerNames;

Entry entryOf(const ResultSet &result)
{
    Entry e;
    e.date = DateText::fromIso(result.text(Entries::date));
    e.kind = result.integer(Entries::kind);
    e.inout = int(result.integer(Entries::inout));
    e.content = result.text(Entries::content);
    e.count = result.number(Entries::count);
    e.note = result.text(Entries::note);
    e.key = result.integer(Entries::key);
    e.kindName = result.text(Entries::kindName);
    return e;
}

// The entries with the given value in one column.
QString entriesWhere(QLatin1String column)
{
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3=?").arg(columns(Entries::all), Entries::table, column);
}

} // namespace

QVector<Entry> entriesOfDay(const QDate &day)
{
    static const QString sql = entriesWhere(Entries::date) + QStringLiteral(" ORDER BY ") + Entries::key;
    ResultSet result = database_access::Open_Query(sql, { DateText::iso(day) });
    QVector<Entry> entries;
    entries.reserve(result.rowCount());
    for (; !result.atEnd(); result.moveNext())
        entries.append(entryOf(result));
    return entries;
}

QVector<Entry> entriesBetween(const QDate &first, const QDate &last)
{
    static const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 BETWEEN ? AND ? ORDER BY %3, %4")
                                   .arg(columns(Entries::all), Entries::table, Entries::date, Entries::key);
    ResultSet result = database_access::Open_Query(sql, { DateText::iso(first), DateText::iso(last) });
    QVector<Entry> entries;
    entries.reserve(result.rowCount());
    for (; !result.atEnd(); result.moveNext())
        entries.append(entryOf(result));
    return entries;
}

std::optional<Entry> entryByKey(qint64 key)
{
    static const QString sql = entriesWhere(Entries::key);
    const ResultSet result = database_access::Open_Query(sql, { key });
    if (result.atEnd())
        return std::nullopt;
    return entryOf(result);
}

int usualDirection(qint64 kind)
{
    static const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3=? AND %1 IN (0, 1) GROUP BY %1 "
                                              "ORDER BY count(*) DESC, %1 LIMIT 1")
                                   .arg(Entries::inout, Entries::table, Entries::kind);
    const ResultSet result = database_access::Open_Query(sql, { kind });
    return result.atEnd() ? 0 : int(result.integer(Entries::inout));
}

std::optional<Entry> latestWithDescription(const QString &content)
{
    static const QString sql = entriesWhere(Entries::content)
        + QStringLiteral(" ORDER BY %1 DESC, %2 DESC LIMIT 1").arg(Entries::date, Entries::key);
    const ResultSet result = database_access::Open_Query(sql, { content });
    if (result.atEnd())
        return std::nullopt;
    return entryOf(result);
}

namespace {

QString unknownKindWhere()
{
    return QStringLiteral("%1 IS NULL OR %1 NOT IN (SELECT %2 FROM %3)").arg(Entries::kind, Kinds::id, Kinds::table);
}

QString oddDirectionWhere()
{
    return QStringLiteral("coalesce(%1, -1) NOT IN (0, 1)").arg(Entries::inout);
}

qint64 countWhere(const QString &where, const QVariantList &values = {})
{
    return database_access::Open_Query(
        QStringLiteral("SELECT count(*) AS found FROM %1 WHERE %2").arg(Entries::table, where), values)
        .integer(QStringLiteral("found"));
}

// The entries whose kind is not in the kind table, found by walking the few distinct kinds
// of the entries along the kind index (one step per kind, however many entries there are).
qint64 unknownKindCount()
{
    QSet<qint64> known;
    for (const KindStore::Kind &k : KindStore::kindsById())
        known.insert(k.id);
    static const QString next
        = QStringLiteral("SELECT min(%1) AS next FROM %2 WHERE %1 > ?").arg(Entries::kind, Entries::table);
    qint64 unknown = countWhere(QStringLiteral("%1 IS NULL").arg(Entries::kind));
    QVariant after = std::numeric_limits<qint64>::min();
    while (true) {
        const ResultSet result = database_access::Open_Query(next, { after });
        const QVariant kind = result.value(QStringLiteral("next"));
        if (kind.isNull())
            return unknown;
        if (!known.contains(kind.toLongLong()))
            unknown += countWhere(QStringLiteral("%1=?").arg(Entries::kind), { kind });
        after = kind;
    }
}

// A table written with this program's check on the direction holds no other value, so only
// another tool's layout needs the pass over every entry.
bool directionChecked()
{
    static const QRegularExpression check(
        QStringLiteral("CHECK\\s*\\(\\s*%1\\s+IN\\s*\\(\\s*0\\s*,\\s*1\\s*\\)\\s*\\)").arg(Entries::inout),
        QRegularExpression::CaseInsensitiveOption);
    const ResultSet result = database_access::Open_Query(
        QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name=?"), { QString(Entries::table) });
    return !result.atEnd() && check.match(result.text(QStringLiteral("sql"))).hasMatch();
}

} // namespace

Strays countStrays()
{
    return { unknownKindCount(), directionChecked() ? 0 : countWhere(oddDirectionWhere()) };
}

qint64 gatherStrays(const QString &kindName)
{
    database_access::Transaction transaction;
    qint64 kind = 0;
    for (const KindStore::Kind &k : KindStore::kindsByOrder()) {
        if (k.name == kindName && kind == 0)
            kind = k.id;
    }
    if (kind == 0)
        kind = KindStore::addKind(kindName, KindStore::nextKeyOrder());
    database_access::Exec_SQL(
        QStringLiteral("UPDATE %1 SET %2=? WHERE %3").arg(Entries::table, Entries::kind, unknownKindWhere()), { kind });
    database_access::Exec_SQL(QStringLiteral("UPDATE %1 SET %2=?, %3=0 WHERE %4")
                                  .arg(Entries::table, Entries::kind, Entries::inout, oddDirectionWhere()),
        { kind });
    transaction.commit();
    return kind;
}

qint64 nextKey()
{
    static const QString sql
        = QStringLiteral("SELECT %1 FROM %2 ORDER BY %1 DESC LIMIT 1").arg(Entries::key, Entries::table);
    const ResultSet result = database_access::Open_Query(sql);
    if (result.atEnd())
        return 1;
    const qint64 highest = result.integer(Entries::key);
    // One more would turn over to the most negative number, ahead of every key of its day.
    if (highest == std::numeric_limits<qint64>::max())
        throw StoreError(QStringLiteral("帳本裡最大的帳目編號已經是 %1，沒有更大的編號可以給新的帳目，"
                                        "所以這一筆沒有新增。")
                             .arg(highest));
    return highest + 1;
}

void addEntry(const Entry &entry)
{
    static const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(Entries::table, columns(Entries::all), marks(Entries::all.size()));
    database_access::Exec_SQL(sql,
        { DateText::iso(entry.date), entry.kind, entry.inout, entry.content, entry.count, entry.note, entry.key,
            entry.kindName });
}

void updateEntry(qint64 key, const Entry &entry)
{
    static const QString sql = QStringLiteral("UPDATE %1 SET %2=?, %3=?, %4=?, %5=?, %6=?, %7=?, %8=? WHERE %9=?")
                                   .arg(Entries::table, Entries::date, Entries::kind, Entries::inout, Entries::content,
                                       Entries::count, Entries::note, Entries::kindName, Entries::key);
    database_access::Exec_SQL(sql,
        { DateText::iso(entry.date), entry.kind, entry.inout, entry.content, entry.count, entry.note, entry.kindName,
            key });
}

void deleteEntry(qint64 key)
{
    static const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(Entries::table, Entries::key);
    database_access::Exec_SQL(sql, { key });
}

void exchangeKeys(qint64 a, qint64 b)
{
    // Key 0 is free outside this exchange and carries one entry past the unique index.
    static const QString sql = QStringLiteral("UPDATE %1 SET %2=? WHERE %2=?").arg(Entries::table, Entries::key);
    database_access::Transaction transaction;
    database_access::Exec_SQL(sql, { 0, a });
    database_access::Exec_SQL(sql, { a, b });
    database_access::Exec_SQL(sql, { b, 0 });
    transaction.commit();
}

} // namespace EntryStore
