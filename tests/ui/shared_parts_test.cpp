// The windows' shared parts: the grid, the guard around commands; and every window opens on the
// screen's free area, also on one too small for it (1366x768 at scale 2, run as
// window_fit_scale2_test), and can be resized and maximised: its grids and note boxes take the
// room it gains or loses, and no control ever leaves the window.

#include "app/Form1.h"
#include "entry/input_keyin.h"
#include "kinds/mang_kind.h"
#include "kinds/mang_kind_assign.h"
#include "reports/check.h"
#include "store/ResultSet.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "ui/DGrid.h"
#include "ui/Guard.h"

#include <QDialog>
#include <QGroupBox>
#include <QScreen>

#include <functional>
#include <memory>
#include <stdexcept>

namespace {

// Names the first shown control, placed inside the window or one of its frames, that does not
// lie wholly inside the window.
QString outside(QWidget *window)
{
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QWidget *parent = w->parentWidget();
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) || w->isWindow()
            || !w->isVisibleTo(window) || (parent != window && qobject_cast<const QGroupBox *>(parent) == nullptr))
            continue;
        if (!window->rect().contains(QRect(w->mapTo(window, QPoint(0, 0)), w->size())))
            return w->objectName();
    }
    return {};
}

// Each window, and the grids and note boxes that take the room it gains or loses.
const QList<std::pair<std::function<QWidget *()>, QStringList>> subjects = {
    { [] { return new Form1; }, {} },
    { [] { return new input_keyin; }, { "DGrid", "note_day" } },
    { [] { return new mang_kind; }, {} },
    { [] { return new mang_kind_assign(QStringLiteral("餐費"), 1, 3); }, {} },
    { [] { return new check; }, { "DGrid", "msg_field" } },
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

class SharedPartsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_ledger = std::make_unique<TestLedger>(true); }

    // On the default screen, and run as window_fit_scale2_test on one too small for the windows.
    void windowsFitASmallScreen()
    {
        const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
        for (const auto &[make, boxNames] : subjects) {
            const std::unique_ptr<QWidget> w(make());
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()) && w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
            QTest::qWait(0);
            QVERIFY(free.contains(w->frameGeometry()));
            const QSize fitted = w->size();
            QMap<QString, QSize> before;
            for (const QString &name : boxNames) {
                before.insert(name, w->findChild<QWidget *>(name)->size());
                QVERIFY(before.value(name).height() >= 30);
            }
            for (const QSize &size : { fitted * 1.6, fitted / 3, QSize() }) {
                if (size.isValid())
                    w->resize(size);
                else
                    w->showMaximized();
                QTRY_VERIFY(size.isValid() || w->width() > fitted.width() || w->height() > fitted.height());
                const QString what = QString::fromLatin1(w->metaObject()->className())
                    + QStringLiteral(" at %1x%2").arg(w->width()).arg(w->height());
                QVERIFY2(outside(w.get()).isEmpty(), qPrintable(what + QLatin1Char(' ') + outside(w.get())));
                // The boxes grow and shrink with the window.
                const int dw = w->width() - fitted.width();
                const int dh = w->height() - fitted.height();
                for (const QString &name : boxNames) {
                    const QSize now = w->findChild<QWidget *>(name)->size();
                    const QSize was = before.value(name);
                    QVERIFY2((dw == 0 || (now.width() > was.width()) == (dw > 0))
                            && (dh == 0 || (now.height() > was.height()) == (dh > 0)),
                        qPrintable(what + QLatin1Char(' ') + name));
                }
            }
        }
    }

    // A result shown: hidden columns and row keys; values and formats until a cell is written.
    void resultsInTheGrid()
    {
        DGrid grid;
        grid.resize(600, 300);
        grid.setFixedRows(1);
        testing::showActive(&grid);
        ResultSet result({ QStringLiteral("名"), QStringLiteral("數"), QStringLiteral("a_key") },
            { { QStringLiteral("午餐"), 80.0, qlonglong(7) }, { QStringLiteral("午餐"), 80.0, qlonglong(9) } });
        grid.showResult(result, 2);
        grid.setRowKeys({ 0, 7, 9 });
        QTest::qWait(0);

        // The last column is out of sight, in the grid and in the view alike; rows that read
        // alike keep their own keys, also through the model.
        QCOMPARE(cells(grid), QStringLiteral("名,數 午餐,80 午餐,80"));
        QCOMPARE(grid.model()->columnCount(), 2);
        QVERIFY(!grid.valueAt(1, 2).isValid());
        const qint64 viaModel = grid.model()->index(0, 1).data(GridModel::RowKeyRole).toLongLong();
        QCOMPARE(QList<qint64>({ grid.rowKey(2), grid.rowKey(5), viaModel }), QList<qint64>({ 9, 0, 7 }));

        // Fewer rows drop their keys, and rows added back have none; a grid filled anew, or
        // cleared, forgets them.
        grid.setRows(2);
        grid.setRows(3);
        QCOMPARE(QList<qint64>({ grid.rowKey(1), grid.rowKey(2) }), QList<qint64>({ 7, 0 }));
        grid.showResult(result);
        QVERIFY(grid.cols() == 3 && grid.rowKey(1) == 0);
        grid.setRowKeys({ 0, 1 });
        grid.clearGrid();
        QCOMPARE(grid.rowKey(1), 0);

        ResultSet values({ QStringLiteral("日"), QStringLiteral("數") },
            { { QStringLiteral("a"), 2.5 }, { QStringLiteral("b"), 1e6 }, { QStringLiteral("c"), QVariant() } });
        grid.showResult(values);
        values.close();
        QTest::qWait(0);
        // Values stay reachable until their cell is written; the header never is a value.
        QCOMPARE(cells(grid, Shown::Value), QStringLiteral("-,- a,2.5 b,1e+06 c,-"));

        // A column format shows through the view and through every reader, written cells aside.
        grid.setTextAt(2, 0, QStringLiteral("寫"));
        grid.setResultColumnFormat(0, [](const QVariant &value, const QString &text) {
            return text + QLatin1Char('/') + QString::number(value.toString().size());
        });
        QCOMPARE(cells(grid), QStringLiteral("日,數 a/1,2.5 寫,1000000 c/1,"));
        QCOMPARE(cells(grid, Shown::Value), QStringLiteral("-,- a,2.5 -,1e+06 c,-"));
        QCOMPARE(grid.model()->data(grid.model()->index(0, 0)).toString(), QStringLiteral("a/1"));
        grid.setRow(1);
        grid.setCol(0);
        QCOMPARE(grid.text(), QStringLiteral("a/1"));
        grid.setText(QString());

        // Reshaping keeps every cell's text as it read, and the values are gone.
        grid.setRowBackground(2, Qt::red);
        grid.setCols(3);
        grid.setTextAt(1, 2, QStringLiteral("新"));
        QCOMPARE(cells(grid), QStringLiteral("日,數, ,2.5,新 寫,1000000, c/1,,"));
        QCOMPARE(cells(grid, Shown::Value), QStringLiteral("-,-,- -,-,- -,-,- -,-,-"));
        QCOMPARE(grid.backgroundAt(2, 1), QColor(Qt::red));

        // A new result replaces every row, column, colour, format and written cell of the last.
        grid.setRow(3);
        grid.showResult(ResultSet({ QStringLiteral("日") }, { { QStringLiteral("x") }, { QStringLiteral("y") } }));
        QCOMPARE(cells(grid), QStringLiteral("日 x y"));
        QVERIFY(!grid.backgroundAt(2, 0).isValid());
        grid.clearGrid();
        QCOMPARE(grid.rows(), 0);
        QVERIFY(!grid.valueAt(1, 0).isValid());
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

private:
    // The windows' dates and the query window's clock read this moment, never the machine's.
    testing::FixedClock m_clock { QDate(2024, 6, 10) };
    std::unique_ptr<TestLedger> m_ledger;
};

QUILLORY_TEST_MAIN(SharedPartsTest)
#include "shared_parts_test.moc"
