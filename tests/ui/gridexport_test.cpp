#include "support/ScriptedBoxes.h"
#include "support/TestSupport.h"
#include "ui/DGrid.h"
#include "ui/FileDialog.h"
#include "ui/GridExport.h"

#include <QItemSelectionModel>
#include <QObject>
#include <QTemporaryDir>

namespace {

// A query-style grid: a header row, no fixed column, awkward texts in the cells.
void fill(DGrid &grid)
{
    grid.setFixedRows(1);
    grid.setFixedCols(0);
    grid.setCols(3);
    grid.setRows(4);
    const QStringList cells = {
        QStringLiteral("日期"),
        QStringLiteral("帳目名"),
        QStringLiteral("帳目"),
        QStringLiteral("2024/05/01(三)"),
        QStringLiteral("午餐, 兩人"),
        QStringLiteral("80"),
        QStringLiteral("2024/05/04(六)"),
        QStringLiteral("他說 \"好\""),
        QStringLiteral("12.5"),
        QStringLiteral("2024/05/05(日)"),
        QStringLiteral("第一行\n第二行\t尾"),
        QStringLiteral("-3"),
    };
    for (int i = 0; i < cells.size(); ++i)
        grid.setTextAt(i / 3, i % 3, cells.at(i));
}

} // namespace

class GridExportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void csvQuotesWhatNeedsQuoting();
    void tsvPastesIntoASpreadsheet();
    void copiesSelectedRowsOrTheWholeGrid();
    void exportCancelledOrUnwritable();
    void fixedColumnIsLeftOut();
};

void GridExportTest::csvQuotesWhatNeedsQuoting()
{
    DGrid grid;
    fill(grid);
    QCOMPARE(GridExport::csv(&grid),
        QStringLiteral("日期,帳目名,帳目\r\n"
                       "2024/05/01(三),\"午餐, 兩人\",80\r\n"
                       "2024/05/04(六),\"他說 \"\"好\"\"\",12.5\r\n"
                       "2024/05/05(日),\"第一行\n第二行\t尾\",-3\r\n"));
}

void GridExportTest::tsvPastesIntoASpreadsheet()
{
    DGrid grid;
    fill(grid);
    QCOMPARE(GridExport::tsv(&grid, { 1, 3 }),
        QStringLiteral("日期\t帳目名\t帳目\n"
                       "2024/05/01(三)\t午餐, 兩人\t80\n"
                       "2024/05/05(日)\t\"第一行\n第二行\t尾\"\t-3\n"));
}

void GridExportTest::copiesSelectedRowsOrTheWholeGrid()
{
    DGrid grid;
    fill(grid);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(GridExport::rowsToCopy(&grid), QVector<int>({ 1, 2, 3 }));
    grid.setRow(2);
    QTest::qWait(0);
    QCOMPARE(GridExport::rowsToCopy(&grid), QVector<int>({ 1, 2, 3 }));
    grid.setRow(3);
    grid.setRowSel(2);
    QTest::qWait(0);
    QCOMPARE(GridExport::rowsToCopy(&grid), QVector<int>({ 2, 3 }));
}

void GridExportTest::exportCancelledOrUnwritable()
{
    QTemporaryDir dir;
    DGrid grid;
    fill(grid);
    ScriptedBoxes boxes;
    ui::setSaveFileHook([](const QString &) { return QString(); });
    QVERIFY(!GridExport::exportCsv(&grid));
    QVERIFY(boxes.texts().isEmpty());
    ui::setSaveFileHook([&](const QString &) { return dir.filePath(QStringLiteral("no/such/folder/out.csv")); });
    QVERIFY(!GridExport::exportCsv(&grid));
    ui::setSaveFileHook({});
    QCOMPARE(boxes.texts().size(), 1);
    QVERIFY(boxes.texts().first().startsWith(QStringLiteral("無法寫入")));
}

void GridExportTest::fixedColumnIsLeftOut()
{
    // The daily grid: an empty fixed column at the left.
    DGrid grid;
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    grid.setCols(3);
    grid.setRows(2);
    grid.setTextAt(0, 1, QStringLiteral("內容"));
    grid.setTextAt(0, 2, QStringLiteral("數目"));
    grid.setTextAt(1, 1, QStringLiteral("咖啡"));
    grid.setTextAt(1, 2, QStringLiteral("65"));
    QCOMPARE(GridExport::csv(&grid), QStringLiteral("內容,數目\r\n咖啡,65\r\n"));
}

QUILLORY_TEST_MAIN(GridExportTest)
#include "gridexport_test.moc"
