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
