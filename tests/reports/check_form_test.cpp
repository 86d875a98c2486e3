#include "reports/QueryWindow.h"

#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"

#include <QLabel>
#include <QTimer>

using namespace querywindow;

class CheckFormTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensOnTheCurrentMonthWithNothingExtraShown();
    void kindComboListsTheTableOrder();
    void presetsFollowTheClock_data();
    void presetsFollowTheClock();
    void clockShowsTheTime();
    void viewsSwitchWithoutDrift();
};

void CheckFormTest::opensOnTheCurrentMonthWithNothingExtraShown()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 5, 17));
    check window;
    QVERIFY(open(window));
    QVERIFY(window.Timer1->isActive());
    QVERIFY(window.chkrange_1->isChecked());
    QVERIFY(window.chk_mon_easy->isChecked());
    QVERIFY(!window.chk_mon_detail->isChecked());
    QVERIFY(!window.str_begin->isEnabled());
    QVERIFY(!window.str_end->isEnabled());
    // Neither the sort buttons nor the year input show before they are asked for.
    QVERIFY(!window.Frame3->isVisible());
    QVERIFY(!window.Frame_ChkYear->isVisible());
    QVERIFY(window.DGrid->isVisible());
    QCOMPARE(window.DGrid->fixedCols(), 0);
    QCOMPARE(window.msg_field->text(), QStringLiteral("訊息欄"));
    QCOMPARE(window.orderField(), QStringLiteral("D.a_date"));
    QVERIFY(!window.orderDescending());
}

void CheckFormTest::kindComboListsTheTableOrder()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 10));
    // key_order runs against the ids: the combo follows the table, not the user's order.
    ledger.addKind(QStringLiteral("餐費"), 3);
    ledger.addKind(QStringLiteral("交通"), 1);
    ledger.addKind(QStringLiteral("O'Neil"), 2);
    check window;
    QCOMPARE(window.kind->count(), 4);
    QStringList items;
    for (int i = 0; i < window.kind->count(); ++i)
        items << window.kind->itemText(i);
    QCOMPARE(items,
        (QStringList {
            QStringLiteral("全部"), QStringLiteral("餐費"), QStringLiteral("交通"), QStringLiteral("O'Neil") }));
    QCOMPARE(window.kind->currentIndex(), 0);
}

void CheckFormTest::presetsFollowTheClock_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("monthBegin");
    QTest::addColumn<QString>("monthEnd");
    QTest::addColumn<QString>("lastBegin");
    QTest::addColumn<QString>("lastEnd");
    QTest::newRow("first of a month") << QDate(2024, 5, 1) << "2024/05/01"
                                      << "2024/05/01"
                                      << "2024/04/01"
                                      << "2024/04/30";
    QTest::newRow("January") << QDate(2024, 1, 15) << "2024/01/01"
                             << "2024/01/15"
                             << "2023/12/01"
                             << "2023/12/31";
    QTest::newRow("March, leap year") << QDate(2024, 3, 9) << "2024/03/01"
                                      << "2024/03/09"
                                      << "2024/02/01"
                                      << "2024/02/29";
    QTest::newRow("March 31, common year") << QDate(2023, 3, 31) << "2023/03/01"
                                           << "2023/03/31"
                                           << "2023/02/01"
                                           << "2023/02/28";
}

void CheckFormTest::presetsFollowTheClock()
{
    QFETCH(QDate, today);
    TestLedger ledger;
    testing::FixedClock clock(today);
    check window;
    QVERIFY(open(window));
    QTEST(window.str_begin->text(), "monthBegin");
    QTEST(window.str_end->text(), "monthEnd");
    testing::click(window.chkrange_2);
    QVERIFY(!window.str_begin->isEnabled());
    QTEST(window.str_begin->text(), "lastBegin");
    QTEST(window.str_end->text(), "lastEnd");
    // Manual input starts from the preset's dates; a preset overwrites what was typed.
    testing::click(window.chkrange_3);
    QVERIFY(window.str_begin->isEnabled() && window.str_end->isEnabled());
    QTEST(window.str_end->text(), "lastEnd");
    retype(window.str_begin, QStringLiteral("2020/1/2"));
    QCOMPARE(window.str_begin->text(), QStringLiteral("2020/1/2"));
    testing::click(window.chkrange_1);
    QVERIFY(!window.str_begin->isEnabled());
    QTEST(window.str_begin->text(), "monthBegin");
    QTEST(window.str_end->text(), "monthEnd");
}

void CheckFormTest::clockShowsTheTime()
{
    TestLedger ledger;
    testing::FixedClock clock(QDateTime(QDate(2024, 5, 17), QTime(9, 5, 7)));
    check window;
    QCOMPARE(window.Label1->text(), QStringLiteral("09:05:07"));
    Clock::set(QDateTime(QDate(2024, 5, 17), QTime(23, 59, 58)));
    QTRY_COMPARE_WITH_TIMEOUT(window.Label1->text(), QStringLiteral("23:59:58"), 1000);
}

void CheckFormTest::viewsSwitchWithoutDrift()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 5, 17));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    addEntry(ledger, QStringLiteral("2024-05-02"), food, 0, QStringLiteral("午餐"), 90, 1);
    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    // Each view's grid place is taken from its first showing; later switches must not move it.
    press(window.chk_year);
    const QRect yearView = window.DGrid->geometry();
    press(window.chk_month);
    const QRect rangeView = window.DGrid->geometry();
    QVERIFY(yearView != rangeView);

    for (int round = 0; round < 3; ++round) {
        for (int twice = 0; twice < 2; ++twice) {
            press(window.chk_year);
            QCOMPARE(window.DGrid->geometry(), yearView);
            QVERIFY(window.gridExpanded());
            QVERIFY(window.Frame_ChkYear->isVisible());
            QVERIFY(!window.DGrid->isVisible());
            QVERIFY(!window.Frame3->isVisible());
            QCOMPARE(window.chkyeartxt->text(), QStringLiteral("2024"));
        }
        // The year view keeps the last range summary until a report replaces it.
        if (round > 0)
            QVERIFY(window.msg_field->text().startsWith(QStringLiteral("本次查詢的總收入為 : 0元")));
        for (int twice = 0; twice < 2; ++twice) {
            press(window.chk_month);
            QCOMPARE(window.DGrid->geometry(), rangeView);
            QVERIFY(!window.gridExpanded());
            QVERIFY(window.Frame3->isVisible());
            QVERIFY(!window.Frame_ChkYear->isVisible());
            QVERIFY(window.DGrid->isVisible());
        }
    }

    // A query that finds nothing right after the year view leaves the grid hidden.
    press(window.chk_year);
    typeRange(window, QStringLiteral("2023/1/1"), QStringLiteral("2023/1/31"));
    press(window.chk_month);
    QVERIFY(!window.DGrid->isVisible());
    QVERIFY(window.Frame3->isVisible());
    QCOMPARE(window.DGrid->geometry(), rangeView);
    QVERIFY(boxes.texts().isEmpty());
}

QUILLORY_TEST_MAIN(CheckFormTest)
#include "check_form_test.moc"
