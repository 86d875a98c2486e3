#include "ui/DGrid.h"

#include "platform/Numbers.h"
#include "store/ResultSet.h"
#include "ui/Twips.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

constexpr int defaultColumnTwips = 960;

QString cellTextOf(const QVariant &value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return Numbers::text(value.toDouble());
    default:
        return value.toString();
    }
}

} // namespace

DGrid::DGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new GridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Tab moves on to the window's next control, as with every other field.
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->viewport()->installEventFilter(this);
    fitRowsToFont();
    m_syncTimer.setSingleShot(true);
    m_syncTimer.setInterval(0);
    connect(&m_syncTimer, &QTimer::timeout, this, &DGrid::syncView);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        for (int c = 0; c < m_model->gridCols(); ++c)
            setColumnWidth(c, ui::twips(colWidth(c)));
        scheduleViewSync();
    });
}

int DGrid::rows() const
{
    return m_model->gridRows();
}

void DGrid::setRows(int rows)
{
    m_model->setGridRows(rows);
    if (m_row >= rows)
        m_row = std::max(0, rows - 1);
    if (m_rowSel >= rows)
        m_rowSel = m_row;
    scheduleViewSync();
}

int DGrid::cols() const
{
    return m_model->gridCols();
}

void DGrid::setCols(int cols)
{
    m_widths.resize(std::max(0, cols), -1);
    m_model->setGridCols(cols);
    if (m_col >= cols)
        m_col = std::max(0, cols - 1);
    scheduleViewSync();
}

int DGrid::fixedRows() const
{
    return m_model->fixedRows();
}

void DGrid::setFixedRows(int rows)
{
    m_model->setFixedRows(rows);
    horizontalHeader()->setVisible(rows > 0);
}

int DGrid::fixedCols() const
{
    return m_model->fixedCols();
}

void DGrid::setFixedCols(int cols)
{
    m_model->setFixedCols(cols);
}

void DGrid::setRow(int row)
{
    m_row = std::clamp(row, 0, std::max(0, rows() - 1));
    m_rowSel = m_row;
    scheduleViewSync();
}

void DGrid::setCol(int col)
{
    m_col = std::clamp(col, 0, std::max(0, cols() - 1));
    m_colSel = m_col;
    scheduleViewSync();
}

void DGrid::setRowSel(int row)
{
    m_rowSel = std::clamp(row, 0, std::max(0, rows() - 1));
    scheduleViewSync();
}

void DGrid::setColSel(int col)
{
    m_colSel = std::clamp(col, 0, std::max(0, cols() - 1));
}

QString DGrid::text() const
{
    return m_model->cellText(m_row, m_col);
}

void DGrid::setText(const QString &text)
{
    m_model->setCellText(m_row, m_col, text);
}

QColor DGrid::cellBackColor() const
{
    return m_model->cellBackground(m_row, m_col);
}

void DGrid::setCellBackColor(const QColor &color)
{
    m_model->setCellBackground(m_row, m_col, color);
}

QString DGrid::textAt(int row, int col) const
{
    return m_model->cellText(row, col);
}

void DGrid::setTextAt(int row, int col, const QString &text)
{
    m_model->setCellText(row, col, text);
}

QColor DGrid::backgroundAt(int row, int col) const
{
    return m_model->cellBackground(row, col);
}

void DGrid::setRowBackground(int row, const QColor &color)
{
    m_model->setRowBackground(row, color);
}

void DGrid::setColWidth(int col, int twips)
{
    if (col < 0)
        return;
    if (col >= m_widths.size())
        m_widths.resize(col + 1, -1);
    m_widths[col] = twips;
    if (col < cols())
        setColumnWidth(col, ui::twips(twips));
}

int DGrid::colWidth(int col) const
{
    if (col >= 0 && col < m_widths.size() && m_widths.at(col) >= 0)
        return m_widths.at(col);
    return defaultColumnTwips;
}

void DGrid::showResult(const ResultSet &result, int shownColumns)
{
    QStringList header = result.columns();
    if (shownColumns >= 0 && shownColumns < header.size())
        header.resize(shownColumns);
    m_widths = QVector<int>(int(header.size()), -1);
    // The rows are shared with the result, not copied; values beyond the header are never read.
    m_model->assignValues(header, result.rows(), cellTextOf);
    m_row = 0;
    m_col = 0;
    m_rowSel = 0;
    m_colSel = 0;
    scheduleViewSync();
}

void DGrid::setResultColumnFormat(int col, ResultCellFormat format)
{
    if (!format) {
        m_model->setColumnFormat(col, nullptr);
        return;
    }
    m_model->setColumnFormat(
        col, [format = std::move(format)](const QVariant &value) { return format(value, cellTextOf(value)); });
}

QVariant DGrid::valueAt(int row, int col) const
{
    return m_model->cellValue(row, col);
}

QString DGrid::resultText(const QVariant &value)
{
    return cellTextOf(value);
}

void DGrid::clearGrid()
{
    m_model->clearAll();
    m_widths.clear();
    m_row = m_col = m_rowSel = m_colSel = 0;
    scheduleViewSync();
}

DGrid::Bulk::Bulk(DGrid *grid)
    : m_grid(grid)
{
    m_grid->m_model->beginBulk();
}

DGrid::Bulk::~Bulk()
{
    m_grid->m_model->endBulk();
}

void DGrid::scheduleViewSync()
{
    // Many programmatic moves of the current cell in a row cost one view update.
    if (!m_syncTimer.isActive())
        m_syncTimer.start();
}

void DGrid::syncView()
{
    QItemSelectionModel *selection = selectionModel();
    if (!selection)
        return;
    m_syncing = true;
    const int fixed = fixedRows();
    if (m_row < fixed || m_row >= rows() || cols() == 0) {
        selection->clear();
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else {
        const QModelIndex current = m_model->index(m_row - fixed, m_col);
        selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        const int first = std::max(fixed, std::min(m_row, m_rowSel)) - fixed;
        const int last = std::max(m_row, m_rowSel) - fixed;
        const QItemSelection range(m_model->index(first, 0), m_model->index(last, cols() - 1));
        selection->select(range, QItemSelectionModel::ClearAndSelect);
        scrollTo(current);
    }
    m_syncing = false;
}

void DGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid())
        return;
    m_row = current.row() + fixedRows();
    m_col = current.column();
    m_rowSel = m_row;
    m_colSel = m_col;
}

void DGrid::fitRowsToFont()
{
    // Rows as high as a line of the grid's font, not the style's roomier default, so a
    // small grid still shows a day's worth of entries.
    const int height = fontMetrics().height() + 6;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

void DGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowsToFont();
}

bool DGrid::eventFilter(QObject *watched, QEvent *event)
{
    // The fixed rows are drawn by the header view, whose clicks never reach the table.
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Q_EMIT gridMouseUp();
        Q_EMIT gridClick();
    }
    return QTableView::eventFilter(watched, event);
}

void DGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    // A drag may have stretched the selection; the current row's end moves with it.
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (!selected.isEmpty()) {
        int first = selected.first().row();
        int last = first;
        for (const QModelIndex &i : selected) {
            first = std::min(first, i.row());
            last = std::max(last, i.row());
        }
        const int fixed = fixedRows();
        m_rowSel = (m_row - fixed == first ? last : first) + fixed;
    }
    if (event->button() == Qt::LeftButton) {
        Q_EMIT gridMouseUp();
        Q_EMIT gridClick();
    }
}

void DGrid::keyReleaseEvent(QKeyEvent *event)
{
    QTableView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT gridKeyUp();
}
