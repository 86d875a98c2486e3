#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QVector>

// The cells of a DGrid: text and background of every cell, fixed rows included. The fixed
// rows are shown as the header; the rows below them are the model's rows.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit GridModel(QObject *parent = nullptr);

    int gridRows() const { return m_rows; }
    int gridCols() const { return m_cols; }
    // Fewer rows drop the rows beyond; rows that remain keep their cells.
    void setGridRows(int rows);
    void setGridCols(int cols);
    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows);
    int fixedCols() const { return m_fixedCols; }
    void setFixedCols(int cols);

    QString cellText(int row, int col) const;
    void setCellText(int row, int col, const QString &text);
    // An invalid colour means the default background.
    QColor cellBackground(int row, int col) const;
    void setCellBackground(int row, int col, const QColor &color);
    // Every cell of the row at once.
    void setRowBackground(int row, const QColor &color);

    // Replaces everything: row 0 holds header, the following rows the cells.
    void assign(const QStringList &header, QVector<QString> cells);
    // No rows, no columns, no colours.
    void clearAll();

    // While bulk changes run, no per-cell signals go out; endBulk() tells the view once.
    void beginBulk();
    void endBulk();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    bool inRange(int row, int col) const;
    qsizetype slot(int row, int col) const { return qsizetype(row) * m_cols + col; }
    void reshape(int rows, int cols);
    void cellChanged(int row, int col);

    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    QVector<QString> m_text;
    QVector<QRgb> m_background; // 0: default
    int m_bulkDepth = 0;
};
