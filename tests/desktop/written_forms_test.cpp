// Dates and amounts typed with a Chinese input method's full-width digits, ．－／ and
// full-width blanks are read, checked and stored as their ASCII forms, in the daily-entry
// window and in the query window; anything else full-width is still refused.

#include "entry/EntryWindow.h"
#include "platform/Numbers.h"
#include "reports/QueryWindow.h"

class WideDigitsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theAsciiFormMapsOnlyTheWideDigitsAndMarks()
    {
        QCOMPARE(Numbers::asciiForm(QStringLiteral("０１２３４５６７８９．－／　")), QStringLiteral("0123456789.-/ "));
        // Other full-width signs, letters and Chinese text stay as they are.
        QCOMPARE(Numbers::asciiForm(QStringLiteral("１２０元＋ｅ，")), QStringLiteral("120元＋ｅ，"));
    }

    void theEntryWindowStoresWideDatesAndAmountsAsAscii()
    {
        EntryWindow e;
        input_keyin *w = e.open();
        testing::retype(w->date_new, QStringLiteral("２０２４／５／４"));
        QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/4"));
        QTest::keyClick(w->date_new, Qt::Key_Return);
        EntryWindow::settle();
        QCOMPARE(w->Label7->text(), QStringLiteral("(六)"));

        // Full-width blanks around the amount are blanks, trimmed like any other.
        e.add(QStringLiteral("午餐"), QStringLiteral("　１２０．５　"));
        QCOMPARE(e.boxes.texts(), QStringList());
        e.add(QStringLiteral("退款"), QStringLiteral("－３０"));
        QCOMPARE(e.boxes.texts(), QStringList());
        const QList<QVariantList> stored = e.entries();
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored.at(0).at(0).toString(), QStringLiteral("2024-05-04"));
        QCOMPARE(stored.at(0).at(4).toDouble(), 120.5);
        QCOMPARE(stored.at(1).at(4).toDouble(), -30.0);
        QCOMPARE(e.row(1).at(4), QStringLiteral("120.5"));

        // What was not a number before is still not one.
        e.add(QStringLiteral("晚餐"), QStringLiteral("１２０元"));
        QCOMPARE(e.boxes.take().value(0), QStringLiteral("請輸入正確的金錢數字"));
        QCOMPARE(e.entries().size(), 2);
        testing::retype(w->money_inout, QStringLiteral("１"));
        e.boxes.take();

        // A wide date that is not a date is refused as before.
        testing::retype(w->date_new, QStringLiteral("２０２４／１３／４"));
        QTest::keyClick(w->date_new, Qt::Key_Tab);
        EntryWindow::settle();
        QCOMPARE(e.boxes.take().value(0), QStringLiteral("請輸入正確的日期"));
    }

    void theQueryWindowReadsWideRangesAndYears()
    {
        TestLedger ledger;
        testing::FixedClock clock(QDate(2024, 6, 10));
        ScriptedBoxes boxes;
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        querywindow::addEntry(ledger, QStringLiteral("2024-05-01"), food, 0, QStringLiteral("午餐"), 100, 1);
        querywindow::addEntry(ledger, QStringLiteral("2024-05-31"), food, 0, QStringLiteral("晚餐"), 50, 2);
        querywindow::addEntry(ledger, QStringLiteral("2024-06-01"), food, 0, QStringLiteral("早餐"), 7, 3);
        check window;
        QVERIFY(querywindow::open(window));
        querywindow::typeRange(window, QStringLiteral("２０２４／０５／０１"), QStringLiteral("　２０２４－５－３１"));
        QCOMPARE(window.str_begin->text(), QStringLiteral("2024/05/01"));
        QCOMPARE(window.str_end->text(), QStringLiteral(" 2024-5-31"));
        querywindow::press(window.chk_mon_detail);
        querywindow::press(window.chk_month);
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(
            querywindow::column(window.DGrid, 3), (QStringList { QStringLiteral("午餐"), QStringLiteral("晚餐") }));

        querywindow::press(window.chk_year);
        testing::retype(window.chkyeartxt, QStringLiteral("２０２４"));
        QCOMPARE(window.chkyeartxt->text(), QStringLiteral("2024"));
        querywindow::press(window.chk_year_go);
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(window.DGrid->textAt(5, 2), QStringLiteral("150"));
        QCOMPARE(window.DGrid->textAt(6, 2), QStringLiteral("7"));
    }
};

QUILLORY_TEST_MAIN(WideDigitsTest)
#include "wide_digits_test.moc"
