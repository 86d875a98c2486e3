// Budgets held against what each kind spent: the report, the year report and the daily-entry
// window agree, a month of its own beats the monthly amount, and a kind keeps or loses its budget
// with the kind.
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include "entry/input_keyin.h"
#include "kinds/mang_kind.h"
#include "reports/BudgetEditor.h"
#include "reports/BudgetWindow.h"
#include "reports/chart_view.h"
#include "store/BudgetStore.h"
#include "store/KindStore.h"
#include "store/ReportStore.h"
#include "ui/PushButton.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

// 餐費 with 5,000 a month and 8,000 in February, 交通 without a budget; in January 餐費 spent
// 5,200 and 交通 100.5, in February 餐費 3,000.
struct Budgets
{
    testing::FixedClock clock { QDate(2024, 1, 20) };
    TestLedger ledger;
    ScriptedBoxes boxes;
    qint64 food = ledger.addKind(u"餐費"_s, 1);
    qint64 fare = ledger.addKind(u"交通"_s, 2);
    qint64 pay = ledger.addKind(u"薪資"_s, 3);

    Budgets()
    {
        ledger.addEntry("2024-01-05", food, 0, u"聚餐"_s, 5000.25, {}, 1, u"餐費"_s);
        ledger.addEntry("2024-01-06", food, 0, u"早餐"_s, 199.75, {}, 2, u"餐費"_s);
        ledger.addEntry("2024-01-07", fare, 0, u"捷運"_s, 100.5, {}, 3, u"交通"_s);
        ledger.addEntry("2024-01-08", pay, 1, u"薪水"_s, 50000, {}, 4, u"薪資"_s);
        ledger.addEntry("2024-02-01", food, 0, u"年夜飯"_s, 3000, {}, 5, u"餐費"_s);
        BudgetStore::setMonthly(food, Decimal(5000));
        BudgetStore::setMonth(food, QDate(2024, 2, 1), Decimal(8000));
    }
};

QStringList lines(int year, int month)
{
    QStringList out;
    for (const BudgetStore::Line &line : BudgetStore::report(year, month))
        out << u"%1 %2 %3"_s.arg(line.name, line.budget ? line.budget->text() : u"-"_s, line.actual.text());
    return out;
}

QStringList shown(BudgetWindow &w)
{
    QStringList out;
    const QAbstractItemModel *m = w.report->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->index(r, c).data().toString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace

class BudgetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theReportAgreesWithTheYearReport()
    {
        Budgets s;
        QCOMPARE(lines(2024, 1), QStringList({ "餐費 5000 5200", "交通 - 100.5" }));
        QCOMPARE(lines(2024, 2), QStringList({ "餐費 8000 3000" }));
        QCOMPARE(lines(2024, 0), QStringList({ "餐費 63000 8200", "交通 - 100.5" }));
        const QVector<ReportStore::MonthSums> months = ReportStore::monthSums(2024);
        for (int m = 1; m <= 2; ++m) {
            Decimal spent;
            for (const BudgetStore::Line &line : BudgetStore::report(2024, m))
                spent += line.actual;
            QCOMPARE(spent, *months[m - 1].expense);
        }
        // The chart window draws each budgeted kind's budget beside what it spent.
        chart_view view(ChartQuery::ofYear(2024));
        const auto *series = static_cast<QBarSeries *>(view.chartAt(view.tabOf(chart_view::Page::Budget))->series()[0]);
        QCOMPARE(QList<qreal>({ series->barSets().at(0)->at(0), series->barSets().at(1)->at(0) }),
            QList<qreal>({ 63000, 8200 }));
        // A renamed kind keeps its budget; a deleted one loses it, after being asked.
        KindStore::renameKind(s.food, u"伙食"_s);
        QCOMPARE(lines(2024, 2), QStringList({ "伙食 8000 3000" }));
        BudgetStore::setMonthly(s.fare, Decimal(300));
        s.ledger.rows(u"DELETE FROM data_main WHERE a_kind = ?"_s, { s.fare });
        ModalDriver modal;
        mang_kind manager;
        testing::showActive(&manager);
        manager.kind->setCurrentRow(1);
        s.boxes.answer(false); // not this time: nothing goes
        testing::click(manager.kind_del);
        QVERIFY(BudgetStore::hasBudget(s.fare));
        s.boxes.answer(true);
        s.boxes.answer(true);
        testing::click(manager.kind_del);
        QVERIFY(s.boxes.take().at(1).contains(u"連它的預算一起刪除"_s));
        QVERIFY(!BudgetStore::hasBudget(s.fare));
    }

    // The daily-entry window and the budget window say what is left; a chart without budgets says
    // so; the budgets are set in the editor.
    void theWindowsShowWhatIsLeft()
    {
        Budgets s;
        input_keyin entry;
        testing::showActive(&entry);
        entry.kind->setCurrentIndex(0);
        QCOMPARE(entry.budget_left->text(), u"餐費本月超出預算 200 元"_s);
        entry.kind->setCurrentIndex(1);
        QCOMPARE(entry.budget_left->text(), QString());
        entry.kind->setCurrentIndex(0);
        testing::retype(entry.date_new, u"2024/2/3"_s);
        QTest::keyClick(entry.date_new, Qt::Key_Return);
        QCOMPARE(entry.budget_left->text(), u"餐費本月預算還剩 5,000 元"_s);
        BudgetWindow w(QDate(2024, 1, 1));
        QCOMPARE(shown(w),
            QStringList({ "餐費|5,000|5,200|-200|104 %", "未編列預算||||", "　交通||100.5||",
                "合計|5,000|5,300.5|-300.5|106 %" }));
        w.month->setValue(2);
        QCOMPARE(shown(w).first(), u"餐費|8,000|3,000|5,000|38 %"_s);
        w.over_only->setChecked(true);
        QCOMPARE(shown(w), QStringList({ "合計|8,000|3,000|5,000|38 %" }));
        w.period->setCurrentIndex(1);
        QCOMPARE(shown(w).last(), u"合計|63,000|8,300.5|54,699.5|13 %"_s);
        w.period->setCurrentIndex(0);
        w.report->grab(); // the bars are drawn
        // A budget of 0 has no share; a month without budgets nor spending has a total alone.
        BudgetStore::setMonth(s.food, QDate(2024, 3, 1), Decimal(0));
        w.over_only->setChecked(false);
        w.month->setValue(3);
        QCOMPARE(shown(w), QStringList({ "餐費|0|0|0|—", "合計|0|0|0|—" }));
        w.month->setValue(4);
        BudgetStore::setMonthly(s.food, std::nullopt);
        w.load();
        QCOMPARE(shown(w), QStringList({ "合計||0||" }));
        chart_view none(ChartQuery::ofRange({ QDate(2024, 1, 1), QDate(2024, 1, 31), {}, std::nullopt }));
        QVERIFY(none.chartAt(none.tabOf(chart_view::Page::Budget))->title().contains(u"還沒有設定預算"_s));

        // 設定預算 checks every amount before it saves any, and saves them as one change.
        BudgetStore::setMonthly(s.food, Decimal(5000));
        ModalDriver modal;
        modal.next([&s](QDialog *dialog) {
            auto *model = static_cast<QStandardItemModel *>(static_cast<BudgetEditor *>(dialog)->budgets->model());
            model->item(1, 1)->setText(u"NT$1,200"_s);
            model->item(2, 2)->setText(u"-5"_s);
            model->item(0, 1)->setText(QString());
            testing::click(dialog->findChild<QPushButton *>(u"ok"_s));
            QVERIFY(s.boxes.take().first().startsWith(u"「薪資」的預算請輸入 0 或以上的金額"_s));
            QCOMPARE(BudgetStore::monthly().size(), 1);
            model->item(2, 2)->setText(QString());
            testing::click(dialog->findChild<QPushButton *>(u"ok"_s));
        });
        testing::click(w.cmd_set);
        QCOMPARE(lines(2024, 1), QStringList({ "交通 1200 100.5", "餐費 - 5200" }));
        QCOMPARE(lines(2024, 2), QStringList({ "餐費 8000 3000", "交通 1200 0" }));
        QVERIFY(modal.unexpected().isEmpty());
    }
};

QUILLORY_TEST_MAIN(BudgetTest)
#include "budget_test.moc"
