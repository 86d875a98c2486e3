#include "entry/EntryWindow.h"
#include "support/Refusals.h"

#include "store/database_access.h"

class DayViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensOnTodayReadyForTheFirstEntry();
    void tabWalksTheControlsInOrder();
    void showsTheDayInKeyOrderWithKindsAndTotal();
    void emptyDayShowsOneEmptyRowAndItsNote();
    void totalIsTheExactSumOfTheExpenses_data();
    void totalIsTheExactSumOfTheExpenses();
    void weekendIsDarkRed();
    void invalidDateKeepsThePreviousDay();
    void arrowsStepAcrossMonthAndYearEnds();
    void aFailedReadLeavesTheDayShownAndTheWindowUsable();
};

void DayViewTest::opensOnTodayReadyForTheFirstEntry()
{
    EntryWindow s;
    input_keyin *w = s.open();

    QCOMPARE(s.focus(), w->date_new);
    QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/15"));
    QCOMPARE(w->Label7->text(), QStringLiteral("(三)"));
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 0元"));

    QCOMPARE(w->inout->currentText(), QStringLiteral("支出"));
    QCOMPARE(w->kind->count(), 3);
    QCOMPARE(w->kind->currentText(), QStringLiteral("餐費"));
    QCOMPARE(w->DGrid->rows(), 2);
}

void DayViewTest::tabWalksTheControlsInOrder()
{
    EntryWindow s;
    input_keyin *w = s.open();
    const QList<QWidget *> expected
        = { w->kind, w->account_name, w->inout, w->money_inout, w->note_one, w->data_add, w->data_modifty, w->data_del,
              w->note_day, w->data_exit, w->kind_man, w->DGrid, w->cmd_up_down[0], w->cmd_up_down[1], w->date_new };
    for (QWidget *next : expected) {
        QTest::keyClick(s.focus(), Qt::Key_Tab);
        QCOMPARE(s.focus(), next);
    }
    QVERIFY(w->isVisible());
    QCOMPARE(s.boxes.texts(), QStringList());
}

void DayViewTest::showsTheDayInKeyOrderWithKindsAndTotal()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "晚餐", 100, "", 30);
    s.ledger.addEntry("2024-05-15", s.salary, 1, "薪水", 1000, "五月", 12);
    s.ledger.addEntry("2024-05-15", 999, 0, "沒有類別", 50, "", 20);
    s.ledger.addEntry("2024-05-16", s.food, 0, "隔天", 7, "", 1);
    s.ledger.addEntry("2024-05-15", s.transport, 0, "公車", 0, "小數", 40);
    input_keyin *w = s.open();

    QCOMPARE(w->DGrid->rows(), 5);
    QCOMPARE(s.row(1), QStringList({ "2024/5/15", "薪資", "收入", "薪水", "1000", "五月" }));
    QCOMPARE(s.row(2), QStringList({ "2024/5/15", "", "支出", "沒有類別", "50", "" }));
    QCOMPARE(s.row(3), QStringList({ "2024/5/15", "餐費", "支出", "晚餐", "100", "" }));
    QCOMPARE(s.row(4), QStringList({ "2024/5/15", "交通", "支出", "公車", "0", "小數" }));
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 150元"));
    QCOMPARE(w->DGrid->row(), 0);
}

void DayViewTest::emptyDayShowsOneEmptyRowAndItsNote()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1);
    s.ledger.addEntry("2024-05-15", s.food, 0, "晚餐", 120, "", 2);
    s.ledger.setDayNote("2024-05-16", "休假");
    input_keyin *w = s.open();
    QCOMPARE(w->DGrid->rows(), 3);

    QTest::keyClick(w->date_new, Qt::Key_Down);
    QCOMPARE(w->DGrid->rows(), 2);
    QCOMPARE(s.row(1), QStringList({ "", "", "", "", "", "" }));
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 0元"));
    QCOMPARE(w->note_day->text(), QStringLiteral("休假"));
    QCOMPARE(w->DGrid->row(), 0);
}

void DayViewTest::totalIsTheExactSumOfTheExpenses_data()
{
    QTest::addColumn<QList<double>>("amounts");
    QTest::addColumn<QString>("caption");
    QTest::newRow("0.5 + 0.5") << QList<double> { 0.5, 0.5 } << QStringLiteral("今天支出 1元");
    QTest::newRow("120 + 12.5 + 12.5") << QList<double> { 120, 12.5, 12.5 } << QStringLiteral("今天支出 145元");
    QTest::newRow("2.5 + 0.4") << QList<double> { 2.5, 0.4 } << QStringLiteral("今天支出 2.9元");
    QTest::newRow("cents") << QList<double> { 10000.01, 600.3, 71.06 } << QStringLiteral("今天支出 10671.37元");
    QTest::newRow("large") << QList<double> { 3000000000.0, 1 } << QStringLiteral("今天支出 3000000001元");
    // Past 2^53 a double can hold only even whole numbers; the total stays exact.
    QTest::newRow("past 2^53") << QList<double>(11, 999999999999999.0)
                               << QStringLiteral("今天支出 10999999999999989元");
    QTest::newRow("negative") << QList<double> { -2.5, 0.75, -1.5 } << QStringLiteral("今天支出 -3.25元");
}

void DayViewTest::totalIsTheExactSumOfTheExpenses()
{
    QFETCH(QList<double>, amounts);
    QFETCH(QString, caption);
    EntryWindow s;
    qint64 key = 0;
    for (double amount : amounts)
        s.ledger.addEntry("2024-05-15", s.food, 0, "x", amount, "", ++key);
    s.ledger.addEntry("2024-05-15", s.salary, 1, "收入不算", 0.5, "", ++key);
    input_keyin *w = s.open();
    QCOMPARE(w->Label6->text(), caption);
}

void DayViewTest::weekendIsDarkRed()
{
    EntryWindow s;
    input_keyin *w = s.open();
    const QColor normal = w->palette().color(QPalette::ButtonText);
    QVERIFY(normal != QColor(192, 0, 0));
    const struct
    {
        const char *date;
        const char *caption;
        bool weekend;
    } days[] = { { "2024/5/18", "(六)", true }, { "2024/5/19", "(日)", true }, { "2024/5/20", "(一)", false },
        { "2024/5/17", "(五)", false } };
    for (const auto &day : days) {
        testing::retype(w->date_new, QString::fromLatin1(day.date));
        QTest::keyClick(w->date_new, Qt::Key_Return);
        QCOMPARE(w->Label7->text(), QString::fromUtf8(day.caption));
        QCOMPARE(w->Label7->palette().color(QPalette::WindowText), day.weekend ? QColor(192, 0, 0) : normal);
    }
}

void DayViewTest::invalidDateKeepsThePreviousDay()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1);
    s.ledger.addEntry("2024-05-16", s.food, 0, "隔天", 5, "", 2);
    s.ledger.setDayNote("2024-05-15", "原本的註解");
    input_keyin *w = s.open();

    for (const QString &bad : { QStringLiteral("2024/2/30"), QStringLiteral("明天"), QStringLiteral("") }) {
        testing::retype(w->date_new, bad);
        QTest::keyClick(w->date_new, Qt::Key_Tab);
        QCOMPARE(s.boxes.take(), QStringList({ refusals::badDate }));
        QCOMPARE(s.focus(), w->date_new);
        QCOMPARE(w->date_new->text(), bad);
        QCOMPARE(w->date_new->selectedText(), bad); // ready to be typed over
        QCOMPARE(w->Label7->text(), QString());
        QCOMPARE(s.contents(), QStringList({ "午餐" }));
        QCOMPARE(w->note_day->text(), QStringLiteral("原本的註解"));
    }

    // Enter on a bad date complains once and stays; on a good one it loads the day and moves on.
    testing::retype(w->date_new, "2024/13/1");
    QTest::keyClick(w->date_new, Qt::Key_Return);
    QCOMPARE(s.boxes.take(), QStringList({ refusals::badDate }));
    QCOMPARE(s.focus(), w->date_new);
    QCOMPARE(s.contents(), QStringList({ "午餐" }));

    // Any form the date reader knows is accepted and shows that day.
    testing::retype(w->date_new, "2024-05-16");
    QTest::keyClick(w->date_new, Qt::Key_Return);
    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(s.focus(), w->kind);
    QCOMPARE(s.contents(), QStringList({ "隔天" }));
    QCOMPARE(w->Label7->text(), QStringLiteral("(四)"));
    QCOMPARE(w->note_day->text(), QString());
}

void DayViewTest::arrowsStepAcrossMonthAndYearEnds()
{
    EntryWindow s;
    s.ledger.addEntry("2025-01-01", s.food, 0, "元旦", 1, "", 1);
    input_keyin *w = s.open();
    const struct
    {
        const char *from;
        Qt::Key key;
        const char *to;
    } steps[] = { { "2024/5/31", Qt::Key_Down, "2024/6/1" }, { "2024/12/31", Qt::Key_Down, "2025/1/1" },
        { "2025/1/1", Qt::Key_Up, "2024/12/31" }, { "2024/3/1", Qt::Key_Up, "2024/2/29" },
        { "2023/2/28", Qt::Key_Down, "2023/3/1" }, { "2024/05/09", Qt::Key_Down, "2024/5/10" } };
    for (const auto &step : steps) {
        testing::retype(w->date_new, QString::fromLatin1(step.from));
        QTest::keyClick(w->date_new, step.key);
        QCOMPARE(w->date_new->text(), QString::fromLatin1(step.to));
        QCOMPARE(s.focus(), w->date_new);
    }
    testing::retype(w->date_new, "2024/12/30");
    QTest::keyClick(w->date_new, Qt::Key_Down);
    QTest::keyClick(w->date_new, Qt::Key_Down);
    QCOMPARE(w->date_new->text(), QStringLiteral("2025/1/1"));
    QCOMPARE(s.contents(), QStringList({ "元旦" }));
    QCOMPARE(w->Label7->text(), QStringLiteral("(三)"));

    // Text that is no date steps from today.
    testing::retype(w->date_new, "亂打");
    QTest::keyClick(w->date_new, Qt::Key_Down);
    QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/16"));
    testing::retype(w->date_new, "2024/2/30");
    QTest::keyClick(w->date_new, Qt::Key_Up);
    QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/14"));
    QCOMPARE(s.boxes.texts(), QStringList());
}

void DayViewTest::aFailedReadLeavesTheDayShownAndTheWindowUsable()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1);
    s.ledger.addEntry("2024-05-16", s.food, 0, "隔天", 5, "", 2);
    s.ledger.setDayNote("2024-05-15", "今天");
    input_keyin *w = s.open();

    database_access::Exec_SQL("ALTER TABLE data_note RENAME TO data_note_away");
    QTest::keyClick(w->date_new, Qt::Key_Down);
    const QStringList shown = s.boxes.take();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first().contains("data_note"));
    QCOMPARE(s.contents(), QStringList({ "午餐" }));
    QCOMPARE(w->note_day->text(), QStringLiteral("今天"));
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 80元"));

    database_access::Exec_SQL("ALTER TABLE data_note_away RENAME TO data_note");
    QTest::keyClick(w->date_new, Qt::Key_Down);
    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/17"));
    QTest::keyClick(w->date_new, Qt::Key_Up);
    QCOMPARE(s.contents(), QStringList({ "隔天" }));
}

QUILLORY_TEST_MAIN(DayViewTest)
#include "input_keyin_dayview_test.moc"
