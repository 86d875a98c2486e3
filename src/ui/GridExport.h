#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

struct PrintedReport;

class DGrid;
class QAction;

// Taking a grid's rows out of the program: to the clipboard as tab-separated text that
// pastes into a spreadsheet, and to a CSV file that spreadsheet programs open. Both hold
// the header row and the cells as shown; fixed columns (row markers) are left out.
class GridExport : public QObject
{
    Q_OBJECT

public:
    // Gives the grid Ctrl+C and a context menu with 複製 and 匯出 CSV…. The right button
    // only opens the menu: it leaves the current cell and the selection as they are, so the
    // menu copies what was selected and a window's commands still act on the row it shows.
    // fileName names the file a CSV export proposes, after what the grid holds at the time.
    using FileName = std::function<QString()>;
    static void install(DGrid *grid, FileName fileName = {});
    // Gives an installed grid 列印… (the first also Ctrl+P) and 匯出 PDF… in its menu: report
    // makes what the window shows into a report, or nothing when there is nothing to print.
    // what names a report beside the grid's own (列印本月…). The PDF's proposed name is the
    // report's own, or else the CSV's with .pdf.
    using Report = std::function<std::optional<PrintedReport>()>;
    static void addReport(DGrid *grid, Report report, const QString &what = QString());
    // Puts a command of the window's own at the end of an installed grid's menu.
    static void addCommand(DGrid *grid, QAction *command);

    // Tab-separated rows, header first, lines ended by a line feed. Rows are grid rows
    // (fixed rows are not counted among them).
    static QString tsv(const DGrid *grid, const QVector<int> &rows);
    // The whole grid as CSV: every field that holds a comma, a quote or a line break is
    // quoted, quotes doubled, lines ended by CR LF.
    static QString csv(const DGrid *grid);

    // The rows to copy: the selected rows, or every row when one row or none is selected.
    static QVector<int> rowsToCopy(const DGrid *grid);
    static void copy(DGrid *grid);
    // Asks for a file, proposing suggestedName, and writes the grid to it as UTF-8 with a
    // byte-order mark, synced to the disk; then tells where it went. Returns false when it
    // was cancelled or could not be written (the person is told why).
    static bool exportCsv(DGrid *grid, const QString &suggestedName = QString());

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    GridExport(DGrid *grid, FileName fileName);
    void showMenu(const QPoint &at);

    DGrid *m_grid;
    FileName m_fileName;
    QAction *m_copy;
    QAction *m_export;
    QList<QAction *> m_reportActions;
    QList<QAction *> m_commands;
};
