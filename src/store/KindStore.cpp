#include "store/KindStore.h"

#include "store/SummaryKinds.h"
#include "store/database_access.h"

#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace KindStore {

namespace {

// Kept well under the engine's limit on bound values in one statement.
constexpr qsizetype idsPerQuery = 500;

constexpr auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

Kind kindOf(const ResultSet &result)
{
    return { result.integer(QStringLiteral("a_kind")), result.text(QStringLiteral("name")),
        result.integer(QStringLiteral("key_order")) };
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
    return readKinds(QStringLiteral("SELECT a_kind, name, key_order FROM kind ORDER BY key_order, a_kind"));
}

QVector<Kind> kindsById()
{
    return readKinds(QStringLiteral("SELECT a_kind, name, key_order FROM kind ORDER BY a_kind"));
}

QVector<Kind> allKinds()
{
    return readKinds(QStringLiteral("SELECT a_kind, name, key_order FROM kind"));
}

std::optional<Kind> kindById(qint64 id)
{
    const QVector<Kind> found = readKinds(QStringLiteral("SELECT * FROM kind WHERE a_kind=?"), { id });
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
        QStringList marks;
        QVariantList values;
        for (qsizetype i = start; i < start + count; ++i) {
            marks << QStringLiteral("?");
            values << distinct.at(i);
        }
        kinds += readKinds(QStringLiteral("SELECT * FROM kind WHERE a_kind IN (%1) ORDER BY key_order, a_kind")
                               .arg(marks.join(QLatin1Char(','))),
            values);
    }
    // Each piece came sorted; together they need sorting once more.
    std::stable_sort(kinds.begin(), kinds.end(), byOrder);
    return kinds;
}

bool nameTaken(const QString &name, qint64 exceptId)
{
    const ResultSet result = database_access::Open_Query(
        QStringLiteral("SELECT a_kind FROM kind WHERE name=? AND a_kind<>? LIMIT 1"), { name, exceptId });
    return result.rowCount() > 0;
}

qint64 nextKeyOrder()
{
    ResultSet result
        = database_access::Open_Query(QStringLiteral("SELECT key_order FROM kind ORDER BY key_order DESC LIMIT 1"));
    if (result.atEnd())
        return 1;
    return result.integer(QStringLiteral("key_order")) + 1;
}

qint64 addKind(const QString &name, qint64 keyOrder)
{
    database_access::Exec_SQL(QStringLiteral("INSERT INTO kind (name, key_order) VALUES (?, ?)"), { name, keyOrder });
    ResultSet result = database_access::Open_Query(QStringLiteral("SELECT last_insert_rowid() AS a_kind"));
    return result.integer(QStringLiteral("a_kind"));
}

void renameKind(qint64 id, const QString &name)
{
    database_access::Exec_SQL(QStringLiteral("UPDATE kind SET name = ? WHERE a_kind=?"), { name, id });
}

void swapKeyOrder(qint64 firstId, qint64 secondId)
{
    database_access::Transaction transaction;
    // The stored values are exchanged as they are, whatever their type.
    const auto orderOf = [](qint64 id) {
        ResultSet result = database_access::Open_Query(QStringLiteral("SELECT * FROM kind WHERE a_kind=?"), { id });
        if (result.atEnd())
            throw StoreError(QStringLiteral("找不到要移動的種類，它可能已被刪除。"));
        return result.value(QStringLiteral("key_order"));
    };
    const QVariant firstOrder = orderOf(firstId);
    const QVariant secondOrder = orderOf(secondId);
    database_access::Exec_SQL(QStringLiteral("UPDATE kind SET key_order = ? WHERE a_kind=?"), { secondOrder, firstId });
    database_access::Exec_SQL(QStringLiteral("UPDATE kind SET key_order = ? WHERE a_kind=?"), { firstOrder, secondId });
    transaction.commit();
}

qint64 entryCountOfKind(qint64 id)
{
    ResultSet result = database_access::Open_Query(
        QStringLiteral("SELECT count(*) AS entries FROM data_main WHERE a_kind=?"), { id });
    return result.integer(QStringLiteral("entries"));
}

void deleteKind(qint64 id, std::optional<qint64> reassignTo, const std::optional<QString> &summaryLine)
{
    if (summaryLine)
        checkSummaryFileWritable();
    database_access::Transaction transaction;
    // No entry may be left pointing at a kind that is gone.
    if (reassignTo) {
        if (*reassignTo == id || !kindById(*reassignTo))
            throw StoreError(QStringLiteral("要接收帳目的種類不存在，沒有刪除任何資料。"));
        database_access::Exec_SQL(QStringLiteral("UPDATE data_main SET a_kind=? WHERE a_kind=?"), { *reassignTo, id });
    } else if (entryCountOfKind(id) > 0) {
        throw StoreError(QStringLiteral("這個種類還有帳目，必須先把帳目移到另一個種類，沒有刪除任何資料。"));
    }
    database_access::Exec_SQL(QStringLiteral("DELETE FROM kind WHERE a_kind=?"), { id });
    transaction.commit();
    if (!summaryLine)
        return;
    // The ledger is the truth and the file follows it, only once the change has committed: a
    // crash or a failed save in between leaves the file naming a kind that is gone, which
    // counts for nothing and is dropped at the next start. Never the other way round, which
    // would silently stop counting a kind that still exists.
    try {
        database_access::Save_SKinds(*summaryLine);
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
    QStringList kept;
    bool dropped = false;
    // A 0 stays where it is: it ends the list for the totals, as it did before.
    for (qint64 id : database_access::SKinds) {
        if (id != 0 && !existing.contains(id))
            dropped = true;
        else
            kept << QString::number(id);
    }
    if (!dropped)
        return;
    try {
        database_access::Save_SKinds(kept.join(QLatin1Char(',')));
    } catch (const StoreError &) {
        // The gone ids count for nothing; a file that cannot be written keeps them a while.
        return;
    }
    database_access::Load_SKinds();
}

} // namespace KindStore
