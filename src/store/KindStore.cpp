#include "store/KindStore.h"

#include "store/SummaryKinds.h"
#include "store/database_access.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace KindStore {

namespace {

// Kept well under the engine's limit on bound values in one statement.
constexpr qsizetype idsPerQuery = 500;

Kind kindOf(const ResultSet &result)
{
    return {result.integer(QStringLiteral("a_kind")), result.text(QStringLiteral("name")),
            result.integer(QStringLiteral("key_order"))};
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

// SKinds.txt as it was before a change, so that the change can be taken back.
struct SummaryFileCopy
{
    bool existed = false;
    QByteArray content;
};

SummaryFileCopy copySummaryFile()
{
    SummaryFileCopy copy;
    QFile file;
    QString why;
    switch (database_access::Open_SKinds_File(file, &why)) {
    case database_access::SummaryFileOpen::Missing:
        return copy;
    case database_access::SummaryFileOpen::NotRegular:
        throw StoreError(
            QStringLiteral("結算分類檔 %1 不是一般的檔案，無法更新它。").arg(database_access::SKinds_File));
    case database_access::SummaryFileOpen::Failed:
        throw StoreError(QStringLiteral("無法讀取結算分類檔 %1：%2").arg(database_access::SKinds_File, why));
    case database_access::SummaryFileOpen::Opened:
        break;
    }
    copy.existed = true;
    copy.content = file.readAll();
    return copy;
}

// Puts SKinds.txt back as copied; returns why it could not, or an empty text.
QString restoreSummaryFile(const SummaryFileCopy &copy)
{
    if (!copy.existed) {
        QFile file(database_access::SKinds_File);
        return !file.exists() || file.remove() ? QString() : file.errorString();
    }
    QSaveFile file(database_access::SKinds_File);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(copy.content) != copy.content.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    return file.commit() ? QString() : file.errorString();
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
    const QVector<Kind> found = readKinds(QStringLiteral("SELECT * FROM kind WHERE a_kind=?"), {id});
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
        QStringLiteral("SELECT a_kind FROM kind WHERE name=? AND a_kind<>? LIMIT 1"), {name, exceptId});
    return result.rowCount() > 0;
}

qint64 nextKeyOrder()
{
    ResultSet result = database_access::Open_Query(
        QStringLiteral("SELECT key_order FROM kind ORDER BY key_order DESC LIMIT 1"));
    if (result.atEnd())
        return 1;
    return result.integer(QStringLiteral("key_order")) + 1;
}

qint64 addKind(const QString &name, qint64 keyOrder)
{
    database_access::Exec_SQL(QStringLiteral("INSERT INTO kind (name, key_order) VALUES (?, ?)"), {name, keyOrder});
    ResultSet result = database_access::Open_Query(QStringLiteral("SELECT last_insert_rowid() AS a_kind"));
    return result.integer(QStringLiteral("a_kind"));
}

void renameKind(qint64 id, const QString &name)
{
    database_access::Exec_SQL(QStringLiteral("UPDATE kind SET name = ? WHERE a_kind=?"), {name, id});
}

void swapKeyOrder(qint64 firstId, qint64 secondId)
{
    database_access::Transaction transaction;
    // The stored values are exchanged as they are, whatever their type.
    const auto orderOf = [](qint64 id) {
        ResultSet result = database_access::Open_Query(QStringLiteral("SELECT * FROM kind WHERE a_kind=?"), {id});
        if (result.atEnd())
            throw StoreError(QStringLiteral("找不到要移動的種類，它可能已被刪除。"));
        return result.value(QStringLiteral("key_order"));
    };
    const QVariant firstOrder = orderOf(firstId);
    const QVariant secondOrder = orderOf(secondId);
    database_access::Exec_SQL(QStringLiteral("UPDATE kind SET key_order = ? WHERE a_kind=?"), {secondOrder, firstId});
    database_access::Exec_SQL(QStringLiteral("UPDATE kind SET key_order = ? WHERE a_kind=?"), {firstOrder, secondId});
    transaction.commit();
}

qint64 entryCountOfKind(qint64 id)
{
    ResultSet result = database_access::Open_Query(
        QStringLiteral("SELECT count(*) AS entries FROM data_main WHERE a_kind=?"), {id});
    return result.integer(QStringLiteral("entries"));
}

void deleteKind(qint64 id, std::optional<qint64> reassignTo, const std::optional<QString> &summaryLine)
{
    database_access::Transaction transaction;
    // No entry may be left pointing at a kind that is gone.
    if (reassignTo) {
        if (*reassignTo == id || !kindById(*reassignTo))
            throw StoreError(QStringLiteral("要接收帳目的種類不存在，沒有刪除任何資料。"));
        database_access::Exec_SQL(QStringLiteral("UPDATE data_main SET a_kind=? WHERE a_kind=?"), {*reassignTo, id});
    } else if (entryCountOfKind(id) > 0) {
        throw StoreError(QStringLiteral("這個種類還有帳目，必須先把帳目移到另一個種類，沒有刪除任何資料。"));
    }
    database_access::Exec_SQL(QStringLiteral("DELETE FROM kind WHERE a_kind=?"), {id});

    if (!summaryLine) {
        transaction.commit();
        return;
    }
    // The file is written before the commit, so a failure to write it leaves the ledger
    // untouched; a failed commit puts the old file back.
    const SummaryFileCopy before = copySummaryFile();
    database_access::Save_SKinds(*summaryLine);
    try {
        transaction.commit();
    } catch (const StoreError &error) {
        const QString why = restoreSummaryFile(before);
        database_access::Load_SKinds();
        if (why.isEmpty())
            throw;
        throw StoreError(error.message()
                         + QStringLiteral("\n結算分類檔 %1 也無法還原：%2").arg(database_access::SKinds_File, why));
    }
    database_access::Load_SKinds();
}

} // namespace KindStore
