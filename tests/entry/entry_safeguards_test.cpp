// What the daily-entry window asks before it writes something a person may not have meant:
// a correction that would become a second entry, an entry moved to another day, a far-off
// date, a kind not in the list; and what it fills in for them (the usual direction).

#include "entry/EntryWindow.h"

#include <QListWidget>

namespace {

const QStringList whichEntry = { QStringLiteral("修改這一筆"), QStringLiteral("新增一筆"), QStringLiteral("取消") };

// The day's rent and lunch, the clock on 2024/5/15; the window open on that day.
input_keyin *openOnRentDay(EntryWindow &s)
{
    s.ledger.addEntry("2024-05-15", s.transport, 0, "房租", 15000, "五月", 1);
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 805, "", 2);
    return s.open();
}

// Enter from the amount through the remark, as a person finishing a correction does.
void enterThroughAmountAndRemark(EntryWindow &s, const QString &amount)
{
    testing::retype(s.w->money_inout, amount);
    QTest::keyClick(s.w->money_inout, Qt::Key_Return);
    QTest::keyClick(s.w->note_one, Qt::Key_Return);
    EntryWindow::settle();
}

QList<QVariantList> amounts(const EntryWindow &s)
{
    return s.ledger.rows("SELECT a_date, a_content, a_count FROM data_main ORDER BY a_key");
}

} // namespace

class EntrySafeguardsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enterAfterCorrectingATakenEntryAsksWhichItMeant();
    void anEntryMovesToTheDayTypedAsOneUndoStep();
    void farOffDaysAreAskedAboutOnce();
    void theDirectionFollowsTheKindAndTheDescription();
    void aKindNotInTheListIsOfferedAsANewKind();
    void escAsksOnlyForUnsavedTyping();
};

void EntrySafeguardsTest::enterAfterCorrectingATakenEntryAsksWhichItMeant()
{
    // The choice, and what the ledger holds after it.
    const QList<QPair<int, QList<QVariantList>>> cases = {
        { 0, { { "2024-05-15", "房租", 15500.0 }, { "2024-05-15", "午餐", 805.0 } } },
        { 1,
            { { "2024-05-15", "房租", 15000.0 }, { "2024-05-15", "午餐", 805.0 }, { "2024-05-15", "房租", 15500.0 } } },
        { 2, { { "2024-05-15", "房租", 15000.0 }, { "2024-05-15", "午餐", 805.0 } } },
        { -1, { { "2024-05-15", "房租", 15000.0 }, { "2024-05-15", "午餐", 805.0 } } },
    };
    for (const auto &[choice, after] : cases) {
        EntryWindow s;
        input_keyin *w = openOnRentDay(s);
        // Taken from a query result: the entry is shown and its amount ready to be typed over.
        QVERIFY(w->showEntry(QDate(2024, 5, 15), 1));
        s.boxes.choose(choice);
        enterThroughAmountAndRemark(s, QStringLiteral("15500"));
        QCOMPARE(s.boxes.take(),
            QStringList {
                "欄位裡是 2024/5/15 (三)「房租 15000」這一筆的資料，已經改過了。\n要修改這一筆，還是新增一筆？" });
        QCOMPARE(amounts(s), after);
    }

    // Unchanged fields, or fields never taken from an entry, add at once as before.
    EntryWindow s;
    input_keyin *w = openOnRentDay(s);
    s.clickRow(2);
    QTest::keyClick(w->note_one, Qt::Key_Return);
    QCOMPARE(amounts(s).size(), 3); // the lunch taken unchanged: one more lunch
    testing::retype(w->account_name, QStringLiteral("晚餐"));
    enterThroughAmountAndRemark(s, QStringLiteral("120"));
    QCOMPARE(amounts(s).size(), 4);
    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 16730元"));
}

void EntrySafeguardsTest::anEntryMovesToTheDayTypedAsOneUndoStep()
{
    EntryWindow s;
    input_keyin *w = openOnRentDay(s);
    const QList<QVariantList> before = amounts(s);
    s.clickRow(2);
    testing::retype(w->date_new, QStringLiteral("2024/5/16"));
    QTest::keyClick(w->date_new, Qt::Key_Tab); // the next day is shown, without the lunch
    QCOMPARE(s.contents(), QStringList { "" });
    s.boxes.answer(true);
    s.press(w->data_modifty);
    QCOMPARE(s.boxes.take(), QStringList { "要把 2024/5/15 (三)「午餐 805」這一筆移到 2024/5/16 (四) 嗎？" });
    QCOMPARE(amounts(s).at(1), (QVariantList { "2024-05-16", "午餐", 805.0 }));
    QCOMPARE(s.contents(), QStringList { "午餐" });
    QCOMPARE(w->DGrid->row(), 1);

    // One step back puts it on its day again.
    QTest::keyClick(w->DGrid, Qt::Key_Z, Qt::ControlModifier);
    EntryWindow::settle();
    QCOMPARE(amounts(s), before);
    QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/15"));

    // From the remark, 修改這一筆 with another day moves it too, without a second question.
    s.clickRow(1);
    testing::retype(w->date_new, QStringLiteral("2024/5/17"));
    s.boxes.choose(0);
    enterThroughAmountAndRemark(s, QStringLiteral("15500"));
    QCOMPARE(s.boxes.take(),
        QStringList { "欄位裡是 2024/5/15 (三)「房租 15000」這一筆的資料，已經改過了。\n修改會把這一筆移到 2024/5/17 "
                      "(五)。\n要修改這一筆，還是新增一筆？" });
    QCOMPARE(amounts(s).at(0), (QVariantList { "2024-05-17", "房租", 15500.0 }));
}

void EntrySafeguardsTest::farOffDaysAreAskedAboutOnce()
{
    EntryWindow s;
    input_keyin *w = s.open();
    const auto addOn = [&](const char *day, bool yes) {
        testing::retype(w->date_new, QString::fromLatin1(day));
        s.boxes.answer(yes);
        s.add(QStringLiteral("午餐"), QStringLiteral("80"));
    };
    addOn("2062/12/8", false);
    QCOMPARE(s.boxes.take(), QStringList { "日期是 2062/12/8 (五)，比今天晚了一年以上，確定嗎？" });
    QCOMPARE(s.entries(), QList<QVariantList>());
    QCOMPARE(s.focus(), static_cast<QWidget *>(w->date_new));
    QCOMPARE(w->date_new->selectedText(), QStringLiteral("2062/12/8"));
    addOn("2062/12/8", true);
    addOn("2062/12/8", true); // the day was confirmed: not asked again
    addOn("1911/12/31", true);
    QCOMPARE(s.boxes.take(),
        QStringList({ "日期是 2062/12/8 (五)，比今天晚了一年以上，確定嗎？",
            "日期是 1911/12/31 (日)，在 1912 年以前，確定嗎？" }));
    QCOMPARE(s.boxes.pendingAnswers(), 1);
    // A year from today and 1912 itself are ordinary days.
    s.boxes.take();
    testing::retype(w->date_new, QStringLiteral("2025/5/15"));
    s.add(QStringLiteral("午餐"), QStringLiteral("80"));
    testing::retype(w->date_new, QStringLiteral("1912/1/1"));
    s.add(QStringLiteral("午餐"), QStringLiteral("80"));
    QCOMPARE(s.ledger.rows("SELECT a_date FROM data_main ORDER BY a_key"),
        QList<QVariantList>(
            { { "2062-12-08" }, { "2062-12-08" }, { "1911-12-31" }, { "2025-05-15" }, { "1912-01-01" } }));
}

void EntrySafeguardsTest::theDirectionFollowsTheKindAndTheDescription()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-01", s.salary, 1, "薪水", 50000, "", 1);
    s.ledger.addEntry("2024-05-02", s.salary, 0, "勞保", 900, "", 2);
    s.ledger.addEntry("2024-05-03", s.salary, 1, "獎金", 9000, "", 3);
    s.ledger.addEntry("2024-05-04", s.food, 0, "早午餐", 180, "", 4);
    input_keyin *w = s.open();

    // Choosing a kind sets its usual direction; a kind without entries is an expense.
    w->kind->setFocus();
    const QList<QPair<QString, int>> kinds
        = { { QStringLiteral("交通"), 0 }, { QStringLiteral("薪資"), 1 }, { QStringLiteral("餐費"), 0 } };
    for (const auto &[name, direction] : kinds) {
        while (w->kind->currentText() != name)
            QTest::keyClick(w->kind, Qt::Key_Down);
        QCOMPARE(w->inout->currentIndex(), direction);
        w->inout->setCurrentIndex(1 - direction); // the person can still change it
        w->kind->setCurrentIndex(0);
    }

    // A description taken from the suggestions brings its latest entry's kind and direction.
    testing::retype(w->account_name, QStringLiteral("薪"));
    QTest::keyClick(w->account_name, Qt::Key_Down);
    QTest::keyClick(w->account_name, Qt::Key_Return);
    QCOMPARE(w->account_name->text(), QStringLiteral("薪水"));
    QCOMPARE(w->kind->currentText(), QStringLiteral("薪資"));
    QCOMPARE(w->inout->currentIndex(), 1);
    testing::retype(w->account_name, QStringLiteral("早午"));
    QTest::keyClick(w->account_name, Qt::Key_Down);
    QTest::keyClick(w->account_name, Qt::Key_Return);
    QCOMPARE(w->kind->currentText(), QStringLiteral("餐費"));
    QCOMPARE(w->inout->currentIndex(), 0);
    QCOMPARE(s.boxes.texts(), QStringList());
}

void EntrySafeguardsTest::aKindNotInTheListIsOfferedAsANewKind()
{
    EntryWindow s;
    input_keyin *w = s.open();
    w->kind->setEditText(QStringLiteral(" 寵物 "));
    s.boxes.answer(true);
    s.add(QStringLiteral("飼料"), QStringLiteral("450"));
    QCOMPARE(s.boxes.take(), QStringList { "類別清單裡沒有「寵物」，要把它新增為一個類別嗎？" });
    const QList<QVariantList> kinds = s.ledger.rows("SELECT a_kind, name, key_order FROM kind ORDER BY key_order");
    QCOMPARE(kinds.last().mid(1), (QVariantList { "寵物", 4 }));
    QCOMPARE(s.ledger.rows("SELECT a_kind, a_content, a_kind_name FROM data_main"),
        QList<QVariantList>({ { kinds.last().first(), "飼料", "寵物" } }));
    QCOMPARE(w->kind->currentText(), QStringLiteral("寵物"));
    QCOMPARE(w->kind->count(), 4);
}

void EntrySafeguardsTest::escAsksOnlyForUnsavedTyping()
{
    EntryWindow s;
    input_keyin *w = openOnRentDay(s);
    s.clickRow(1); // filled from the grid, nothing typed: nothing to lose
    QTest::keyClick(w->money_inout, Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QCOMPARE(s.boxes.texts(), QStringList());

    w = s.open();
    testing::retype(w->money_inout, QStringLiteral("15500"));
    s.boxes.answer(false);
    QTest::keyClick(w->money_inout, Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QCOMPARE(w->money_inout->text(), QStringLiteral("15500"));
    s.add(QStringLiteral("水費"), QStringLiteral("300")); // saved: Esc closes at once again
    QTest::keyClick(w->kind, Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QCOMPARE(s.boxes.take(), QStringList { "輸入的資料還沒有存檔，確定要關閉嗎？" });
}

QUILLORY_TEST_MAIN(EntrySafeguardsTest)
#include "entry_safeguards_test.moc"
