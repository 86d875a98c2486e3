#include "ui/DGrid.h"

#include "store/ResultSet.h"
#include "support/ScriptedBoxes.h"
#include "support/TestSupport.h"
#include "ui/Guard.h"

#include <QDialog>

#include <stdexcept>

namespace {

// A shown grid with one fixed row.
struct ShownGrid
{
    DGrid grid;

    ShownGrid()
    {
        grid.resize(600, 300);
        {
            DGrid::Bulk bulk(&grid);
            grid.setCols(2);
            grid.setRows(2);
            grid.setFixedRows(1);
        }
        testing::showActive(&grid);
        QTest::qWait(0);
    }
};

enum class Shown { Text, Value, Colour };

// The whole grid as one text, rows apart by a space: each cell's text or the value showResult
// left reachable in it ("-" where none), apart by commas; or its colour (r, g, p for pink, -).
QString cells(const DGrid &grid, Shown shown = Shown::Text)
{
    QStringList rows;
    for (int r = 0; r < grid.rows(); ++r) {
        QString row;
        for (int c = 0; c < grid.cols(); ++c) {
            const QVariant v = grid.valueAt(r, c);
            const QColor colour = grid.backgroundAt(r, c);
            if (shown == Shown::Colour)
                row += !colour.isValid() ? u'-' : colour == Qt::red ? u'r' : colour == Qt::green ? u'g' : u'p';
            else
                row += (c ? QStringLiteral(",") : QString())
                    + (shown == Shown::Text ? grid.textAt(r, c)
                            : v.isValid()   ? v.toString()
                                            : QStringLiteral("-"));
        }
        rows << row;
    }
    return rows.join(u' ');
}

} // namespace

class DGridTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hiddenColumnsAndRowKeys()
    {
        ShownGrid s;
        ResultSet result({ QStringLiteral("名"), QStringLiteral("數"), QStringLiteral("a_key") },
            { { QStringLiteral("午餐"), 80.0, qlonglong(7) }, { QStringLiteral("午餐"), 80.0, qlonglong(9) } });
        s.grid.showResult(result, 2);
        s.grid.setRowKeys({ 0, 7, 9 });
        QTest::qWait(0);

        // The last column is out of sight, in the grid and in the view alike; rows that read
        // alike keep their own keys, also through the model.
        QCOMPARE(cells(s.grid), QStringLiteral("名,數 午餐,80 午餐,80"));
        QCOMPARE(s.grid.model()->columnCount(), 2);
        QVERIFY(!s.grid.valueAt(1, 2).isValid());
        const qint64 viaModel = s.grid.model()->index(0, 1).data(GridModel::RowKeyRole).toLongLong();
        QCOMPARE(QList<qint64>({ s.grid.rowKey(2), s.grid.rowKey(5), viaModel }), QList<qint64>({ 9, 0, 7 }));

        // Fewer rows drop their keys, and rows added back have none; a grid filled anew, or
        // cleared, forgets them.
        s.grid.setRows(2);
        s.grid.setRows(3);
        QCOMPARE(QList<qint64>({ s.grid.rowKey(1), s.grid.rowKey(2) }), QList<qint64>({ 7, 0 }));
        s.grid.showResult(result);
        QVERIFY(s.grid.cols() == 3 && s.grid.rowKey(1) == 0);
        s.grid.setRowKeys({ 0, 1 });
        s.grid.clearGrid();
        QCOMPARE(s.grid.rowKey(1), 0);
    }

    // A row's colour goes to every cell of that row and no other, a cell's own colour over it; a
    // list replaces every earlier colour; rows outside the grid are ignored; new cells start bare.
    void rowColoursCoverTheirRowAlone()
    {
        DGrid grid;
        grid.setCols(3);
        grid.setRows(5);
        grid.setFixedRows(1);
        const QColor pink(255, 128, 128);
        grid.gridModel()->setCellBackground(3, 0, Qt::green);
        grid.setRowBackground(2, pink);
        QCOMPARE(grid.model()->index(1, 1).data(Qt::BackgroundRole).value<QColor>(), pink);
        grid.setRowBackgrounds({ 0, pink.rgb(), QColor(Qt::red).rgb(), pink.rgb() });
        grid.setRow(3);
        grid.setCol(1);
        grid.setCellBackColor(Qt::green);
        grid.setCellBackColor(QColor());
        grid.setRowBackground(1, Qt::red);
        grid.setRowBackground(2, QColor());
        grid.setRowBackground(-1, Qt::green);
        grid.setRowBackground(5, Qt::green);
        QCOMPARE(cells(grid, Shown::Colour), QStringLiteral("--- rrr --- p-p ---"));
        grid.setCols(4);
        grid.setRows(2);
        grid.setRows(4);
        QCOMPARE(cells(grid, Shown::Colour), QStringLiteral("---- rrr- ---- ----"));
    }

    void resultCellsActAsTextOnceWritten()
    {
        ShownGrid s;
        ResultSet result({ QStringLiteral("日"), QStringLiteral("數") },
            { { QStringLiteral("a"), 2.5 }, { QStringLiteral("b"), 1e6 }, { QStringLiteral("c"), QVariant() } });
        s.grid.showResult(result);
        result.close();
        QTest::qWait(0);
        // Values stay reachable until their cell is written; the header never is a value.
        QCOMPARE(cells(s.grid, Shown::Value), QStringLiteral("-,- a,2.5 b,1e+06 c,-"));

        // A column format shows through the view and through every reader, written cells aside.
        s.grid.setTextAt(2, 0, QStringLiteral("寫"));
        s.grid.setResultColumnFormat(0, [](const QVariant &value, const QString &text) {
            return text + QLatin1Char('/') + QString::number(value.toString().size());
        });
        QCOMPARE(cells(s.grid), QStringLiteral("日,數 a/1,2.5 寫,1000000 c/1,"));
        QCOMPARE(cells(s.grid, Shown::Value), QStringLiteral("-,- a,2.5 -,1e+06 c,-"));
        QCOMPARE(s.grid.model()->data(s.grid.model()->index(0, 0)).toString(), QStringLiteral("a/1"));
        s.grid.setRow(1);
        s.grid.setCol(0);
        QCOMPARE(s.grid.text(), QStringLiteral("a/1"));
        s.grid.setText(QString());

        // Reshaping keeps every cell's text as it read, and the values are gone.
        s.grid.setRowBackground(2, Qt::red);
        s.grid.setCols(3);
        s.grid.setTextAt(1, 2, QStringLiteral("新"));
        QCOMPARE(cells(s.grid), QStringLiteral("日,數, ,2.5,新 寫,1000000, c/1,,"));
        QCOMPARE(cells(s.grid, Shown::Value), QStringLiteral("-,-,- -,-,- -,-,- -,-,-"));
        QCOMPARE(s.grid.backgroundAt(2, 1), QColor(Qt::red));

        // A new result replaces every row, column, colour, format and written cell of the last.
        s.grid.setRow(3);
        s.grid.showResult(ResultSet({ QStringLiteral("日") }, { { QStringLiteral("x") }, { QStringLiteral("y") } }));
        QCOMPARE(cells(s.grid), QStringLiteral("日 x y"));
        QVERIFY(!s.grid.backgroundAt(2, 0).isValid());
        s.grid.clearGrid();
        QCOMPARE(s.grid.rows(), 0);
        QVERIFY(!s.grid.valueAt(1, 0).isValid());
    }

    // Each failure of a guarded command is shown once and the run goes on.
    void aFailureIsShownAndTheRunGoesOn()
    {
        ScriptedBoxes boxes;
        QDialog window;
        QVERIFY(!ui::guarded(&window, [] { throw StoreError(QStringLiteral("資料庫錯誤：disk I/O error")); }));
        QVERIFY(!ui::guarded(&window, [] { throw std::runtime_error("out of range"); }));
        QCOMPARE(boxes.take(), QStringList({ "資料庫錯誤：disk I/O error", "發生錯誤：out of range" }));
        int runs = 0;
        QVERIFY(ui::guarded(&window, [&runs] { ++runs; }));
        QCOMPARE(runs, 1);
    }
};

QUILLORY_TEST_MAIN(DGridTest)
#include "DGrid_test.moc"
