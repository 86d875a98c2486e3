// Colouring a whole row at once: every cell of that row and no other, and the view told once
// for the whole row so that it repaints it.

#include "support/TestSupport.h"
#include "ui/DGrid.h"

#include <QSignalSpy>
#include <QTest>

class GridRowColourTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aRowTakesTheColourInEveryCellAndTheViewHearsOfIt()
    {
        DGrid grid;
        grid.setCols(4);
        grid.setRows(4);
        grid.setFixedRows(1);
        QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
        const QColor pink(255, 128, 128);
        grid.setRowBackground(2, pink);
        for (int c = 0; c < 4; ++c) {
            QCOMPARE(grid.backgroundAt(2, c), pink);
            QVERIFY(!grid.backgroundAt(1, c).isValid());
            QVERIFY(!grid.backgroundAt(3, c).isValid());
            QCOMPARE(grid.model()->index(1, c).data(Qt::BackgroundRole).value<QColor>(), pink);
        }
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex(), grid.model()->index(1, 0));
        QCOMPARE(changed.first().at(1).toModelIndex(), grid.model()->index(1, 3));

        // An invalid colour gives the row its default background back.
        grid.setRowBackground(2, QColor());
        for (int c = 0; c < 4; ++c)
            QVERIFY(!grid.backgroundAt(2, c).isValid());
    }

    void aListOfRowColoursColoursEachRowAndCellsStillTakeTheirOwn()
    {
        DGrid grid;
        grid.setCols(3);
        grid.setRows(5);
        grid.setFixedRows(1);
        const QColor pink(255, 128, 128);
        const QColor red(255, 0, 0);
        grid.gridModel()->setCellBackground(2, 0, Qt::blue); // the list replaces earlier colours
        grid.setRow(3);
        grid.setCol(1);
        QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
        // Shorter than the grid: the last row keeps the default.
        grid.setRowBackgrounds({ 0, pink.rgb(), red.rgb(), pink.rgb() });
        QCOMPARE(changed.size(), 1);
        for (int c = 0; c < 3; ++c) {
            QVERIFY(!grid.backgroundAt(0, c).isValid());
            QCOMPARE(grid.backgroundAt(1, c), pink);
            QCOMPARE(grid.backgroundAt(2, c), red);
            QCOMPARE(grid.backgroundAt(3, c), pink);
            QVERIFY(!grid.backgroundAt(4, c).isValid());
            QCOMPARE(grid.model()->index(1, c).data(Qt::BackgroundRole).value<QColor>(), red);
        }

        // One cell of a coloured row: only that cell changes, also back to the default.
        grid.setCellBackColor(Qt::green);
        QCOMPARE(grid.backgroundAt(3, 1), QColor(Qt::green));
        grid.setCellBackColor(QColor());
        QVERIFY(!grid.backgroundAt(3, 1).isValid());
        QCOMPARE(grid.backgroundAt(3, 0), pink);
        QCOMPARE(grid.backgroundAt(3, 2), pink);

        // A whole row over the list, and the default for a row of the list.
        grid.setRowBackground(1, red);
        grid.setRowBackground(2, QColor());
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(grid.backgroundAt(1, c), red);
            QVERIFY(!grid.backgroundAt(2, c).isValid());
        }

        // A new column starts without colour; rows keep theirs, fewer rows drop the rest.
        grid.setCols(4);
        QCOMPARE(grid.backgroundAt(1, 2), red);
        QVERIFY(!grid.backgroundAt(1, 3).isValid());
        QCOMPARE(grid.backgroundAt(3, 2), pink);
        QVERIFY(!grid.backgroundAt(3, 1).isValid());
        grid.setRows(2);
        grid.setRows(4);
        QVERIFY(!grid.backgroundAt(3, 0).isValid());
        QCOMPARE(grid.backgroundAt(1, 0), red);
    }

    void rowsOutsideTheGridAreIgnored()
    {
        DGrid grid;
        grid.setCols(2);
        grid.setRows(2);
        grid.setRowBackground(-1, Qt::red);
        grid.setRowBackground(2, Qt::red);
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 2; ++c)
                QVERIFY(!grid.backgroundAt(r, c).isValid());
        }
    }
};

QUILLORY_TEST_MAIN(GridRowColourTest)
#include "grid_row_colour_test.moc"
