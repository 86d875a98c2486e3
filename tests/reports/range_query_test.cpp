#include "reports/QueryWindow.h"
#include "support/Refusals.h"

#include "store/database_access.h"
#include "support/ScriptedBoxes.h"

using namespace querywindow;

namespace {

// A week of May 2024 (the 1st is a Wednesday) with entries on both sides of it.
struct MayLedger
{
    // The window's presets and clock read this moment, never the machine's.
    testing::FixedClock clock { QDate(2024, 6, 10) };
    TestLedger ledger;
    qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    qint64 travel = ledger.addKind(QStringLiteral("交通"), 2);
    qint64 salary = ledger.addKind(QStringLiteral("薪資"), 3);
    qint64 oneil = ledger.addKind(QStringLiteral("O'Neil 50%"), 4);

    MayLedger()
    {
        addEntry(ledger, QStringLiteral("2024-04-30"), food, 0, QStringLiteral("早餐"), 50, 1);
        addEntry(
            ledger, QStringLiteral("2024-05-01"), food, 0, QStringLiteral("午餐"), 120.5, 2, QStringLiteral("同事"));
        addEntry(ledger, QStringLiteral("2024-05-01"), salary, 1, QStringLiteral("五月薪"), 30000, 3);
        addEntry(ledger, QStringLiteral("2024-05-04"), travel, 0, QStringLiteral("Joe's 捷運"), 35, 4);
        addEntry(ledger, QStringLiteral("2024-05-05"), salary, 1, QStringLiteral("獎金"), 1000, 5);
        addEntry(
            ledger, QStringLiteral("2024-05-06"), oneil, 0, QStringLiteral("100%果汁"), 60, 6, QStringLiteral("it's"));
        addEntry(ledger, QStringLiteral("2024-05-06"), food, 0, QStringLiteral("果汁"), 40, 7);
        addEntry(ledger, QStringLiteral("2024-05-07"), food, 0, QStringLiteral("晚餐"), 200, 8);
        ledger.setDayNote(QStringLiteral("2024-05-01"), QStringLiteral("發薪日"));
        ledger.setDayNote(QStringLiteral("2024-05-04"), QStringLiteral("週末"));
    }

    void summaryKinds(const QList<qint64> &ids)
    {
        QStringList line;
        for (qint64 id : ids)
            line << QString::number(id);
        ledger.writeSKinds(line.join(QLatin1Char(',')).toUtf8() + "\r\n");
    }
};

QString summary(const QString &income, const QString &expenseLine, const QString &balance)
{
    return QStringLiteral("本次查詢的總收入為 : ") + income + QStringLiteral("元\n總支出 : ") + expenseLine
        + QStringLiteral("\n總共為 : ") + balance + QStringLiteral("元");
}

// The query window on the May week, in the chosen mode.
struct MayWindow
{
    check window;

    explicit MayWindow(bool detailed)
    {
        QVERIFY(open(window));
        typeRange(window, QStringLiteral("2024/5/1"), QStringLiteral("2024/05/06"));
        testing::click(detailed ? window.chk_mon_detail : window.chk_mon_easy);
    }
    void run() { press(window.chk_month); }
};

} // namespace

class RangeQueryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void detailedListsEveryEntryWithColours();
    void simpleSumsEachDayAndDirection();
    void kindNamedIncomeMarksItsRows();
    void filtersTakeTextLiterally();
    void summaryKindLines();
    void rangeIsCheckedFirst();
    void otherSpellingsAndSingleDays();
    void emptyResultGivesZeroTotals();
    void databaseErrorLeavesTheWindowUsable();
    void sortButtonsShareOneFlag();
    void simpleModeSortsOnlyByDateAndAmount();
    void largeResultFillsQuickly();
};

void RangeQueryTest::detailedListsEveryEntryWithColours()
{
    MayLedger may;
    ScriptedBoxes boxes;
    MayWindow w(true);
    w.run();
    QVERIFY(boxes.texts().isEmpty());
    const DGrid *grid = w.window.DGrid;
    const QList<QStringList> expected = {
        { "日期", "種類", "收支", "帳目名", "帳目", "註解" },
        { "2024/05/01(三)", "餐費", "支出", "午餐", "120.5", "同事" },
        { "2024/05/01(三)", "薪資", "收入", "五月薪", "30000", "" },
        { "2024/05/04(六)", "交通", "支出", "Joe's 捷運", "35", "" },
        { "2024/05/05(日)", "薪資", "收入", "獎金", "1000", "" },
        { "2024/05/06(一)", "O'Neil 50%", "支出", "100%果汁", "60", "it's" },
        { "2024/05/06(一)", "餐費", "支出", "果汁", "40", "" },
    };
    QCOMPARE(cells(grid), expected);
    // What is drawn is what the grid reads out, weekdays included.
    for (int r = 1; r < grid->rows(); ++r) {
        for (int c = 0; c < grid->cols(); ++c)
            QCOMPARE(
                grid->model()->data(grid->model()->index(r - grid->fixedRows(), c)).toString(), expected.at(r).at(c));
    }
    // A weekday is white, a weekend light red, income red whatever the day.
    const QList<QColor> colours = { white, income, weekend, income, white, white };
    for (int r = 1; r < grid->rows(); ++r)
        QCOMPARE(rowColour(grid, r), colours.at(r - 1));
    QCOMPARE(grid->row(), 0);
    QCOMPARE(w.window.msg_field->text(), summary("31000", "255.5", "30744.5"));
    QVERIFY(w.window.Frame3->isVisible());
}

void RangeQueryTest::simpleSumsEachDayAndDirection()
{
    MayLedger may;
    MayWindow w(false);
    w.run();
    const DGrid *grid = w.window.DGrid;
    // A day with income and expense gives two rows, both with the day's note.
    QCOMPARE(cells(grid).mid(0, 1), (QList<QStringList> { { "日期", "收支", "日帳目", "日註解" } }));
    QCOMPARE(grid->rows(), 6);
    QCOMPARE((QSet<QStringList> { cells(grid).at(1), cells(grid).at(2) }),
        (QSet<QStringList> {
            { "2024/05/01(三)", "收入", "30000", "發薪日" }, { "2024/05/01(三)", "支出", "120.5", "發薪日" } }));
    QCOMPARE(cells(grid).mid(3),
        (QList<QStringList> { { "2024/05/04(六)", "支出", "35", "週末" }, { "2024/05/05(日)", "收入", "1000", "" },
            { "2024/05/06(一)", "支出", "100", "" } }));
    for (int r = 1; r < grid->rows(); ++r) {
        const QColor expected = grid->textAt(r, 1) == QStringLiteral("收入")
            ? income
            : (grid->textAt(r, 0).endsWith(QStringLiteral("(六)")) ? weekend : white);
        QCOMPARE(rowColour(grid, r), expected);
    }
    QCOMPARE(w.window.msg_field->text(), summary("31000", "255.5", "30744.5"));
}

void RangeQueryTest::kindNamedIncomeMarksItsRows()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 10));
    const qint64 odd = ledger.addKind(QStringLiteral("收入"), 1);
    addEntry(ledger, QStringLiteral("2024-05-02"), odd, 0, QStringLiteral("退款手續費"), 30, 1);
    MayWindow w(true);
    w.run();
    QCOMPARE(cells(w.window.DGrid).at(1).mid(1, 2), (QStringList { "收入", "支出" }));
    QCOMPARE(rowColour(w.window.DGrid, 1), income);
    // Only the direction counts for the totals.
    QCOMPARE(w.window.msg_field->text(), summary("0", "30", "-30"));
}

void RangeQueryTest::filtersTakeTextLiterally()
{
    MayLedger may;
    ScriptedBoxes boxes;
    MayWindow w(true);
    const struct
    {
        const char *description;
        const char *kind;
        bool detailed;
        QStringList contents; // column 3 in detailed mode, the sums in simple mode
    } cases[] = {
        { "果汁", "全部", true, { "100%果汁", "果汁" } },
        { "%果", "全部", true, { "100%果汁" } },
        { "'", "全部", true, { "Joe's 捷運" } },
        { "", "O'Neil 50%", true, { "100%果汁" } },
        { "汁", "餐費", true, { "果汁" } },
        { "", "薪資", false, { "30000", "1000" } },
        { "果汁", "全部", false, { "100" } },
    };
    for (const auto &c : cases) {
        const QString tag = QString::fromUtf8(c.description) + QLatin1Char('/') + QString::fromUtf8(c.kind);
        retype(w.window.account_name, QString::fromUtf8(c.description));
        QVERIFY2(chooseKind(w.window, QString::fromUtf8(c.kind)), qPrintable(tag));
        testing::click(c.detailed ? w.window.chk_mon_detail : w.window.chk_mon_easy);
        w.run();
        QCOMPARE(column(w.window.DGrid, c.detailed ? 3 : 2), c.contents);
    }
    QVERIFY(boxes.texts().isEmpty());
}

void RangeQueryTest::summaryKindLines()
{
    MayLedger may;
    MayWindow w(true);

    may.summaryKinds({ may.food, may.travel });
    w.run();
    QCOMPARE(w.window.msg_field->text(), summary("31000", "255.5/ 一般:60元 ; 交通:35元 ; 餐費:160.5元", "30744.5"));

    // The summary kinds carry the kind filter: none of their expense is 薪資, so 一般 stays 0.
    QVERIFY(chooseKind(w.window, QStringLiteral("薪資")));
    w.run();
    QCOMPARE(w.window.msg_field->text(), summary("31000", "0/ 一般:0元 ; ", "31000"));
    QVERIFY(chooseKind(w.window, QStringLiteral("全部")));

    // Summary kinds with no expense in the range: only the general figure.
    may.summaryKinds({ may.salary });
    w.run();
    QCOMPARE(w.window.msg_field->text(), summary("31000", "255.5/ 一般:255.5元 ; ", "30744.5"));

    // A 0 ends the list.
    may.ledger.writeSKinds(
        QString(QString::number(may.travel) + QStringLiteral(",0,") + QString::number(may.food)).toUtf8());
    w.run();
    QCOMPARE(w.window.msg_field->text(), summary("31000", "255.5/ 一般:220.5元 ; 交通:35元", "30744.5"));

    may.ledger.writeSKinds("");
    w.run();
    QCOMPARE(w.window.msg_field->text(), summary("31000", "255.5", "30744.5"));
}

void RangeQueryTest::rangeIsCheckedFirst()
{
    MayLedger may;
    ScriptedBoxes boxes;
    MayWindow w(true);
    w.run();
    const QList<QStringList> before = cells(w.window.DGrid);
    const QString summaryBefore = w.window.msg_field->text();

    const struct
    {
        const char *begin;
        const char *end;
        QString message;
    } cases[] = {
        { "2024/13/1", "2024/5/6", refusals::badBegin },
        { "2024/5/1", "五月", refusals::badEnd },
        { "2024/5/6", "2024/5/5", QStringLiteral("錯誤! 結束日期竟然比起始日期早??") },
    };
    for (const auto &c : cases) {
        typeRange(w.window, QString::fromUtf8(c.begin), QString::fromUtf8(c.end));
        w.run();
        QCOMPARE(boxes.take(), QStringList { c.message });
        QCOMPARE(cells(w.window.DGrid), before);
        QCOMPARE(w.window.msg_field->text(), summaryBefore);
    }
}

void RangeQueryTest::otherSpellingsAndSingleDays()
{
    MayLedger may;
    ScriptedBoxes boxes;
    MayWindow w(true);
    const struct
    {
        const char *begin;
        const char *end;
        int rows;
    } cases[] = {
        { "2024/5/4", "2024/5/4", 1 }, // both ends included
        { "2024/05/06", " 2024-5-6 ", 2 }, // blanks around, dashes
        { "2024/5", "2024年5月4日", 3 }, // a month alone is its first day
        { "2024/4/30", "2024.5.7", 8 },
    };
    for (const auto &c : cases) {
        typeRange(w.window, QString::fromUtf8(c.begin), QString::fromUtf8(c.end));
        w.run();
        QCOMPARE(w.window.DGrid->rows() - 1, c.rows);
    }
    QVERIFY(boxes.texts().isEmpty());
}

void RangeQueryTest::emptyResultGivesZeroTotals()
{
    MayLedger may;
    MayWindow w(false);
    typeRange(w.window, QStringLiteral("2023/1/1"), QStringLiteral("2023/1/31"));
    w.run();
    QCOMPARE(cells(w.window.DGrid), (QList<QStringList> { { "日期", "收支", "日帳目", "日註解" } }));
    QCOMPARE(w.window.msg_field->text(), summary("0", "0", "0"));
}

void RangeQueryTest::databaseErrorLeavesTheWindowUsable()
{
    MayLedger may;
    ScriptedBoxes boxes;
    MayWindow w(false);
    w.run();
    const QList<QStringList> before = cells(w.window.DGrid);
    const QString summaryBefore = w.window.msg_field->text();
    database_access::Exec_SQL(QStringLiteral("DROP TABLE data_note"));

    press(w.window.cmd_stor_account);
    const QStringList shown = boxes.take();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(QStringLiteral("資料庫錯誤")), qPrintable(shown.first()));
    QCOMPARE(cells(w.window.DGrid), before);
    QCOMPARE(w.window.msg_field->text(), summaryBefore);
    QCOMPARE(w.window.orderField(), QStringLiteral("D.a_date"));

    // The detailed list does not need the day notes.
    testing::click(w.window.chk_mon_detail);
    w.run();
    QVERIFY(boxes.texts().isEmpty());
    QCOMPARE(w.window.DGrid->rows(), 7);
}

void RangeQueryTest::sortButtonsShareOneFlag()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 10));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    const qint64 travel = ledger.addKind(QStringLiteral("交通"), 2);
    // The kind sort uses each entry's own copy of the kind name.
    addEntry(ledger, QStringLiteral("2024-05-01"), food, 0, QStringLiteral("b午餐"), 300, 1, QStringLiteral("z"), "C");
    addEntry(ledger, QStringLiteral("2024-05-02"), travel, 0, QStringLiteral("a公車"), 15, 2, QStringLiteral("y"), "A");
    addEntry(ledger, QStringLiteral("2024-05-03"), food, 0, QStringLiteral("c晚餐"), 300, 3, QStringLiteral("x"), "B");
    addEntry(
        ledger, QStringLiteral("2024-05-04"), travel, 1, QStringLiteral("d退費"), 1000, 4, QStringLiteral("w"), "D");
    ScriptedBoxes boxes;
    MayWindow w(true);
    auto days = [&] {
        QStringList d;
        for (const QString &date : column(w.window.DGrid, 0))
            d << date.mid(8, 2);
        return d;
    };
    const struct
    {
        QAbstractButton *button;
        bool descending;
        QStringList days;
    } presses[] = {
        { w.window.cmd_stor_account, true, { "04", "01", "03", "02" } }, // equal amounts by ascending date
        { w.window.cmd_stor_kind, false, { "02", "03", "01", "04" } },
        { w.window.cmd_stor_name, true, { "04", "03", "01", "02" } },
        { w.window.cmd_stor_note, false, { "04", "03", "02", "01" } },
        { w.window.cmd_stor_date, true, { "04", "03", "02", "01" } },
        { w.window.chk_month, true, { "04", "03", "02", "01" } }, // the flag stays
        { w.window.cmd_stor_date, false, { "01", "02", "03", "04" } },
    };
    for (const auto &p : presses) {
        press(p.button);
        QCOMPARE(days(), p.days);
        QCOMPARE(w.window.orderDescending(), p.descending);
        QCOMPARE(w.window.orderField(), QStringLiteral("D.a_date"));
    }

    // A refused range still flips the flag.
    retype(w.window.str_begin, QStringLiteral("later"));
    press(w.window.cmd_stor_date);
    QCOMPARE(boxes.take(), QStringList { refusals::badBegin });
    QVERIFY(w.window.orderDescending());
    retype(w.window.str_begin, QStringLiteral("2024/5/1"));
    press(w.window.chk_month);
    QCOMPARE(days(), (QStringList { "04", "03", "02", "01" }));
    QCOMPARE(w.window.msg_field->text(), summary("1000", "615", "385"));
}

void RangeQueryTest::simpleModeSortsOnlyByDateAndAmount()
{
    MayLedger may;
    ScriptedBoxes boxes;
    MayWindow w(true);
    w.run();
    const QList<QStringList> detailed = cells(w.window.DGrid);
    // The mode chosen now counts, not the one of the result on screen.
    testing::click(w.window.chk_mon_easy);
    for (QAbstractButton *refused : { w.window.cmd_stor_kind, w.window.cmd_stor_name, w.window.cmd_stor_note }) {
        press(refused);
        QCOMPARE(boxes.take(), QStringList { QStringLiteral("此等模式不支援此功能!!") });
        QVERIFY(!w.window.orderDescending());
        QCOMPARE(cells(w.window.DGrid), detailed);
    }
    press(w.window.cmd_stor_account);
    QVERIFY(boxes.texts().isEmpty());
    QVERIFY(w.window.orderDescending());
    QCOMPARE(column(w.window.DGrid, 2), (QStringList { "30000", "1000", "120.5", "100", "35" }));
    QCOMPARE(w.window.msg_field->text(), summary("31000", "255.5", "30744.5"));
}

void RangeQueryTest::largeResultFillsQuickly()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 10));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    database_access::Exec_SQL(
        QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 100000)"
                       " INSERT INTO data_main SELECT date('2024-01-01', '+' || (x % 366) || ' days'), ?, x % 2,"
                       " 'item ' || x, x % 100 + 0.5, '', x, '' FROM n"),
        { food });
    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    typeRange(window, QStringLiteral("2024/1/1"), QStringLiteral("2024/12/31"));
    testing::click(window.chk_mon_detail);
    testing::CpuTimer timer;
    timer.start();
    press(window.chk_month);
    const double elapsed = timer.elapsedMs();
    qInfo("100000 rows listed in %.0f ms of processor time", elapsed);
    QVERIFY(boxes.texts().isEmpty());
    QCOMPARE(window.DGrid->rows(), 100001);
#ifndef __SANITIZE_ADDRESS__
    // Generous for a shared machine, yet far below what a fill that slows down per row takes.
    QVERIFY2(elapsed < 5000, qPrintable(QString::number(elapsed)));
#endif
    QVERIFY(window.DGrid->textAt(100000, 0).endsWith(QLatin1Char(')')));
    QVERIFY(rowColour(window.DGrid, 100000).isValid());
}

QUILLORY_TEST_MAIN(RangeQueryTest)
#include "range_query_test.moc"
