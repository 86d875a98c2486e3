#include "store/RecurringStore.h"

#include "platform/DateText.h"
#include "store/EntryStore.h"
#include "store/KindStore.h"
#include "store/LedgerNames.h"
#include "store/database_access.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace RecurringStore {

namespace {

using namespace LedgerNames;
using database_access::Exec_SQL;
using database_access::Open_Query;

bool tablesExist()
{
    return database_access::Table_Exists(Recurring::table) && database_access::Table_Exists(RecurringDone::table);
}

void makeTables()
{
    Exec_SQL(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 INTEGER PRIMARY KEY AUTOINCREMENT,"
                            " %3 INTEGER NOT NULL CHECK (%3 IN (0, 1)), %4 INTEGER NOT NULL, %5 TEXT NOT NULL,"
                            " %6 REAL, %7 TEXT NOT NULL, %8 TEXT NOT NULL, %9 TEXT NOT NULL, %10 TEXT NOT NULL,"
                            " %11 INTEGER NOT NULL, %12 INTEGER NOT NULL)")
                 .arg(Recurring::table, Recurring::id, Recurring::inout, Recurring::kind, Recurring::content,
                     Recurring::count, Recurring::note, Recurring::rule, Recurring::first)
                 .arg(Recurring::last, Recurring::times, Recurring::automatic));
    Exec_SQL(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 INTEGER NOT NULL, %3 TEXT NOT NULL, %4 INTEGER,"
                            " PRIMARY KEY (%2, %3))")
                 .arg(RecurringDone::table, RecurringDone::item, RecurringDone::date, RecurringDone::key));
}

Item itemOf(const ResultSet::Row &row)
{
    Item item;
    item.id = row[0].toLongLong();
    item.inout = row[1].toInt();
    item.kind = row[2].toLongLong();
    item.content = row[3].toString();
    if (!row[4].isNull())
        item.amount = row[4].toDouble();
    item.note = row[5].toString();
    item.when = Recurrence::fromRuleText(row[6].toString()).value_or(Recurrence {});
    item.when.first = DateText::fromIso(row[7].toString());
    item.when.last = DateText::fromIso(row[8].toString());
    item.when.times = row[9].toInt();
    item.automatic = row[10].toInt() != 0;
    return item;
}

QVector<Item> itemsWhere(const QString &condition, const QVariantList &values)
{
    if (!tablesExist())
        return {};
    QVector<Item> out;
    const ResultSet rows = Open_Query(QStringLiteral("SELECT %1 FROM %2 %3 ORDER BY %4")
                                          .arg(columns(Recurring::all), Recurring::table, condition, Recurring::id),
        values);
    for (const ResultSet::Row &row : rows.rows())
        out.append(itemOf(row));
    return out;
}

// The dates dealt with, per item.
QHash<qint64, QSet<QDate>> doneDates()
{
    QHash<qint64, QSet<QDate>> done;
    const ResultSet rows = Open_Query(
        QStringLiteral("SELECT %1, %2 FROM %3").arg(RecurringDone::item, RecurringDone::date, RecurringDone::table));
    for (const ResultSet::Row &row : rows.rows())
        done[row[0].toLongLong()].insert(DateText::fromIso(row[1].toString()));
    return done;
}

} // namespace

QVector<Item> items()
{
    return itemsWhere({}, {});
}

std::optional<Item> item(qint64 id)
{
    const QVector<Item> found = itemsWhere(QStringLiteral("WHERE %1 = ?").arg(Recurring::id), { id });
    return found.isEmpty() ? std::nullopt : std::optional<Item>(found.first());
}

qint64 saveItem(Item item)
{
    database_access::Transaction transaction;
    makeTables();
    if (item.id != 0) {
        const ResultSet latest = Open_Query(QStringLiteral("SELECT max(%1) FROM %2 WHERE %3 = ?")
                                                .arg(RecurringDone::date, RecurringDone::table, RecurringDone::item),
            { item.id });
        const QDate after = DateText::fromIso(latest.rows().first().first().toString()).addDays(1);
        const std::optional<Item> before = RecurringStore::item(item.id);
        if (after.isValid() && before && !(before->when == item.when) && item.when.first < after)
            item.when.first = after;
    }
    const QVariantList values { item.inout, item.kind, item.content,
        item.amount ? QVariant(*item.amount) : QVariant(QMetaType(QMetaType::Double)), item.note, item.when.ruleText(),
        DateText::iso(item.when.first), item.when.last.isValid() ? DateText::iso(item.when.last) : QString(),
        item.when.times, item.automatic ? 1 : 0 };
    if (item.id == 0) {
        Exec_SQL(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(Recurring::table,
                    columns({ Recurring::inout, Recurring::kind, Recurring::content, Recurring::count, Recurring::note,
                        Recurring::rule, Recurring::first, Recurring::last, Recurring::times, Recurring::automatic }),
                    marks(values.size())),
            values);
        item.id = Open_Query(QStringLiteral("SELECT last_insert_rowid()")).rows().first().first().toLongLong();
    } else {
        Exec_SQL(
            QStringLiteral("UPDATE %1 SET %2=?, %3=?, %4=?, %5=?, %6=?, %7=?, %8=?, %9=?, %10=?, %11=? WHERE %12=?")
                .arg(Recurring::table, Recurring::inout, Recurring::kind, Recurring::content, Recurring::count,
                    Recurring::note, Recurring::rule, Recurring::first, Recurring::last)
                .arg(Recurring::times, Recurring::automatic, Recurring::id),
            values + QVariantList { item.id });
    }
    transaction.commit();
    return item.id;
}

void moveKind(qint64 from, qint64 to)
{
    if (tablesExist())
        Exec_SQL(
            QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?").arg(Recurring::table, Recurring::kind), { to, from });
}

void deleteItem(qint64 id)
{
    if (!tablesExist())
        return;
    database_access::Transaction transaction;
    Exec_SQL(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(RecurringDone::table, RecurringDone::item), { id });
    Exec_SQL(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(Recurring::table, Recurring::id), { id });
    transaction.commit();
}

QDate firstOpen(const Item &item)
{
    const QSet<QDate> dealt = tablesExist() ? doneDates().value(item.id) : QSet<QDate>();
    for (int i = 0;; ++i) {
        const QDate date = item.when.occurrence(i);
        if (!date.isValid() || !dealt.contains(date))
            return date;
    }
}

QVector<Occurrence> due(const QDate &today)
{
    QVector<Occurrence> out;
    const QVector<Item> all = items();
    if (all.isEmpty())
        return out;
    const QHash<qint64, QSet<QDate>> done = doneDates();
    for (const Item &item : all) {
        const QSet<QDate> dealt = done.value(item.id);
        for (const auto &[index, date] : item.when.upTo(today))
            if (!dealt.contains(date))
                out.append({ item.id, date });
    }
    std::stable_sort(out.begin(), out.end(), [](const Occurrence &a, const Occurrence &b) { return a.date < b.date; });
    return out;
}

Posted post(const QVector<Posting> &postings)
{
    Posted posted;
    database_access::Transaction transaction;
    makeTables();
    const QString record = QStringLiteral("INSERT OR IGNORE INTO %1 (%2, %3, %4) VALUES (?, ?, ?)")
                               .arg(RecurringDone::table, RecurringDone::item, RecurringDone::date, RecurringDone::key);
    QHash<qint64, Item> byId;
    for (const Item &item : items())
        byId.insert(item.id, item);
    for (const Posting &posting : postings) {
        const auto item = byId.constFind(posting.occurrence.item);
        if (item == byId.constEnd())
            continue;
        const qint64 key = posting.amount ? EntryStore::nextKey() : 0;
        const QVariant keyValue = posting.amount ? QVariant(key) : QVariant(QMetaType(QMetaType::LongLong));
        if (Exec_SQL(record, { item->id, DateText::iso(posting.occurrence.date), keyValue }) == 0) {
            ++posted.alreadyDone;
            continue;
        }
        if (!posting.amount) {
            ++posted.skipped;
            continue;
        }
        const std::optional<KindStore::Kind> kind = KindStore::kindById(item->kind);
        EntryStore::addEntry({ posting.occurrence.date, item->kind, item->inout, item->content, *posting.amount,
            item->note, key, kind ? kind->name : QString() });
        posted.keys.append(key);
    }
    transaction.commit();
    return posted;
}

void takeBack(const QVector<qint64> &keys)
{
    database_access::Transaction transaction;
    for (const qint64 key : keys) {
        EntryStore::deleteEntry(key);
        Exec_SQL(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(RecurringDone::table, RecurringDone::key), { key });
    }
    transaction.commit();
}

} // namespace RecurringStore
