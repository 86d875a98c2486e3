#include "store/ResultSet.h"

#include "store/StoreError.h"

#include <algorithm>

ResultSet::ResultSet()
    : m_data(std::make_shared<Data>())
{
}

ResultSet::ResultSet(QStringList columns, QVector<Row> rows)
{
    // Every row holds a value for each column; the readers index rows by column.
    Q_ASSERT(
        std::all_of(rows.cbegin(), rows.cend(), [&columns](const Row &row) { return row.size() == columns.size(); }));
    auto data = std::make_shared<Data>();
    for (int i = 0; i < columns.size(); ++i) {
        const QString key = columns.at(i).toLower();
        if (!data->indexByName.contains(key))
            data->indexByName.insert(key, i);
    }
    data->columns = std::move(columns);
    data->rows = std::move(rows);
    m_data = std::move(data);
}

bool ResultSet::atEnd() const
{
    return m_position >= m_data->rows.size();
}

qsizetype ResultSet::rowCount() const
{
    return m_data->rows.size();
}

void ResultSet::moveFirst()
{
    if (m_data->rows.isEmpty())
        throw StoreError(QStringLiteral("查詢結果沒有任何資料列。"));
    m_position = 0;
}

void ResultSet::moveNext()
{
    if (m_position < m_data->rows.size())
        ++m_position;
}

int ResultSet::columnIndex(const QString &column) const
{
    const auto it = m_data->indexByName.constFind(column.toLower());
    if (it == m_data->indexByName.constEnd())
        throw StoreError(QStringLiteral("查詢結果沒有欄位 %1。").arg(column));
    return it.value();
}

QVariant ResultSet::value(const QString &column) const
{
    const int index = columnIndex(column);
    if (atEnd())
        throw StoreError(QStringLiteral("查詢結果已沒有目前的資料列。"));
    return m_data->rows.at(m_position).at(index);
}

QString ResultSet::text(const QString &column) const
{
    return value(column).toString();
}

qint64 ResultSet::integer(const QString &column) const
{
    return value(column).toLongLong();
}

double ResultSet::number(const QString &column) const
{
    return value(column).toDouble();
}

QStringList ResultSet::columns() const
{
    return m_data->columns;
}

QVector<ResultSet::Row> ResultSet::rows() const
{
    return m_data->rows;
}

void ResultSet::close()
{
    m_data = std::make_shared<Data>();
    m_position = 0;
}
