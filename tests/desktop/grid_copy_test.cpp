#include "entry/EntryWindow.h"
#include "reports/QueryWindow.h"

#include "ui/FileDialog.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace {

// Right-clicks a grid row through the window, as the mouse does, and lets pick act on the
// menu that opens. Returns the menu's captions.
QStringList rightClickRow(DGrid *grid, int gridRow, const std::function<void(QMenu *)> &pick)
{
    QStringList captions;
    bool opened = false;
    QTimer::singleShot(0, grid, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        opened = true;
        for (QAction *action : menu->actions())
            captions << action->text();
        pick(menu);
    });
    const QRect cell = grid->visualRect(grid->model()->index(gridRow - grid->fixedRows(), 1));
    QWidget *window = grid->window();
    QTest::mouseClick(
        window->windowHandle(), Qt::RightButton, Qt::NoModifier, grid->viewport()->mapTo(window, cell.center()));
    QTest::qWait(0);
    if (!opened)
        captions << QStringLiteral("<no menu>");
    return captions;
}

void choose(QMenu *menu, const QString &caption)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == caption) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
    }
    menu->close();
}

QString clipboard()
{
    return QApplication::clipboard()->text();
}

// The separator before printing has no caption.
const QStringList menuCaptions { QStringLiteral("複製"), QStringLiteral("匯出 CSV…"), QString(),
    QStringLiteral("列印…"), QStringLiteral("匯出 PDF…") };
// The day's grid prints its month too.
const QStringList dayMenuCaptions
    = menuCaptions + QStringList { QStringLiteral("列印本月…"), QStringLiteral("匯出本月 PDF…") };

} // namespace

class GridCopyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rangeResultGoesToTheClipboardAndToCsv();
    void yearReportCopies();
    void dayGridCopiesAndTheRightButtonKeepsTheRow();
};

void GridCopyTest::rangeResultGoesToTheClipboardAndToCsv()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 15));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    querywindow::addEntry(ledger, "2024-05-01", food, 0, "午餐, 兩人", 120.5, 1, "他說 \"好\"");
    querywindow::addEntry(ledger, "2024-05-04", food, 0, "第一行\n第二行", 35, 2, "tab\there");
    querywindow::addEntry(ledger, "2024-05-05", food, 1, "退款", -3, 3);
    ScriptedBoxes boxes;
    check window;
    QVERIFY(querywindow::open(window));
    querywindow::runRange(window, "2024/5/1", "2024/5/31", true);
    DGrid *grid = window.DGrid;
    QCOMPARE(grid->rows(), 4);

    // Nothing selected: Ctrl+C takes the whole result with its header, tab-separated; a
    // field holding a tab, a line break or a quote is quoted so the paste keeps it whole.
    grid->setFocus();
    QApplication::clipboard()->clear();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QString header = QStringLiteral("日期\t種類\t收支\t帳目名\t帳目\t註解\n");
    const QString row1 = QStringLiteral("2024/05/01(三)\t餐費\t支出\t午餐, 兩人\t120.5\t\"他說 \"\"好\"\"\"\n");
    const QString row2 = QStringLiteral("2024/05/04(六)\t餐費\t支出\t\"第一行\n第二行\"\t35\t\"tab\there\"\n");
    const QString row3 = QStringLiteral("2024/05/05(日)\t餐費\t收入\t退款\t-3\t\n");
    QCOMPARE(clipboard(), header + row1 + row2 + row3);

    // Rows 2 and 3 selected with the mouse: those with the header, also from the menu.
    const auto clickRow = [grid](int gridRow, Qt::KeyboardModifiers mods) {
        const QRect cell = grid->visualRect(grid->model()->index(gridRow - 1, 3));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, cell.center());
        QTest::qWait(0);
    };
    clickRow(2, Qt::NoModifier);
    clickRow(3, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard(), header + row2 + row3);
    QApplication::clipboard()->clear();
    QCOMPARE(rightClickRow(grid, 1, [](QMenu *menu) { choose(menu, QStringLiteral("複製")); }), menuCaptions);
    QCOMPARE(clipboard(), header + row2 + row3);

    // Export: the whole grid as shown, UTF-8 with a byte-order mark, RFC 4180 quoting.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("五月.csv"));
    ui::setSaveFileHook([&](const QString &) { return path; });
    rightClickRow(grid, 2, [](QMenu *menu) { choose(menu, QStringLiteral("匯出 CSV…")); });
    ui::setSaveFileHook({});
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray expected = QByteArray("\xEF\xBB\xBF")
        + QStringLiteral("日期,種類,收支,帳目名,帳目,註解\r\n"
                         "2024/05/01(三),餐費,支出,\"午餐, 兩人\",120.5,\"他說 \"\"好\"\"\"\r\n"
                         "2024/05/04(六),餐費,支出,\"第一行\n第二行\",35,tab\there\r\n"
                         "2024/05/05(日),餐費,收入,退款,-3,\r\n")
              .toUtf8();
    QCOMPARE(file.readAll(), expected);
    QCOMPARE(boxes.texts(), QStringList({ QStringLiteral("已匯出到 ") + QDir::toNativeSeparators(path) }));
}

void GridCopyTest::yearReportCopies()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 15));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    querywindow::addEntry(ledger, "2024-03-08", food, 0, "早餐", 1234.5, 1);
    ScriptedBoxes boxes;
    check window;
    QVERIFY(querywindow::open(window));
    querywindow::press(window.chk_year);
    testing::retype(window.chkyeartxt, "2024");
    querywindow::press(window.chk_year_go);

    window.DGrid->setFocus();
    QTest::keyClick(window.DGrid, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = clipboard().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 14); // header, twelve months, and the empty piece after the last line
    QCOMPARE(lines.at(0), QStringLiteral("年月份\t月收入\t月支出\t月結"));
    QCOMPARE(lines.at(3),
        QStringLiteral("2024/03\t") + window.DGrid->textAt(3, 1) + QLatin1Char('\t') + window.DGrid->textAt(3, 2)
            + QLatin1Char('\t') + window.DGrid->textAt(3, 3));
    QVERIFY(lines.at(3).contains(QStringLiteral("1234")));
    QCOMPARE(rightClickRow(window.DGrid, 4, [](QMenu *menu) { menu->close(); }), menuCaptions);
    QCOMPARE(boxes.texts(), QStringList());
}

void GridCopyTest::dayGridCopiesAndTheRightButtonKeepsTheRow()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 45, "豆漿, 蛋餅", 1, "餐費");
    s.ledger.addEntry("2024-05-15", s.transport, 0, "公車", 15, "", 2, "交通");
    input_keyin *w = s.open();

    // One row current: the whole day, without the narrow marker column.
    s.clickRow(1);
    QTest::keyClick(w->DGrid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard(),
        QStringLiteral("日期\t種類\t收支\t內容\t數目\t備註\n"
                       "2024/5/15\t餐費\t支出\t早餐\t45\t豆漿, 蛋餅\n"
                       "2024/5/15\t交通\t支出\t公車\t15\t\n"));

    // A right click on another row opens the menu but leaves row 1 current, so 修改 still
    // changes the entry whose fields are shown.
    QCOMPARE(rightClickRow(w->DGrid, 2, [](QMenu *menu) { menu->close(); }), dayMenuCaptions);
    QCOMPARE(w->DGrid->row(), 1);
    testing::retype(w->money_inout, "50");
    s.press(w->data_modifty);
    QCOMPARE(s.ledger.rows("SELECT a_content, a_count FROM data_main ORDER BY a_key"),
        QList<QVariantList>({ { "早餐", 50.0 }, { "公車", 15.0 } }));
    QCOMPARE(s.boxes.texts(), QStringList());
}

QUILLORY_TEST_MAIN(GridCopyTest)
#include "grid_copy_test.moc"
