#include "store/KindStore.h"

#include "store/BudgetStore.h"
#include "store/RecurringStore.h"

#include "store/LedgerNames.h"
#include "store/StoreLog.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace KindStore {

namespace {

using namespace LedgerNames;

// Kept well under the engine's limit on bound values in one statement.
constexpr qsizetype idsPerQuery = 500;

constexpr auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

Kind kindOf(const ResultSet &result)
{
    return { result.integer(Kinds::id), result.text(Kinds::name), result.integer(Kinds::order) };
}

// Every kind, then what follows (a condition, an order).
QString selectKinds(const QString &rest)
{
    return QStringLiteral("SELECT %1 FROM %2").arg(columns(Kinds::all), Kinds::table) + rest;
}

QString byOrderClause()
{
    return QStringLiteral(" ORDER BY %1, %2").arg(Kinds::order, Kinds::id);
}

QString byIdCondition()
{
    return QStringLiteral(" WHERE %1=?").arg(Kinds::id);
}

QVector<Kind> readKinds(const QString &sql, const QVariantList &values = {})
{
    ResultSet result = database_access::Open_Query(sql, values);
    QVector<Kind> kinds;
    kinds.reserve(result.rowCount());
    for (; !result.atEnd(); result.moveNext())
        kinds.append(kindOf(result));
    return kinds;
}

bool byOrder(const Kind &a, const Kind &b)
{
    return a.order != b.order ? a.order < b.order : a.id < b.id;
}

// Refused before anything changes: SKinds.txt that cannot be replaced (a read-only file or
// folder) would keep a deleted kind among the summary kinds.
void checkSummaryFileWritable()
{
    const QString &name = database_access::SKinds_File;
    const QFileInfo file(name);
    if (file.exists() && !file.isFile())
        throw StoreError(QStringLiteral("結算分類檔 %1 不是一般的檔案，無法更新它。沒有刪除任何資料。").arg(name));
    const bool fileWritable = !file.exists() || (file.isWritable() && (file.permissions() & writeBits) != 0);
    if (!fileWritable || !QFileInfo(file.absolutePath()).isWritable())
        throw StoreError(
            QStringLiteral("無法儲存結算分類檔 %1：檔案或它所在的資料夾是唯讀的。沒有刪除任何資料。").arg(name));
}

} // namespace

QVector<Kind> kindsByOrder()
{
    static const QString sql = selectKinds(byOrderClause());
    return readKinds(sql);
}

QVector<Kind> kindsById()
{
    static const QString sql = selectKinds(QStringLiteral(" ORDER BY ") + Kinds::id);
    return readKinds(sql);
}

QVector<Kind> allKinds()
{
    static const QString sql = selectKinds({});
    return readKinds(sql);
}

std::optional<Kind> kindById(qint64 id)
{
    static const QString sql = selectKinds(byIdCondition());
    const QVector<Kind> found = readKinds(sql, { id });
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

QVector<Kind> kindsInList(const QVector<qint64> &ids)
{
    QVector<qint64> distinct;
    QSet<qint64> seen;
    for (qint64 id : ids) {
        if (!seen.contains(id)) {
            seen.insert(id);
            distinct.append(id);
        }
    }
    QVector<Kind> kinds;
    for (qsizetype start = 0; start < distinct.size(); start += idsPerQuery) {
        const qsizetype count = std::min(idsPerQuery, distinct.size() - start);
        QVariantList values;
        for (qsizetype i = start; i < start + count; ++i)
            values << distinct.at(i);
        kinds += readKinds(
            selectKinds(QStringLiteral(" WHERE %1 IN (%2)").arg(Kinds::id, marks(count)) + byOrderClause()), values);
    }
    // Each piece came sorted; together they need sorting once more.
    std::stable_sort(kinds.begin(), kinds.end(), byOrder);
    return kinds;
}

bool nameTaken(const QString &name, qint64 exceptId)
{
    static const QString sql
        = QStringLiteral("SELECT %1 FROM %2 WHERE %3=? AND %1<>? LIMIT 1").arg(Kinds::id, Kinds::table, Kinds::name);
    const ResultSet result = database_access::Open_Query(sql, { name, exceptId });
    return result.rowCount() > 0;
}

qint64 nextKeyOrder()
{
    static const QString sql
        = QStringLiteral("SELECT %1 FROM %2 ORDER BY %1 DESC LIMIT 1").arg(Kinds::order, Kinds::table);
    ResultSet result = database_access::Open_Query(sql);
    if (result.atEnd())
        return 1;
    return result.integer(Kinds::order) + 1;
}

namespace {

// The highest kind id anything still names: a kind, an entry, the kind table's own sequence
// (in a ledger made with AUTOINCREMENT), the summary kinds loaded, and SKinds.txt as it stands
// on disk, which may still name a kind whose deletion could not rewrite it.
qint64 highestIdNamed()
{
    static const QString sql = QStringLiteral("SELECT max(coalesce((SELECT max(%1) FROM %2), 0), "
                                              "coalesce((SELECT max(%3) FROM %4), 0)) AS highest")
                                   .arg(Kinds::id, Kinds::table, Entries::kind, Entries::table);
    qint64 highest = database_access::Open_Query(sql).integer(QStringLiteral("highest"));
    static const QString sequence = QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name=?");
    const ResultSet hasSequence = database_access::Open_Query(
        QStringLiteral("SELECT 1 AS found FROM sqlite_master WHERE name='sqlite_sequence'"));
    if (!hasSequence.atEnd()) {
        const ResultSet seq = database_access::Open_Query(sequence, { QString(Kinds::table) });
        if (!seq.atEnd())
            highest = std::max(highest, seq.integer(QStringLiteral("seq")));
    }
    for (const qint64 id : database_access::SKinds)
        highest = std::max(highest, id);
    QFile file;
    if (database_access::Open_SKinds_File(file) == database_access::SummaryFileOpen::Opened) {
        for (const qint64 id : database_access::Parse_SKinds_Line(database_access::Last_SKinds_Line(file.readAll())))
            highest = std::max(highest, id);
    }
    return highest;
}

} // namespace

qint64 addKind(const QString &name, qint64 keyOrder)
{
    // The id is given, not left to the engine: a table without AUTOINCREMENT would hand out
    // the id of the last kind deleted again, and whatever still named that kind (a summary
    // kind in SKinds.txt) would then name the new one.
    static const QString sql = QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES (?, ?, ?)")
                                   .arg(Kinds::table, Kinds::id, Kinds::name, Kinds::order);
    const qint64 id = highestIdNamed() + 1;
    database_access::Exec_SQL(sql, { id, name, keyOrder });
    return id;
}

void renameKind(qint64 id, const QString &name)
{
    static const QString sql
        = QStringLiteral("UPDATE %1 SET %2=? WHERE %3=?").arg(Kinds::table, Kinds::name, Kinds::id);
    database_access::Exec_SQL(sql, { name, id });
}

void swapKeyOrder(qint64 firstId, qint64 secondId)
{
    database_access::Transaction transaction;
    // The stored values are exchanged as they are, whatever their type.
    const auto orderOf = [](qint64 id) {
        static const QString sql
            = QStringLiteral("SELECT %1 FROM %2 WHERE %3=?").arg(Kinds::order, Kinds::table, Kinds::id);
        ResultSet result = database_access::Open_Query(sql, { id });
        if (result.atEnd())
            throw StoreError(QStringLiteral("找不到要移動的種類，它可能已被刪除。"));
        return result.value(Kinds::order);
    };
    const QVariant firstOrder = orderOf(firstId);
    const QVariant secondOrder = orderOf(secondId);
    static const QString sql
        = QStringLiteral("UPDATE %1 SET %2=? WHERE %3=?").arg(Kinds::table, Kinds::order, Kinds::id);
    database_access::Exec_SQL(sql, { secondOrder, firstId });
    database_access::Exec_SQL(sql, { firstOrder, secondId });
    transaction.commit();
}

qint64 entryCountOfKind(qint64 id)
{
    static const QString sql
        = QStringLiteral("SELECT count(*) AS entries FROM %1 WHERE %2=?").arg(Entries::table, Entries::kind);
    ResultSet result = database_access::Open_Query(sql, { id });
    return result.integer(QStringLiteral("entries"));
}

void deleteKind(qint64 id, std::optional<qint64> reassignTo, const std::optional<QVector<qint64>> &summaryKinds)
{
    if (summaryKinds)
        checkSummaryFileWritable();
    database_access::Transaction transaction;
    // No entry may be left pointing at a kind that is gone.
    if (reassignTo) {
        if (*reassignTo == id || !kindById(*reassignTo))
            throw StoreError(QStringLiteral("要接收帳目的種類不存在，沒有刪除任何資料。"));
        static const QString sql = QStringLiteral("UPDATE %1 SET %2=? WHERE %2=?").arg(Entries::table, Entries::kind);
        database_access::Exec_SQL(sql, { *reassignTo, id });
    } else if (entryCountOfKind(id) > 0) {
        throw StoreError(QStringLiteral("這個種類還有帳目，必須先把帳目移到另一個種類，沒有刪除任何資料。"));
    }
    // A recurring item of the kind would later enter entries of no kind: it follows the
    // entries, and without a kind to follow it keeps the kind from going.
    for (const RecurringStore::Item &item : RecurringStore::items()) {
        if (item.kind != id)
            continue;
        if (!reassignTo)
            throw StoreError(
                QStringLiteral("固定收支「%1」還用著這個種類，請先修改或刪除它，沒有刪除任何資料。").arg(item.content));
    }
    if (reassignTo)
        RecurringStore::moveKind(id, *reassignTo);
    BudgetStore::forgetKind(id);
    static const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(Kinds::table, Kinds::id);
    database_access::Exec_SQL(sql, { id });
    transaction.commit();
    if (!summaryKinds)
        return;
    // The ledger is the truth and the file follows it, only once the change has committed: a
    // crash or a failed save in between leaves the file naming a kind that is gone, which
    // counts for nothing and is dropped at the next start. Never the other way round, which
    // would silently stop counting a kind that still exists.
    try {
        database_access::Save_SKinds(database_access::SKinds_Line(*summaryKinds));
    } catch (const StoreError &error) {
        database_access::Load_SKinds();
        throw StoreError(
            QStringLiteral("種類已經刪除，但結算分類檔沒有更新：%1\n下次啟動時會自動更正。").arg(error.message()));
    }
    database_access::Load_SKinds();
}

void dropGoneSummaryKinds()
{
    QSet<qint64> existing;
    for (const Kind &each : allKinds())
        existing.insert(each.id);
    QVector<qint64> kept;
    bool dropped = false;
    // A 0 stays where it is: it ends the list for the totals, as it did before.
    for (qint64 id : database_access::SKinds) {
        if (id != 0 && !existing.contains(id))
            dropped = true;
        else
            kept.append(id);
    }
    if (!dropped)
        return;
    try {
        database_access::Save_SKinds(database_access::SKinds_Line(kept));
    } catch (const StoreError &error) {
        // The gone ids count for nothing; a file that cannot be written keeps them a while.
        qCInfo(lcStore).noquote() << "summary kinds that are gone kept for now:" << error.message();
        return;
    }
    database_access::Load_SKinds();
}

} // namespace KindStore
