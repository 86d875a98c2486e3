#pragma once

#include "ui/GridModel.h"

#include <QTableView>
#include <QTimer>

#include <functional>

class ResultSet;

// The grid of the daily-entry and query windows: a table of text cells addressed by row
// and column from 0, whose first rows (and columns) may be fixed. There is always a current
// cell, which may lie in a fixed row, and a selection from it to an end row and column.
// Reads and writes of text and colour act on the current cell; textAt/setTextAt and the row
// helpers address a cell directly.
class DGrid : public QTableView
{
    Q_OBJECT

public:
    explicit DGrid(QWidget *parent = nullptr);

    int rows() const;
    void setRows(int rows);
    int cols() const;
    void setCols(int cols);
    int fixedRows() const;
    void setFixedRows(int rows);
    int fixedCols() const;
    void setFixedCols(int cols);

    int row() const { return m_row; }
    void setRow(int row);
    int col() const { return m_col; }
    void setCol(int col);
    int rowSel() const { return m_rowSel; }
    void setRowSel(int row);
    int colSel() const { return m_colSel; }
    void setColSel(int col);

    // The current cell.
    QString text() const;
    void setText(const QString &text);
    QColor cellBackColor() const;
    void setCellBackColor(const QColor &color);

    QString textAt(int row, int col) const;
    void setTextAt(int row, int col, const QString &text);
    QColor backgroundAt(int row, int col) const;
    void setRowBackground(int row, const QColor &color);
    // Every row's background at once (GridModel::setRowBackgrounds), by grid row.
    void setRowBackgrounds(QVector<QRgb> byRow) { m_model->setRowBackgrounds(std::move(byRow)); }

    // Column width in twips.
    void setColWidth(int col, int twips);
    int colWidth(int col) const;

    // Shows a whole result: row 0 the column names, then one row per record, each cell the
    // value as text (numbers as plain decimals). Earlier rows, columns and colours go.
    // The grid keeps the result's values and makes a cell's text only when it is read or
    // drawn. shownColumns, when given, shows only that many of the first columns; the
    // values of the others stay out of sight (read them from the result).
    void showResult(const ResultSet &result, int shownColumns = -1);
    // The numbers a window keeps for each row (GridModel::setRowKeys), by grid row.
    void setRowKeys(QVector<qint64> keys) { m_model->setRowKeys(std::move(keys)); }
    qint64 rowKey(int row) const { return m_model->rowKey(row); }
    // After showResult: the text of every value in a column, made from the value and its
    // usual text (the text showResult gives it). Cells written since keep their text.
    using ResultCellFormat = std::function<QString(const QVariant &value, const QString &text)>;
    void setResultColumnFormat(int col, ResultCellFormat format);
    // The result value shown in a cell; invalid for the header, a written cell, or a grid not
    // filled by showResult (or reshaped since).
    QVariant valueAt(int row, int col) const;
    // The text showResult gives a value.
    static QString resultText(const QVariant &value);
    // No rows, no columns, no colours.
    void clearGrid();

    // Many cell changes at once without redrawing after each.
    class Bulk
    {
    public:
        explicit Bulk(DGrid *grid);
        ~Bulk();
        Bulk(const Bulk &) = delete;
        Bulk &operator=(const Bulk &) = delete;

    private:
        DGrid *m_grid;
    };

    GridModel *gridModel() const { return m_model; }

Q_SIGNALS:
    // A click on the grid, after the clicked cell (if not fixed) became current. A click on
    // the fixed header row raises it too and leaves the current cell as it was.
    void gridClick();
    void gridKeyUp();
    void gridMouseUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void fitRowsToFont();
    void scheduleViewSync();
    void syncView();

    GridModel *m_model;
    QTimer m_syncTimer;
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
    bool m_syncing = false;
    QVector<int> m_widths; // twips per column, -1 for the default
};
