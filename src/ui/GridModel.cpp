#include "ui/GridModel.h"

#include "ui/Readable.h"

#include <QApplication>
#include <QPalette>
#include <QThreadPool>

#include <algorithm>

namespace {

constexpr QRgb noColour = 0;
// Results at least this long are freed off the window's thread.
constexpr qsizetype largeResultRows = 20000;

// A row left white, or never coloured, is drawn in the theme's own colours, so that a dark
// theme does not show white bands; a coloured row keeps its colour in any theme.
// A cell draws at most this much of its text: more never fits in a cell, and laying out
// millions of characters to draw a few would hold the window for seconds. Reading the cell
// (cellText, and copying or exporting it) gives the whole text.
constexpr qsizetype shownLength = 1000;

QString shownText(QString text)
{
    if (text.size() <= shownLength)
        return text;
    const qsizetype cut = text.at(shownLength - 1).isHighSurrogate() ? shownLength - 1 : shownLength;
    text.truncate(cut);
    return text + QChar(0x2026);
}

bool followsTheme(const QColor &background)
{
    return !background.isValid() || background.rgb() == qRgb(255, 255, 255);
}

} // namespace

GridModel::GridModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

bool GridModel::inRange(int row, int col) const
{
    return row >= 0 && row < m_rows && col >= 0 && col < m_cols;
}

void GridModel::reshape(int rows, int cols)
{
    rows = std::max(0, rows);
    cols = std::max(0, cols);
    if (rows == m_rows && cols == m_cols)
        return;
    if (m_bulkDepth == 0)
        beginResetModel();
    materialize();
    if (cols == m_cols) {
        m_text.resize(qsizetype(rows) * cols);
        if (!m_background.isEmpty())
            m_background.resize(qsizetype(rows) * cols, noColour);
        if (!m_rowBackground.isEmpty())
            m_rowBackground.resize(rows, noColour);
    } else {
        // New columns of a coloured row start without colour, as new cells always do.
        rowColoursToCells();
        QVector<QString> text(qsizetype(rows) * cols);
        QVector<QRgb> background(m_background.isEmpty() ? 0 : qsizetype(rows) * cols, noColour);
        for (int r = 0; r < std::min(rows, m_rows); ++r) {
            for (int c = 0; c < std::min(cols, m_cols); ++c) {
                text[qsizetype(r) * cols + c] = m_text.at(slot(r, c));
                if (!background.isEmpty())
                    background[qsizetype(r) * cols + c] = m_background.at(slot(r, c));
            }
        }
        m_text = std::move(text);
        m_background = std::move(background);
    }
    m_rows = rows;
    m_cols = cols;
    if (m_rowKeys.size() > rows)
        m_rowKeys.resize(rows);
    if (m_bulkDepth == 0)
        endResetModel();
}

void GridModel::setGridRows(int rows)
{
    reshape(rows, m_cols);
}

void GridModel::setGridCols(int cols)
{
    reshape(m_rows, cols);
}

void GridModel::setFixedRows(int rows)
{
    if (m_bulkDepth == 0)
        beginResetModel();
    m_fixedRows = std::max(0, rows);
    if (m_bulkDepth == 0)
        endResetModel();
}

void GridModel::setFixedCols(int cols)
{
    m_fixedCols = std::max(0, cols);
    if (m_bulkDepth == 0 && m_rows > m_fixedRows && m_cols > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1));
}

QString GridModel::cellText(int row, int col) const
{
    if (!inRange(row, col))
        return {};
    if (!holdsValues() || row == 0)
        return m_text.at(slot(row, col));
    const auto written = m_written.constFind(slot(row, col));
    if (written != m_written.constEnd())
        return *written;
    const QVector<QVariant> &record = m_records.at(row - 1);
    if (col >= record.size())
        return {};
    const auto columnFormat = m_columnFormats.constFind(col);
    return columnFormat != m_columnFormats.constEnd() ? (*columnFormat)(record.at(col)) : m_format(record.at(col));
}

QVariant GridModel::cellValue(int row, int col) const
{
    if (!holdsValues() || row < 1 || !inRange(row, col) || m_written.contains(slot(row, col)))
        return {};
    const QVector<QVariant> &record = m_records.at(row - 1);
    return col < record.size() ? record.at(col) : QVariant();
}

void GridModel::materialize()
{
    if (!holdsValues())
        return;
    QVector<QString> text;
    text.reserve(qsizetype(m_rows) * m_cols);
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_cols; ++c)
            text.append(cellText(r, c));
    }
    dropValues();
    m_text = std::move(text);
}

void GridModel::dropValues()
{
    // Letting go of a long result frees millions of values: a thread of the pool does that,
    // so that the window does not stop painting for it. The values are shared with nothing
    // of the window's any more.
    if (m_records.size() >= largeResultRows) {
        QThreadPool::globalInstance()->start([old = std::move(m_records)]() mutable { old.clear(); });
        m_records = {};
    }
    m_records.clear();
    m_format = nullptr;
    m_columnFormats.clear();
    m_written.clear();
}

void GridModel::cellChanged(int row, int col)
{
    if (m_bulkDepth > 0)
        return;
    if (row < m_fixedRows) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex i = index(row - m_fixedRows, col);
        Q_EMIT dataChanged(i, i);
    }
}

void GridModel::setCellText(int row, int col, const QString &text)
{
    if (!inRange(row, col))
        return;
    if (holdsValues() && row > 0)
        m_written.insert(slot(row, col), text);
    else
        m_text[slot(row, col)] = text;
    cellChanged(row, col);
}

QColor GridModel::cellBackground(int row, int col) const
{
    if (!inRange(row, col))
        return {};
    QRgb rgb = m_background.isEmpty() ? noColour : m_background.at(slot(row, col));
    if (rgb == noColour)
        rgb = m_rowBackground.value(row, noColour);
    return rgb == noColour ? QColor() : QColor::fromRgb(rgb);
}

void GridModel::rowColourToCells(int row)
{
    const QRgb rgb = m_rowBackground.value(row, noColour);
    if (rgb == noColour)
        return;
    if (m_background.isEmpty())
        m_background = QVector<QRgb>(qsizetype(m_rows) * m_cols, noColour);
    for (int c = 0; c < m_cols; ++c) {
        if (m_background.at(slot(row, c)) == noColour)
            m_background[slot(row, c)] = rgb;
    }
    m_rowBackground[row] = noColour;
}

void GridModel::rowColoursToCells()
{
    for (int r = 0; r < std::min(m_rows, int(m_rowBackground.size())); ++r)
        rowColourToCells(r);
    m_rowBackground.clear();
}

void GridModel::setCellBackground(int row, int col, const QColor &color)
{
    if (!inRange(row, col))
        return;
    rowColourToCells(row);
    if (m_background.isEmpty())
        m_background = QVector<QRgb>(qsizetype(m_rows) * m_cols, noColour);
    m_background[slot(row, col)] = color.isValid() ? (color.rgb() | 0xff000000u) : noColour;
    cellChanged(row, col);
}

void GridModel::setRowBackground(int row, const QColor &color)
{
    if (row < 0 || row >= m_rows || m_cols == 0)
        return;
    const QRgb rgb = color.isValid() ? (color.rgb() | 0xff000000u) : noColour;
    if (!m_background.isEmpty())
        std::fill_n(m_background.begin() + slot(row, 0), m_cols, noColour);
    if (m_rowBackground.isEmpty() && rgb != noColour)
        m_rowBackground = QVector<QRgb>(m_rows, noColour);
    if (!m_rowBackground.isEmpty())
        m_rowBackground[row] = rgb;
    if (m_bulkDepth > 0)
        return;
    if (row < m_fixedRows) {
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    } else {
        Q_EMIT dataChanged(index(row - m_fixedRows, 0), index(row - m_fixedRows, m_cols - 1));
    }
}

void GridModel::assign(const QStringList &header, QVector<QString> cells)
{
    if (m_bulkDepth == 0)
        beginResetModel();
    dropValues();
    m_cols = int(header.size());
    m_rows = m_cols == 0 ? 1 : int(1 + cells.size() / m_cols);
    m_text.clear();
    m_text.reserve(qsizetype(m_rows) * m_cols);
    m_text.append(header.toVector());
    m_text.append(std::move(cells));
    m_background.clear();
    m_rowBackground.clear();
    m_rowKeys.clear();
    if (m_bulkDepth == 0)
        endResetModel();
}

void GridModel::assignValues(const QStringList &header, QVector<QVector<QVariant>> records, CellFormat format)
{
    if (!format)
        format = [](const QVariant &value) { return value.toString(); };
    if (m_bulkDepth == 0)
        beginResetModel();
    dropValues();
    m_cols = int(header.size());
    m_rows = m_cols == 0 ? 1 : int(1 + records.size());
    m_text = header.toVector();
    if (m_cols > 0) {
        m_records = std::move(records);
        m_format = std::move(format);
    }
    m_background.clear();
    m_rowBackground.clear();
    m_rowKeys.clear();
    if (m_bulkDepth == 0)
        endResetModel();
}

void GridModel::setColumnFormat(int col, CellFormat format)
{
    if (!holdsValues() || col < 0 || col >= m_cols)
        return;
    if (format)
        m_columnFormats[col] = std::move(format);
    else
        m_columnFormats.remove(col);
    if (m_bulkDepth == 0 && m_rows > m_fixedRows)
        Q_EMIT dataChanged(index(0, col), index(rowCount() - 1, col));
}

void GridModel::clearAll()
{
    if (m_bulkDepth == 0)
        beginResetModel();
    dropValues();
    m_rows = 0;
    m_cols = 0;
    m_text.clear();
    m_background.clear();
    m_rowBackground.clear();
    m_rowKeys.clear();
    if (m_bulkDepth == 0)
        endResetModel();
}

void GridModel::setRowBackgrounds(QVector<QRgb> byRow)
{
    if (byRow.size() > m_rows)
        byRow.resize(m_rows);
    m_background.clear();
    m_rowBackground = std::move(byRow);
    if (m_bulkDepth == 0 && m_rows > 0 && m_cols > 0) {
        if (m_fixedRows > 0)
            Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
        if (m_rows > m_fixedRows)
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1));
    }
}

void GridModel::setRowKeys(QVector<qint64> keys)
{
    if (keys.size() > m_rows)
        keys.resize(m_rows);
    m_rowKeys = std::move(keys);
}

void GridModel::beginBulk()
{
    if (m_bulkDepth++ == 0)
        beginResetModel();
}

void GridModel::endBulk()
{
    if (m_bulkDepth > 0 && --m_bulkDepth == 0)
        endResetModel();
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return std::max(0, m_rows - m_fixedRows);
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + m_fixedRows;
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return shownText(cellText(row, col));
    case Qt::EditRole:
        return cellText(row, col);
    case Qt::BackgroundRole: {
        if (col < m_fixedCols)
            return QApplication::palette().button();
        const QColor c = cellBackground(row, col);
        return followsTheme(c) ? QVariant() : QVariant(c);
    }
    case Qt::ForegroundRole: {
        const QColor c = cellBackground(row, col);
        if (followsTheme(c))
            return {};
        return ui::readableOn(c, QApplication::palette().color(QPalette::Text));
    }
    case RowKeyRole:
        return rowKey(row);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_fixedRows > 0 ? cellText(0, section) : QVariant();
    return section + m_fixedRows;
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() < m_fixedCols)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
