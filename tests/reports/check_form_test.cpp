#include "reports/QueryWindow.h"

#include "app/Form1.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QTimer>

using namespace querywindow;

class CheckFormTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensWithItsControlsInPlace();
    void kindComboListsTheTableOrder();
    void presetsFollowTheClock_data();
    void presetsFollowTheClock();
    void clockShowsTheTime();
    void viewsSwitchWithoutDrift();
    void openedFromTheMainMenu();
};

void CheckFormTest::opensWithItsControlsInPlace()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 5, 17));
    check window;
    QVERIFY(open(window));
    QCOMPARE(window.windowTitle(), QStringLiteral("查詢功能"));
    QCOMPARE(window.size(), ui::twipsSize(9435, 7155));

    const struct
    {
        QWidget *control;
        QWidget *in;
        QRect twips;
    } places[] = {
        { window.kind, &window, { 600, 120, 1335, 360 } },
        { window.account_name, &window, { 3120, 60, 4575, 405 } },
        { window.Label1, &window, { 8040, 0, 1335, 375 } },
        { window.Frame2, &window, { 120, 480, 4815, 1095 } },
        { window.chkrange_2, window.Frame2, { 2760, 240, 1455, 255 } },
        { window.str_begin, window.Frame2, { 1320, 600, 1455, 270 } },
        { window.str_end, window.Frame2, { 3000, 600, 1455, 270 } },
        { window.Frame1, &window, { 5280, 600, 2655, 855 } },
        { window.chk_mon_easy, window.Frame1, { 1440, 120, 855, 300 } },
        { window.chk_mon_detail, window.Frame1, { 1440, 480, 975, 255 } },
        { window.chk_year, &window, { 8040, 840, 1095, 375 } },
        { window.Frame3, &window, { 0, 1570, 4935, 375 } },
        { window.cmd_stor_note, window.Frame3, { 3960, 0, 735, 375 } },
        { window.DGrid, &window, { 0, 1920, 9375, 3855 } },
        { window.Frame_ChkYear, &window, { 3120, 2400, 2535, 1815 } },
        { window.chkyeartxt, window.Frame_ChkYear, { 600, 600, 1335, 615 } },
        { window.chk_year_go, window.Frame_ChkYear, { 120, 1320, 2295, 375 } },
        { window.msg_field, &window, { 0, 5760, 9375, 1455 } },
    };
    for (const auto &p : places) {
        QCOMPARE(p.control->parentWidget(), p.in);
        QCOMPARE(p.control->geometry(), ui::twipsRect(p.twips.x(), p.twips.y(), p.twips.width(), p.twips.height()));
    }

    QCOMPARE(window.Frame2->title(), QStringLiteral("查尋時段(yyyy/mm/dd)"));
    QCOMPARE(window.Frame1->title(), QStringLiteral("月查詢"));
    QCOMPARE(window.Label1->font().family(), QStringLiteral("Arial"));
    QCOMPARE(window.Timer1->interval(), 200);
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

    window.grab().save(QStringLiteral("/tmp/check-open.png"));
}

void CheckFormTest::kindComboListsTheTableOrder()
{
    TestLedger ledger;
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
    const QRect rangeView = ui::twipsRect(0, 1945, 9375, 3855);
    const QRect yearView = ui::twipsRect(0, 1570, 9375, 4230);

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

void CheckFormTest::openedFromTheMainMenu()
{
    TestLedger ledger;
    ModalDriver driver;
    bool driven = false;
    driver.next([&](QDialog *dialog) {
        auto *window = qobject_cast<check *>(dialog);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("查詢功能"));
        QVERIFY(window->isVisible());
        driven = true;
    });
    Form1 menu;
    menu.show();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    testing::click(menu.cmd_check);
    QVERIFY(driven);
    QCOMPARE(driver.shown(), QStringList { QStringLiteral("check") });
    QVERIFY(driver.unexpected().isEmpty());
}

QUILLORY_TEST_MAIN(CheckFormTest)
#include "check_form_test.moc"
