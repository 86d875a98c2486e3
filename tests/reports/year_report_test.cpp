#include "reports/QueryWindow.h"

#include "support/Refusals.h"
#include "support/ScriptedBoxes.h"

using namespace querywindow;

namespace {

QString yearSummary(const QString &income, const QString &expense, const QString &balance)
{
    return QStringLiteral("本次查詢的年收入: ") + income + QStringLiteral(" 元\n          年支出: ") + expense
        + QStringLiteral(" 元\n            總結: ") + balance + QStringLiteral(" 元");
}

} // namespace

class YearReportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sumsEveryMonth();
    void emptyYearShowsZeros();
    void refusesFutureAndBadYears();
};

void YearReportTest::sumsEveryMonth()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 15));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    const qint64 pay = ledger.addKind(QStringLiteral("薪資"), 2);
    qint64 key = 0;
    auto entry = [&](const char *date, qint64 kind, int inout, double amount) {
        addEntry(ledger, QString::fromLatin1(date), kind, inout, QStringLiteral("項目"), amount, ++key);
    };
    entry("2023-12-31", food, 0, 999); // the years around do not count
    entry("2025-01-01", pay, 1, 999);
    entry("2024-01-01", pay, 1, 100.25);
    entry("2024-01-31", food, 0, 0.5);
    entry("2024-02-01", food, 0, 1);
    entry("2024-02-29", food, 0, 0.5);
    entry("2024-03-01", food, 0, 0.5);
    entry("2024-03-01", pay, 1, 0.5);
    entry("2024-04-30", food, 0, 2.25);
    entry("2024-12-31", pay, 1, 50);
    entry("2024-12-31", food, 0, 80.75);

    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    // The report ignores the filters and the mode of the range query.
    retype(window.account_name, QStringLiteral("沒有這個"));
    QVERIFY(chooseKind(window, QStringLiteral("薪資")));
    testing::click(window.chk_mon_detail);

    press(window.chk_year);
    QCOMPARE(window.chkyeartxt->text(), QStringLiteral("2024"));
    // Enter in the year field runs the report, as Go does.
    QTest::keyClick(window.chkyeartxt, Qt::Key_Return);
    QVERIFY(boxes.texts().isEmpty());
    QVERIFY(window.DGrid->isVisible());
    QVERIFY(!window.Frame_ChkYear->isVisible());

    QList<QStringList> expected = { { "年月份", "月收入", "月支出", "月結" } };
    const QStringList income = { "100.25", "0", "0.5", "0", "0", "0", "0", "0", "0", "0", "0", "50" };
    const QStringList expense = { "0.5", "1.5", "0.5", "2.25", "0", "0", "0", "0", "0", "0", "0", "80.75" };
    const QStringList balance = { "99.75", "-1.5", "0", "-2.25", "0", "0", "0", "0", "0", "0", "0", "-30.75" };
    for (int m = 0; m < 12; ++m)
        expected << QStringList { QStringLiteral("2024/%1").arg(m + 1, 2, 10, QLatin1Char('0')), income.at(m),
            expense.at(m), balance.at(m) };
    QCOMPARE(cells(window.DGrid), expected);
    for (int r = 1; r <= 12; ++r)
        QCOMPARE(rowColour(window.DGrid, r), white);
    // The year's sums are exact, as the months are.
    QCOMPARE(window.msg_field->text(), yearSummary("150.75", "85.5", "65.25"));
}

void YearReportTest::emptyYearShowsZeros()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 15));
    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    for (const char *spelling : { "2019", " 108 " }) { // 民國108
        runYear(window, QString::fromLatin1(spelling));
        QVERIFY(boxes.texts().isEmpty());
        QCOMPARE(window.DGrid->rows(), 13);
        QCOMPARE(window.DGrid->textAt(2, 0), QStringLiteral("2019/02"));
        for (int c = 1; c < 4; ++c)
            QCOMPARE(column(window.DGrid, c), QStringList(12, QStringLiteral("0")));
        QCOMPARE(window.msg_field->text(), yearSummary("0", "0", "0"));
    }
}

void YearReportTest::refusesFutureAndBadYears()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 12, 31));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    addEntry(ledger, QStringLiteral("2024-12-31"), food, 0, QStringLiteral("年夜飯"), 3000, 1);
    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    runYear(window, QStringLiteral("2024"));
    QCOMPARE(window.msg_field->text(), yearSummary("0", "3000", "-3000"));

    const struct
    {
        const char *year;
        QString message;
    } cases[] = {
        { "2025", QStringLiteral("耍寶ㄛ? 今年2024年,你卻要查2025的帳, 演電影嗎?") },
        { "114", QStringLiteral("耍寶ㄛ? 今年2024年,你卻要查2025的帳, 演電影嗎?") }, // 民國114
        { "abcd", refusals::badYear },
    };
    for (const auto &c : cases) {
        runYear(window, QString::fromUtf8(c.year));
        QCOMPARE(boxes.take(), QStringList { c.message });
        QCOMPARE(window.chkyeartxt->text(), QStringLiteral("2024"));
        // The grid was cleared and stays hidden; the last summary stays.
        QCOMPARE(window.DGrid->rows(), 0);
        QVERIFY(!window.DGrid->isVisible());
        QVERIFY(window.Frame_ChkYear->isVisible());
        QCOMPARE(window.msg_field->text(), yearSummary("0", "3000", "-3000"));
    }
}

QUILLORY_TEST_MAIN(YearReportTest)
#include "year_report_test.moc"
