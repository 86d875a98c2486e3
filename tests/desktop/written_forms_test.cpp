// Dates and amounts as people write them (民國 years, full-width digits and signs, grouped
// thousands, NT$ and 元) are taken by the daily-entry window's fields and the query window's
// range and year; what is still refused says what is taken; and the main menu's choice of
// 民國 or 西元 years shows in the day's grid, the query results and the year report, and is
// kept from one run to the next.

#include "app/Form1.h"
#include "entry/EntryWindow.h"
#include "platform/DateText.h"
#include "reports/QueryWindow.h"

#include <QCheckBox>

namespace {

// A refusal: its first line as before, then the forms it takes.
void checkRefusal(const QString &message, const QString &firstLine, const QStringList &named)
{
    QVERIFY2(message.startsWith(firstLine + QLatin1Char('\n')), qPrintable(message));
    for (const QString &form : named)
        QVERIFY2(message.contains(form), qPrintable(form + QStringLiteral(" not in ") + message));
}

} // namespace

class WrittenFormsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theEntryWindowTakesEveryWrittenForm()
    {
        const struct
        {
            const char *date;
            const char *amount;
            QDate day;
            double value;
        } rows[] = {
            { "113/5/1", "1,200", { 2024, 5, 1 }, 1200 },
            { "113.5.2", "1，234，567.5", { 2024, 5, 2 }, 1234567.5 },
            { "113-05-03", "NT$120", { 2024, 5, 3 }, 120 },
            { "1130504", "$ 80", { 2024, 5, 4 }, 80 },
            { "民國113年5月5日", "120元", { 2024, 5, 5 }, 120 },
            { "113年5月6日", "NT$1,200 元", { 2024, 5, 6 }, 1200 },
            { "中華民國96年5月3日", "-$20", { 2007, 5, 3 }, -20 },
            { "１１３／５／７", "－１，２００", { 2024, 5, 7 }, -1200 },
            { "　１１３．５．８　", "＋１２．５元", { 2024, 5, 8 }, 12.5 },
            { "99/12/31", "\u221280", { 2010, 12, 31 }, -80 },
            { "20240509", " 80 ", { 2024, 5, 9 }, 80 },
            { "2024年5月10日", "1e3", { 2024, 5, 10 }, 1000 },
            { "5/11", "NT$12,000,000", { 2024, 5, 11 }, 12000000 },
        };
        EntryWindow e;
        input_keyin *w = e.open();
        for (const auto &row : rows) {
            const QString what = QString::fromUtf8(row.date) + QStringLiteral(" / ") + QString::fromUtf8(row.amount);
            testing::retype(w->date_new, QString::fromUtf8(row.date));
            QTest::keyClick(w->date_new, Qt::Key_Return);
            // Large amounts and exponents are asked about, on the value read.
            const bool asked = std::abs(row.value) >= 10000000 || QByteArray(row.amount).contains('e');
            if (asked)
                e.boxes.answer(true);
            e.add(QStringLiteral("項目"), QString::fromUtf8(row.amount));
            const QStringList boxes = e.boxes.take();
            QVERIFY2(boxes.size() == (asked ? 1 : 0), qPrintable(what + QStringLiteral(": ") + boxes.join('|')));
            const QVariantList stored = e.entries().constLast();
            QVERIFY2(stored.at(0).toString() == DateText::iso(row.day) && stored.at(4).toDouble() == row.value,
                qPrintable(what + QStringLiteral(" stored as ") + stored.at(0).toString() + QLatin1Char(' ')
                    + stored.at(4).toString()));
        }
        QCOMPARE(e.entries().size(), qsizetype(std::size(rows)));
        QCOMPARE(e.boxes.unexpected(), QStringList());
    }

    void whatIsRefusedSaysWhatIsTaken()
    {
        EntryWindow e;
        input_keyin *w = e.open();
        const QStringList dateForms
            = { "2024/5/1", "113/5/1", "113.5.1", "113-05-01", "1130501", "民國113年5月1日", "113年5月1日", "5/1" };
        for (const char *date : { "112/2/29", "113/13/1", "民國2024/5/1", "113年5月1", "12345" }) {
            testing::retype(w->date_new, QString::fromUtf8(date));
            QTest::keyClick(w->date_new, Qt::Key_Tab);
            EntryWindow::settle();
            checkRefusal(e.boxes.take().value(0), QStringLiteral("請輸入正確的日期"), dateForms);
        }
        testing::retype(w->date_new, QStringLiteral("113/5/1"));
        QTest::keyClick(w->date_new, Qt::Key_Return);

        const QStringList amountForms = { "1,200", "NT$", "$120", "120元", "-20", "12.5" };
        for (const char *amount : { "1,20", "120圓", "US$5", "(120)", "--5", "1,200.5.5" }) {
            testing::retype(w->money_inout, QString::fromUtf8(amount));
            QTest::keyClick(w->money_inout, Qt::Key_Tab);
            EntryWindow::settle();
            checkRefusal(e.boxes.take().value(0), QStringLiteral("請輸入正確的金錢數字"), amountForms);
        }
        // 新增 says so too, and the 15 significant digits count on the value read.
        testing::retype(w->money_inout, QStringLiteral("1"));
        testing::retype(w->account_name, QStringLiteral("項目"));
        w->money_inout->setText(QStringLiteral("1,200圓"));
        e.press(w->data_add);
        checkRefusal(e.boxes.take().value(0), QStringLiteral("請輸入正確錢的數目"), amountForms);
        w->money_inout->setText(QStringLiteral("NT$1,234,567,890,123,456"));
        e.press(w->data_add);
        QCOMPARE(e.boxes.take(),
            QStringList({ "金額「1234567890123456」有 16 位有效數字，帳本最多只能照打的存下 15 位，請重新輸入" }));
        QCOMPARE(e.entries().size(), 0);

        check window;
        QVERIFY(querywindow::open(window));
        querywindow::runRange(window, QStringLiteral("113/2/30"), QStringLiteral("113/5/1"), true);
        checkRefusal(e.boxes.take().value(0), QStringLiteral("請輸入正確的起始時間, 至少要有年,月"), dateForms);
        querywindow::runRange(window, QStringLiteral("113/5/1"), QStringLiteral("民國"), true);
        checkRefusal(e.boxes.take().value(0), QStringLiteral("請輸入正確的結束時間, 至少要有年,月"), dateForms);
        querywindow::runYear(window, QStringLiteral("一一三"));
        checkRefusal(e.boxes.take().value(0), QStringLiteral("請輸入正確的年份格式"), { "2024", "113" });
    }

    void theQueryWindowTakesEveryWrittenRangeAndYear()
    {
        TestLedger ledger;
        testing::FixedClock clock(QDate(2024, 6, 10));
        ScriptedBoxes boxes;
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        querywindow::addEntry(ledger, QStringLiteral("2024-04-30"), food, 0, QStringLiteral("宵夜"), 3, 1);
        querywindow::addEntry(ledger, QStringLiteral("2024-05-01"), food, 0, QStringLiteral("午餐"), 100, 2);
        querywindow::addEntry(ledger, QStringLiteral("2024-05-31"), food, 0, QStringLiteral("晚餐"), 50, 3);
        querywindow::addEntry(ledger, QStringLiteral("2024-06-01"), food, 0, QStringLiteral("早餐"), 7, 4);
        check window;
        QVERIFY(querywindow::open(window));
        const char *ranges[][2] = {
            { "113/5/1", "113/5/31" },
            { "113.5.1", "113-05-31" },
            { "1130501", "1130531" },
            { "民國113年5月1日", "中華民國113年5月31日" },
            { "１１３／５／１", "１１３年５月３１日" },
            { "113/5", "20240531" },
            { "民國113/5/1", "2024/5/31" },
        };
        for (const auto &range : ranges) {
            querywindow::runRange(window, QString::fromUtf8(range[0]), QString::fromUtf8(range[1]), true);
            QVERIFY2(querywindow::column(window.DGrid, 3) == QStringList({ "午餐", "晚餐" }), range[0]);
        }
        for (const char *year : { "113", "１１３", "民國113", "2024" }) {
            querywindow::runYear(window, QString::fromUtf8(year));
            QVERIFY2(window.DGrid->textAt(5, 2) == QStringLiteral("150"), year);
        }
        QCOMPARE(boxes.texts(), QStringList());
    }

    void theMenuChoosesRocYearsForGridsAndReportsAndKeepsTheChoice()
    {
        EntryWindow e;
        querywindow::addEntry(e.ledger, QStringLiteral("2024-05-04"), e.food, 0, QStringLiteral("午餐"), 100, 1);
        {
            Form1 menu;
            QVERIFY(!menu.date_roc->isChecked());
            testing::click(menu.date_roc);
            QVERIFY(menu.date_roc->isChecked());
        }
        // The next run reads the choice back.
        DateText::setRocShown(false);
        auto menu = std::make_unique<Form1>();
        QVERIFY(menu->date_roc->isChecked());

        input_keyin *w = e.open();
        testing::retype(w->date_new, QStringLiteral("113/5/4"));
        QTest::keyClick(w->date_new, Qt::Key_Return);
        EntryWindow::settle();
        QCOMPARE(e.row(1).at(0), QStringLiteral("113/5/4"));
        e.w.reset();

        check window;
        QVERIFY(querywindow::open(window));
        querywindow::runRange(window, QStringLiteral("113/5/1"), QStringLiteral("113/5/31"), true);
        QCOMPARE(querywindow::column(window.DGrid, 0), QStringList({ "113/05/04(六)" }));
        querywindow::runYear(window, QStringLiteral("113"));
        QCOMPARE(window.DGrid->textAt(5, 0), QStringLiteral("113/05"));

        // Back to 西元, also for the next run; the ledger keeps ISO dates either way.
        testing::click(menu->date_roc);
        menu.reset();
        DateText::setRocShown(true);
        menu = std::make_unique<Form1>();
        QVERIFY(!menu->date_roc->isChecked());
        QVERIFY(!DateText::rocShown());
        querywindow::runRange(window, QStringLiteral("113/5/1"), QStringLiteral("113/5/31"), true);
        QCOMPARE(querywindow::column(window.DGrid, 0), QStringList({ "2024/05/04(六)" }));
        QCOMPARE(e.entries().value(0).value(0).toString(), QStringLiteral("2024-05-04"));
        QCOMPARE(e.boxes.texts(), QStringList());
    }
};

QUILLORY_TEST_MAIN(WrittenFormsTest)
#include "written_forms_test.moc"
