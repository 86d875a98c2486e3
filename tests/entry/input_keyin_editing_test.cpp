#include "entry/EntryWindow.h"
#include "support/Refusals.h"

#include "app/WindowOpeners.h"

#include "store/database_access.h"
#include "support/ModalDriver.h"

#include <QDialog>

#include <limits>

namespace {

// Fills the entry fields as a person would, kind picked from the list.
void fill(
    EntryWindow &s, int kindIndex, int inoutIndex, const QString &name, const QString &amount, const QString &remark)
{
    s.w->kind->setCurrentIndex(kindIndex);
    s.w->inout->setCurrentIndex(inoutIndex);
    testing::retype(s.w->account_name, name);
    testing::retype(s.w->money_inout, amount);
    testing::retype(s.w->note_one, remark);
}

QVariantList entry(const char *date, qint64 kind, int inout, const QString &content, double count, const QString &note,
    qint64 key, const QString &kindName)
{
    return { QString::fromLatin1(date), kind, inout, content, count, note, key, kindName };
}

} // namespace

class EditingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addWritesTheFieldsAndGetsReadyForTheNext();
    void newKeysFollowTheHighestKey();
    void amountAndNameAreCheckedBeforeWriting();
    void enterWalksTheFieldsAndAddsFromTheRemark();
    void kindMustBeOneOfTheList();
    void gridClickCopiesTheRowIntoTheFields();
    void modifyChangesTheCurrentRowOnly();
    void modifyAndDeleteNeedAnEntryRow();
    void deleteAsksAboutTheCurrentRowAndActsOnlyOnYes();
    void editedDateIsLoadedBeforeTheCommand();
    void moveExchangesKeysWithNeighboursButNotPastTheEnds();
    void kindManagerRefreshesTheKinds();
};

void EditingTest::addWritesTheFieldsAndGetsReadyForTheNext()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 40, "", 7);
    input_keyin *w = s.open();

    fill(s, 1, 1, "  計程車", " 80 ", "  回家  ");
    s.press(w->data_add);

    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(s.entries().last(), entry("2024-05-15", s.transport, 1, "  計程車", 80, "回家", 8, "交通"));
    QCOMPARE(s.contents(), QStringList({ "早餐", "  計程車" }));
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 40元"));
    QCOMPARE(w->note_one->text(), QString());
    QCOMPARE(w->account_name->text(), QStringLiteral("  計程車"));
    QCOMPARE(w->money_inout->text(), QStringLiteral(" 80 "));
    QCOMPARE(w->kind->currentText(), QStringLiteral("交通"));
    QCOMPARE(w->inout->currentIndex(), 1);
    // The entry just added is the current row, so 修改 and 刪除 act on it.
    QCOMPARE(w->DGrid->row(), 2);
    QCOMPARE(s.focus(), w->kind);

    // A fraction and an exponent are numbers too; an exponent is asked about first.
    testing::retype(w->money_inout, "2.5e1");
    s.boxes.answer(true);
    s.press(w->data_add);
    QCOMPARE(s.boxes.take(), QStringList { "金額是 25 元，確定嗎？" });
    QCOMPARE(s.entries().last().at(4).toDouble(), 25.0);
    QCOMPARE(s.entries().last().at(6).toLongLong(), 9);
}

void EditingTest::newKeysFollowTheHighestKey()
{
    EntryWindow s;
    input_keyin *w = s.open();
    fill(s, 0, 0, "第一筆", "1", "");
    s.press(w->data_add);
    QCOMPARE(s.ledger.scalar("SELECT a_key FROM data_main").toLongLong(), 1);

    database_access::Exec_SQL("DELETE FROM data_main");
    for (int key = 1; key <= 41; ++key)
        s.ledger.addEntry(key >= 40 ? "2024-05-15" : "2024-05-01", s.food, 0, QString::number(key), 1, "", key);
    QTest::keyClick(w->date_new, Qt::Key_Return);
    QCOMPARE(s.contents(), QStringList({ "40", "41" }));

    // Deleting the highest key frees it; deleting a lower one does not.
    s.deleteRow(2);
    s.press(w->data_add);
    QCOMPARE(s.ledger.scalar("SELECT max(a_key) FROM data_main").toLongLong(), 41);
    s.deleteRow(1);
    s.press(w->data_add);
    QCOMPARE(s.ledger.rows("SELECT a_key FROM data_main WHERE a_key >= 40 ORDER BY a_key"),
        QList<QVariantList>({ { 41 }, { 42 } }));

    // Keys are 64-bit: nothing wraps past 32767.
    s.ledger.addEntry("2024-05-01", s.food, 0, "大", 1, "", 40000);
    s.press(w->data_add);
    QCOMPARE(s.ledger.scalar("SELECT max(a_key) FROM data_main").toLongLong(), 40001);
    QCOMPARE(s.boxes.texts(), QStringList());

    // Past the largest key there is none to give: the add is refused and nothing is written,
    // the day's note neither.
    const qint64 largest = std::numeric_limits<qint64>::max();
    s.ledger.addEntry("2024-05-01", s.food, 0, "最大", 1, "", largest);
    const QList<QVariantList> before = s.entries();
    w->note_day->setText(QStringLiteral("新的記事"));
    s.press(w->data_add);
    QCOMPARE(s.entries(), before);
    QCOMPARE(s.notes(), QList<QVariantList>());
    const QStringList told = s.boxes.take();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().contains(QStringLiteral("最大的帳目編號已經是 9223372036854775807"))
            && told.first().contains(QStringLiteral("沒有新增")),
        qPrintable(told.first()));
}

void EditingTest::amountAndNameAreCheckedBeforeWriting()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1);
    input_keyin *w = s.open();
    testing::retype(w->account_name, "晚餐");

    for (const QString &bad : { QStringLiteral("abc"), QStringLiteral("   ") }) {
        testing::retype(w->money_inout, bad);
        QTest::keyClick(w->money_inout, Qt::Key_Tab);
        QCOMPARE(s.boxes.take(), QStringList({ refusals::badAmountOnLeaving }));
        QCOMPARE(s.focus(), w->money_inout);
        QCOMPARE(w->money_inout->selectedText(), bad);
    }

    // An empty amount passes the leave check; adding and modifying refuse it.
    testing::retype(w->money_inout, "");
    QTest::keyClick(w->money_inout, Qt::Key_Tab);
    QCOMPARE(s.focus(), w->note_one);
    s.press(w->data_add);
    QCOMPARE(s.boxes.take(), QStringList({ refusals::badAmountOnAdding }));
    QCOMPARE(s.focus(), w->money_inout);
    s.clickRow(1);
    w->money_inout->clear();
    s.press(w->data_modifty);
    QCOMPARE(s.boxes.take(), QStringList({ refusals::badAmountOnAdding }));
    QCOMPARE(s.focus(), w->money_inout);

    // The amount is checked before the name; a blank name is refused by both commands.
    w->account_name->setText("   ");
    s.press(w->data_add);
    QCOMPARE(s.boxes.take(), QStringList({ refusals::badAmountOnAdding }));
    w->money_inout->setText("5");
    s.press(w->data_add);
    QCOMPARE(s.boxes.take(), QStringList({ "請輸入正確的帳目名稱" }));
    QCOMPARE(s.focus(), w->account_name);
    s.clickRow(1);
    w->account_name->setText("   ");
    s.press(w->data_modifty);
    QCOMPARE(s.boxes.take(), QStringList({ "請輸入正確的帳目名稱" }));
    QCOMPARE(s.entries(), QList<QVariantList>({ entry("2024-05-15", s.food, 0, "午餐", 80, "", 1, "") }));
}

void EditingTest::enterWalksTheFieldsAndAddsFromTheRemark()
{
    EntryWindow s;
    input_keyin *w = s.open();
    w->account_name->setText("舊的");
    w->money_inout->setText("12");

    // Every key goes to whatever has the focus, as a person's keys do.
    const auto enter = [&s] { QTest::keyClick(s.focus(), Qt::Key_Return); };
    testing::click(w->date_new);
    enter();
    QCOMPARE(s.focus(), w->kind);
    enter();
    QCOMPARE(s.focus(), w->account_name);
    QCOMPARE(w->account_name->selectedText(), QStringLiteral("舊的"));
    testing::typeText(s.focus(), "公車");
    enter();
    QCOMPARE(s.focus(), w->inout);
    enter();
    QCOMPARE(s.focus(), w->money_inout);
    QCOMPARE(w->money_inout->selectedText(), QStringLiteral("12"));
    QTest::keyClicks(s.focus(), "15");
    enter();
    QCOMPARE(s.focus(), w->note_one);
    testing::typeText(s.focus(), "上班");
    QCOMPARE(s.entries().size(), 0);
    enter();

    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(s.entries(), QList<QVariantList>({ entry("2024-05-15", s.food, 0, "公車", 15, "上班", 1, "餐費") }));
    QCOMPARE(s.focus(), w->kind);
    QCOMPARE(w->note_one->text(), QString());

    // Enter in the remark runs the same checks as the button, and a bad amount stops the walk.
    w->account_name->clear();
    QTest::keyClick(w->note_one, Qt::Key_Return);
    QCOMPARE(s.boxes.take(), QStringList({ "請輸入正確的帳目名稱" }));
    testing::retype(w->money_inout, "十元");
    QTest::keyClick(w->money_inout, Qt::Key_Return);
    QCOMPARE(s.boxes.take(), QStringList({ refusals::badAmountOnLeaving }));
    QCOMPARE(s.focus(), w->money_inout);
    QCOMPARE(s.entries().size(), 1);
}

void EditingTest::kindMustBeOneOfTheList()
{
    {
        // A kind typed in full is that kind, wherever the list stood.
        EntryWindow s;
        input_keyin *w = s.open();
        fill(s, 0, 0, "咖啡", "60", "");
        w->kind->setEditText("薪資");
        s.press(w->data_add);
        QCOMPARE(s.entries().size(), 1);
        QCOMPARE(s.entries().first().at(1).toLongLong(), s.salary);
        QCOMPARE(s.entries().first().at(7).toString(), QStringLiteral("薪資"));
    }
    {
        // Without any kind the day still shows, but nothing can be added or modified.
        EntryWindow s(false);
        s.ledger.addEntry("2024-05-15", 1, 0, "舊帳", 10, "", 1);
        input_keyin *w = s.open();
        QCOMPARE(s.boxes.texts(), QStringList());
        QCOMPARE(w->kind->count(), 0);
        QCOMPARE(s.row(1), QStringList({ "2024/5/15", "", "支出", "舊帳", "10", "" }));
        QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 10元"));
        fill(s, -1, 0, "咖啡", "60", "");
        s.press(w->data_add);
        s.clickRow(1);
        s.press(w->data_modifty);
        QCOMPARE(s.boxes.take(), QStringList({ "請選擇正確的類別", "請選擇正確的類別" }));
        QCOMPARE(s.entries(), QList<QVariantList>({ entry("2024-05-15", 1, 0, "舊帳", 10, "", 1, "") }));
    }
}

void EditingTest::gridClickCopiesTheRowIntoTheFields()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.salary, 1, "薪水", 35.5, "五月", 1);
    s.ledger.addEntry("2024-05-15", 999, 0, "無類別", 7, "", 2);
    s.ledger.addEntry("2024-05-16", s.food, 0, "隔天", 1, "", 3);
    input_keyin *w = s.open();

    // The header row is current after a load; clicking it takes the first entry.
    s.clickHeader();
    QCOMPARE(w->DGrid->row(), 1);
    QCOMPARE(w->kind->currentText(), QStringLiteral("薪資"));
    QCOMPARE(w->inout->currentIndex(), 1);
    QCOMPARE(w->account_name->text(), QStringLiteral("薪水"));
    QCOMPARE(w->money_inout->text(), QStringLiteral("35.5"));
    QCOMPARE(w->note_one->text(), QStringLiteral("五月"));
    QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/15"));

    // A kind that is not in the list leaves the kind box alone.
    s.clickRow(2);
    QCOMPARE(w->DGrid->row(), 2);
    QCOMPARE(w->kind->currentText(), QStringLiteral("薪資"));
    QCOMPARE(w->inout->currentIndex(), 0);
    QCOMPARE(w->account_name->text(), QStringLiteral("無類別"));
    QCOMPARE(w->note_one->text(), QString());

    // The empty row of a day without entries copies nothing.
    QTest::keyClick(w->date_new, Qt::Key_Up);
    s.clickRow(1);
    QCOMPARE(w->account_name->text(), QStringLiteral("無類別"));
    QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/14"));

    // Selecting by dragging or with Shift collapses to the current row on release.
    QTest::keyClick(w->date_new, Qt::Key_Down);
    ::DGrid *grid = w->DGrid;
    s.clickRow(1);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    s.settle();
    QCOMPARE(grid->row(), 2);
    QCOMPARE(grid->rowSel(), 2);
    QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(w->account_name->text(), QStringLiteral("薪水"));
}

void EditingTest::modifyChangesTheCurrentRowOnly()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1, "餐費");
    s.ledger.addEntry("2024-05-15", s.food, 0, "晚餐", 120, "", 2, "餐費");
    input_keyin *w = s.open();

    s.clickRow(2);
    w->kind->setCurrentIndex(1);
    w->inout->setCurrentIndex(1);
    w->account_name->setText("  退款  ");
    w->money_inout->setText(" 30 ");
    w->note_one->setText(" 發票 ");
    testing::click(w->data_modifty);
    s.settle();

    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(s.entries(),
        QList<QVariantList>({ entry("2024-05-15", s.food, 0, "午餐", 80, "", 1, "餐費"),
            entry("2024-05-15", s.transport, 1, "退款", 30, "發票", 2, "交通") }));
    QCOMPARE(w->DGrid->row(), 0);
    QCOMPARE(w->account_name->text(), QStringLiteral("  退款  "));
    QCOMPARE(s.focus(), w->data_modifty);
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 80元"));

    // Straight after that reload the header row is current, so a second modify is refused.
    s.press(w->data_modifty);
    QCOMPARE(s.boxes.take(), QStringList({ "請指定一筆資料再來做修正儲存的動作" }));
}

void EditingTest::modifyAndDeleteNeedAnEntryRow()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1);
    input_keyin *w = s.open();
    fill(s, 0, 0, "x", "1", "");

    s.press(w->data_modifty);
    s.press(w->data_del);
    s.press(w->cmd_up_down[0]);
    QCOMPARE(s.boxes.take(),
        QStringList({ "請指定一筆資料再來做修正儲存的動作", "請選擇一筆資料", "請選擇一列來進行上下移!" }));

    QTest::keyClick(w->date_new, Qt::Key_Down);
    s.clickRow(1);
    s.press(w->data_modifty);
    s.press(w->data_del);
    QCOMPARE(s.boxes.take(), QStringList({ "請指定一筆資料再來做修正儲存的動作", "請指定一筆資料再來做刪除的動作" }));
    QCOMPARE(s.entries().size(), 1);
    QCOMPARE(s.entries().first().at(3).toString(), QStringLiteral("午餐"));
}

void EditingTest::deleteAsksAboutTheCurrentRowAndActsOnlyOnYes()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1);
    s.ledger.addEntry("2024-05-15", s.food, 0, "晚餐", 120, "", 2);
    input_keyin *w = s.open();

    s.clickRow(1);
    QTest::keyClick(w->DGrid, Qt::Key_Down); // moves the current row without copying it
    s.settle();
    QCOMPARE(w->DGrid->row(), 2);
    // The question names the entry that goes, read from its row, not the fields' 午餐.
    w->date_new->setText(" 2024/5/15");
    testing::retype(w->account_name, "別的名字");
    const QStringList question { "真的嗎?...要刪除2024/5/15 晚餐 這筆資料嗎" };
    s.boxes.answer(false);
    s.press(w->data_del);
    QCOMPARE(s.boxes.take(), question);
    QCOMPARE(s.entries().size(), 2);

    s.boxes.answer(true);
    s.press(w->data_del);
    QCOMPARE(s.boxes.take(), question);
    QCOMPARE(s.ledger.rows("SELECT a_content FROM data_main"), QList<QVariantList>({ { "午餐" } }));
    QCOMPARE(s.contents(), QStringList({ "午餐" }));
    QCOMPARE(w->DGrid->row(), 0);
    QCOMPARE(s.focus(), w->date_new);
    QCOMPARE(w->account_name->text(), QStringLiteral("別的名字"));
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 80元"));
}

void EditingTest::editedDateIsLoadedBeforeTheCommand()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1);
    s.ledger.addEntry("2024-05-16", s.food, 0, "隔天", 5, "", 2);
    input_keyin *w = s.open();
    fill(s, 0, 0, "咖啡", "60", "");

    const auto editDateThenPress = [&](const char *date, QWidget *button) {
        s.clickRow(1);
        testing::retype(w->date_new, QString::fromLatin1(date));
        s.press(button);
    };
    // 修改 offers to move the entry the fields came from; 刪除 acts on the day now shown.
    s.boxes.answer(false);
    editDateThenPress("2024/5/16", w->data_modifty);
    editDateThenPress("2024/5/16", w->data_del);
    editDateThenPress("2024/5/17", w->data_del);
    QCOMPARE(s.boxes.take(),
        QStringList({ "要把 2024/5/15 (三)「午餐 80」這一筆移到 2024/5/16 (四) 嗎？", "請選擇一筆資料",
            "請指定一筆資料再來做刪除的動作" }));
    QCOMPARE(s.entries().size(), 2);

    fill(s, 0, 0, "咖啡", "60", "");
    testing::retype(w->date_new, "2024/5/18");
    s.press(w->data_add);
    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(s.ledger.rows("SELECT a_date, a_content FROM data_main WHERE a_key = 3"),
        QList<QVariantList>({ { "2024-05-18", "咖啡" } }));
    QCOMPARE(s.contents(), QStringList({ "咖啡" }));
    QCOMPARE(w->Label7->text(), QStringLiteral("(六)"));
}

void EditingTest::moveExchangesKeysWithNeighboursButNotPastTheEnds()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "A", 1, "", 5);
    s.ledger.addEntry("2024-05-15", s.food, 0, "B", 1, "", 7);
    s.ledger.addEntry("2024-05-16", s.food, 0, "別天", 1, "", 8);
    s.ledger.addEntry("2024-05-15", s.food, 0, "C", 1, "", 9);
    input_keyin *w = s.open();

    s.clickRow(2);
    s.press(w->cmd_up_down[1]);
    QCOMPARE(s.contents(), QStringList({ "A", "C", "B" }));
    QCOMPARE(w->DGrid->row(), 3);
    QCOMPARE(s.ledger.rows("SELECT a_content, a_key FROM data_main ORDER BY a_key"),
        QList<QVariantList>({ { "A", 5 }, { "C", 7 }, { "別天", 8 }, { "B", 9 } }));

    // The moved entry stays current, so pressing the other way puts it back.
    s.press(w->cmd_up_down[0]);
    QCOMPARE(s.contents(), QStringList({ "A", "B", "C" }));
    QCOMPARE(w->DGrid->row(), 2);
    s.press(w->cmd_up_down[0]);
    QCOMPARE(s.contents(), QStringList({ "B", "A", "C" }));
    QCOMPARE(w->DGrid->row(), 1);
    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(s.ledger.scalar("SELECT count(*) FROM data_main WHERE a_key = 0").toInt(), 0);

    // At either end the move is refused, also for a day's only entry and a day's empty row.
    const QList<QVariantList> keys = s.ledger.rows("SELECT a_content, a_key FROM data_main ORDER BY a_key");
    s.press(w->cmd_up_down[0]);
    s.clickRow(3);
    s.press(w->cmd_up_down[1]);
    for (int day = 0; day < 2; ++day) {
        QTest::keyClick(w->date_new, Qt::Key_Down);
        s.clickRow(1);
        s.press(w->cmd_up_down[0]);
        s.press(w->cmd_up_down[1]);
    }
    const QString up = QStringLiteral("請選擇一正確的列來進行上移!");
    const QString down = QStringLiteral("請選擇一正確的列來進行下移!");
    QCOMPARE(s.boxes.take(), QStringList({ up, down, up, down, up, down }));
    QCOMPARE(s.ledger.rows("SELECT a_content, a_key FROM data_main ORDER BY a_key"), keys);
}

void EditingTest::kindManagerRefreshesTheKinds()
{
    EntryWindow s;
    s.openers = windowOpeners();
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1);
    input_keyin *w = s.open();
    w->kind->setCurrentIndex(2);
    s.clickRow(1);

    ModalDriver driver;
    driver.next([&](QDialog *manager) {
        // What the kind manager might do: rename one kind and put a new one first.
        database_access::Exec_SQL("UPDATE kind SET name = '外食' WHERE a_kind = ?", { s.food });
        s.ledger.addKind("房租", 0);
        manager->close();
    });
    s.press(w->kind_man);

    QCOMPARE(driver.shown(), QStringList({ "mang_kind" }));
    QCOMPARE(w->kind->count(), 4);
    QCOMPARE(w->kind->itemText(0), QStringLiteral("房租"));
    QCOMPARE(w->kind->currentIndex(), 0);
    QCOMPARE(w->kind->currentText(), QStringLiteral("房租"));
    QCOMPARE(w->DGrid->textAt(1, 2), QStringLiteral("外食"));
    QCOMPARE(w->DGrid->row(), 0);
    QCOMPARE(w->focusWidget(), w->kind_man);
    QCOMPARE(s.boxes.texts(), QStringList());
}

QUILLORY_TEST_MAIN(EditingTest)
#include "input_keyin_editing_test.moc"
