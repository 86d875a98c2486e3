#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>

// The cells of a DGrid: text and background of every cell, fixed rows included. The fixed
// rows are shown as the header; the rows below them are the model's rows.
//
// A query result is held as its values (assignValues): a cell's text is made only when it is
// read or drawn, so a long result costs neither the time nor the memory of a text per cell.
// A cell written afterwards keeps the written text; reshaping the grid turns every value into
// its text first. Readers never see the difference.
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
    // The background of every row at once, by grid row, each as qRgb() gives it (0: the
    // default background), taken over as it is: a long result's colours can be made on the
    // thread that read it, and the window's thread does not walk a million rows to colour
    // them. Colours given to single cells before are dropped; rows beyond the list keep the
    // default.
    void setRowBackgrounds(QVector<QRgb> byRow);

    // Replaces everything: row 0 holds header, the following rows the cells.
    void assign(const QStringList &header, QVector<QString> cells);
    // Turns a value into its cell text.
    using CellFormat = std::function<QString(const QVariant &)>;
    // Replaces everything: row 0 holds header, row r + 1 the values of records[r], each shown
    // through format (a record shorter than the header leaves its last cells empty).
    void assignValues(const QStringList &header, QVector<QVector<QVariant>> records, CellFormat format);
    // How the values of one column are shown from now on, instead of the common format.
    void setColumnFormat(int col, CellFormat format);
    // The value a cell shows, when it shows one of the assigned values; invalid when the
    // cell holds written text.
    QVariant cellValue(int row, int col) const;
    // No rows, no columns, no colours.
    void clearAll();

    // A number per grid row that the window gives it and no one sees, such as the key of the
    // entry a row shows, so that an action on a row finds its record without reading texts.
    // 0 where none was given; filling the grid anew forgets them, fewer rows drop theirs.
    static constexpr int RowKeyRole = Qt::UserRole + 1;
    void setRowKeys(QVector<qint64> keys);
    qint64 rowKey(int row) const { return m_rowKeys.value(row); }

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
    bool holdsValues() const { return bool(m_format); }
    // Back to one text per cell.
    void materialize();
    void dropValues();
    // Gives every cell of the row its row's colour, which the row itself then no longer holds.
    void rowColourToCells(int row);
    void rowColoursToCells();

    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    QVector<QString> m_text; // every cell, or only the header row while values are held
    QVector<QVector<QVariant>> m_records; // rows 1.. while values are held
    CellFormat m_format; // set exactly while values are held
    QHash<int, CellFormat> m_columnFormats;
    QHash<qsizetype, QString> m_written; // cells below the header written over their value
    // A cell's colour is its own, else its row's. Either list may be empty: no cell, or no
    // row, has a colour of its own.
    QVector<QRgb> m_background; // by cell, 0: none
    QVector<QRgb> m_rowBackground; // by grid row, 0: none
    QVector<qint64> m_rowKeys; // by grid row
    int m_bulkDepth = 0;
};
