#include "store/KindStore.h"

#include "store/database_access.h"

namespace KindStore {

namespace {

QVector<Kind> readKinds(const QString &sql)
{
    const ResultSet result = database_access::Open_Query(sql);
    QVector<Kind> kinds;
    kinds.reserve(result.rowCount());
    for (const ResultSet::Row &row : result.rows())
        kinds.append({row.value(0).toLongLong(), row.value(1).toString(), row.value(2).toLongLong()});
    return kinds;
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

} // namespace KindStore
