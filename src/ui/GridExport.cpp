#include "ui/GridExport.h"

#include "platform/SyncedFile.h"
#include "ui/DGrid.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "ui/PrintedReport.h"
#include "ui/ReportOutput.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <QStringList>

namespace {

QString quoted(const QString &field, const QString &specials)
{
    bool needs = false;
    for (const QChar c : specials)
        needs = needs || field.contains(c);
    if (!needs)
        return field;
    QString inner = field;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QStringList rowFields(const DGrid *grid, int row, const QString &specials)
{
    QStringList fields;
    for (int c = grid->fixedCols(); c < grid->cols(); ++c)
        fields << quoted(grid->textAt(row, c), specials);
    return fields;
}

const QString tsvSpecials = QStringLiteral("\t\n\r\"");
const QString csvSpecials = QStringLiteral(",\n\r\"");

} // namespace

GridExport::GridExport(DGrid *grid, FileName fileName)
    : QObject(grid)
    , m_grid(grid)
    , m_fileName(std::move(fileName))
    , m_copy(new QAction(QStringLiteral("複製"), grid))
    , m_export(new QAction(QStringLiteral("匯出 CSV…"), grid))
{
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    grid->addAction(m_copy);
    connect(m_copy, &QAction::triggered, this, [this] { copy(m_grid); });
    connect(m_export, &QAction::triggered, this, [this] { exportCsv(m_grid, m_fileName ? m_fileName() : QString()); });
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, &GridExport::showMenu);
    grid->viewport()->installEventFilter(this);
}

bool GridExport::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void GridExport::install(DGrid *grid, FileName fileName)
{
    new GridExport(grid, std::move(fileName));
}

void GridExport::showMenu(const QPoint &at)
{
    QMenu menu(m_grid);
    menu.setObjectName(QStringLiteral("gridMenu"));
    menu.addAction(m_copy);
    menu.addAction(m_export);
    if (!m_reportActions.isEmpty()) {
        menu.addSeparator();
        menu.addActions(m_reportActions);
    }
    if (!m_commands.isEmpty()) {
        menu.addSeparator();
        menu.addActions(m_commands);
    }
    menu.exec(m_grid->viewport()->mapToGlobal(at));
}

QString GridExport::tsv(const DGrid *grid, const QVector<int> &rows)
{
    QString text;
    if (grid->fixedRows() > 0)
        text += rowFields(grid, 0, tsvSpecials).join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int row : rows)
        text += rowFields(grid, row, tsvSpecials).join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

QString GridExport::csv(const DGrid *grid)
{
    QString text;
    for (int row = 0; row < grid->rows(); ++row)
        text += rowFields(grid, row, csvSpecials).join(QLatin1Char(',')) + QStringLiteral("\r\n");
    return text;
}

QVector<int> GridExport::rowsToCopy(const DGrid *grid)
{
    QVector<int> rows;
    if (const QItemSelectionModel *selection = grid->selectionModel()) {
        for (const QModelIndex &index : selection->selectedRows())
            rows << index.row() + grid->fixedRows();
    }
    std::sort(rows.begin(), rows.end());
    if (rows.size() <= 1) {
        rows.clear();
        for (int row = grid->fixedRows(); row < grid->rows(); ++row)
            rows << row;
    }
    return rows;
}

void GridExport::copy(DGrid *grid)
{
    QApplication::clipboard()->setText(tsv(grid, rowsToCopy(grid)));
}

bool GridExport::exportCsv(DGrid *grid, const QString &suggestedName)
{
    const QString name = suggestedName.isEmpty() ? QStringLiteral("帳目.csv") : suggestedName;
    QString path = ui::askSaveFileName(grid->window(), QStringLiteral("匯出 CSV"), name, QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    const QByteArray bytes = QByteArrayLiteral("\xEF\xBB\xBF") + csv(grid).toUtf8();
    const SyncedFile::Outcome written = SyncedFile::replace(path, bytes);
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (written.failure.isEmpty()) {
        ui::showMessage(grid->window(), QStringLiteral("已匯出到 %1").arg(shown));
        return true;
    }
    if (!written.inPlace) {
        ui::showMessage(grid->window(), QStringLiteral("無法寫入 %1：%2").arg(shown, written.failure));
        return false;
    }
    // The file is there and whole; only its entry in the folder may not be on the disk yet.
    ui::showMessage(grid->window(),
        QStringLiteral("已匯出到 %1，檔案是完整的。\n不過%2：電腦若在磁碟寫完之前斷電，"
                       "這個檔案可能會變回匯出前的樣子（或不見）。")
            .arg(shown, written.failure));
    return true;
}

void GridExport::addCommand(DGrid *grid, QAction *command)
{
    if (auto *exporter = grid->findChild<GridExport *>(QString(), Qt::FindDirectChildrenOnly))
        exporter->m_commands << command;
}

void GridExport::addReport(DGrid *grid, Report report, const QString &what)
{
    auto *exporter = grid->findChild<GridExport *>(QString(), Qt::FindDirectChildrenOnly);
    if (exporter == nullptr)
        return;
    auto *print = new QAction(QStringLiteral("列印%1…").arg(what), grid);
    auto *pdf = new QAction(QStringLiteral("匯出%1 PDF…").arg(what), grid);
    if (exporter->m_reportActions.isEmpty()) {
        print->setShortcut(QKeySequence::Print);
        print->setShortcutContext(Qt::WidgetShortcut);
        grid->addAction(print);
    }
    exporter->m_reportActions << print << pdf;
    connect(print, &QAction::triggered, exporter, [exporter, report] {
        if (const std::optional<PrintedReport> shown = report())
            ReportOutput::print(exporter->m_grid->window(), *shown);
    });
    connect(pdf, &QAction::triggered, exporter, [exporter, report] {
        const std::optional<PrintedReport> shown = report();
        if (!shown)
            return;
        QString name = shown->fileName;
        if (name.isEmpty()) {
            name = exporter->m_fileName ? exporter->m_fileName() : QString();
            name = name.isEmpty() ? QStringLiteral("帳目.pdf")
                                  : QFileInfo(name).completeBaseName() + QStringLiteral(".pdf");
        }
        ReportOutput::exportPdf(exporter->m_grid->window(), *shown, name);
    });
}
