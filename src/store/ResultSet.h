#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>

// A fully fetched query result: every row is in memory, so the row count is exact from
// the start. Copies share the same rows.
class ResultSet
{
public:
    using Row = QVector<QVariant>;

    ResultSet();
    ResultSet(QStringList columns, QVector<Row> rows);

    // True when there is no current row: an empty result, or moved past the last row.
    bool atEnd() const;
    qsizetype rowCount() const;
    // Going to the first row of an empty result is an error (StoreError).
    void moveFirst();
    void moveNext();

    // The current row's value of a column, by name (case-insensitive). An unknown column
    // or no current row is an error (StoreError).
    QVariant value(const QString &column) const;
    QString text(const QString &column) const;
    qint64 integer(const QString &column) const;
    double number(const QString &column) const;

    // Copies share the data, and stay valid after the result set is gone.
    QStringList columns() const;
    QVector<Row> rows() const;

    // Drops the rows; the result is empty afterwards.
    void close();

private:
    int columnIndex(const QString &column) const;

    struct Data
    {
        QStringList columns;
        QHash<QString, int> indexByName;
        QVector<Row> rows;
    };
    std::shared_ptr<const Data> m_data;
    qsizetype m_position = 0;
};
