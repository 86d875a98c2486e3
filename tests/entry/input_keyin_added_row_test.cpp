#include "entry/EntryWindow.h"

// After 新增 the entry just added is the current row, so 刪除 and 修改 that follow act on it;
// the delete question always names the entry of the current row.
class AddedRowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deleteRightAfterAddTakesTheNewEntry();
    void modifyRightAfterAddChangesTheNewEntry();
    void clickedRowThenAddThenDelete();
};

namespace {

QList<QVariantList> contentsByKey(const EntryWindow &s)
{
    return s.ledger.rows(QStringLiteral("SELECT a_key, a_content, a_count FROM data_main ORDER BY a_key"));
}

} // namespace

void AddedRowTest::deleteRightAfterAddTakesTheNewEntry()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 40, "", 1);
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 2);
    input_keyin *w = s.open();

    s.add(QStringLiteral("便當"), QStringLiteral("95"));
    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(w->DGrid->row(), 3);
    QCOMPARE(w->DGrid->textAt(w->DGrid->row(), 4), QStringLiteral("便當"));

    // No keeps everything.
    s.boxes.answer(false);
    s.press(w->data_del);
    QCOMPARE(s.boxes.take(), QStringList({ "真的嗎?...要刪除2024/5/15 便當 這筆資料嗎" }));
    QCOMPARE(contentsByKey(s), QList<QVariantList>({ { 1, "早餐", 40.0 }, { 2, "午餐", 80.0 }, { 3, "便當", 95.0 } }));

    s.boxes.answer(true);
    s.press(w->data_del);
    QCOMPARE(s.boxes.take(), QStringList({ "真的嗎?...要刪除2024/5/15 便當 這筆資料嗎" }));
    QCOMPARE(contentsByKey(s), QList<QVariantList>({ { 1, "早餐", 40.0 }, { 2, "午餐", 80.0 } }));
    QCOMPARE(s.contents(), QStringList({ "早餐", "午餐" }));
    QCOMPARE(w->DGrid->row(), 0);

    // The first entry of an empty day is row 1 and is the one deleted.
    QTest::keyClick(w->date_new, Qt::Key_Down);
    s.add(QStringLiteral("咖啡"), QStringLiteral("60"));
    QCOMPARE(w->DGrid->row(), 1);
    s.boxes.answer(true);
    s.press(w->data_del);
    QCOMPARE(s.boxes.take(), QStringList({ "真的嗎?...要刪除2024/5/16 咖啡 這筆資料嗎" }));
    QCOMPARE(s.ledger.scalar("SELECT count(*) FROM data_main WHERE a_date = '2024-05-16'").toInt(), 0);
    QCOMPARE(contentsByKey(s).size(), 2);
}

void AddedRowTest::modifyRightAfterAddChangesTheNewEntry()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 40, "", 1);
    input_keyin *w = s.open();

    s.add(QStringLiteral("便當"), QStringLiteral("95"));
    testing::retype(w->money_inout, "90");
    s.press(w->data_modifty);
    QCOMPARE(s.boxes.texts(), QStringList());
    QCOMPARE(contentsByKey(s), QList<QVariantList>({ { 1, "早餐", 40.0 }, { 2, "便當", 90.0 } }));
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 130元"));

    // The rest of 修改 stays: the header row is current and a second one asks for an entry.
    QCOMPARE(w->DGrid->row(), 0);
    s.press(w->data_modifty);
    QCOMPARE(s.boxes.take(), QStringList({ "請指定一筆資料再來做修正儲存的動作" }));
    QCOMPARE(contentsByKey(s), QList<QVariantList>({ { 1, "早餐", 40.0 }, { 2, "便當", 90.0 } }));
}

void AddedRowTest::clickedRowThenAddThenDelete()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 40, "", 1);
    s.ledger.addEntry("2024-05-15", s.transport, 0, "公車", 15, "", 2);
    s.ledger.addEntry("2024-05-15", s.food, 0, "晚餐", 120, "", 3);
    input_keyin *w = s.open();

    // The clicked row's values go into the fields; the added copy becomes current.
    s.clickRow(2);
    testing::retype(w->money_inout, "30");
    s.press(w->data_add);
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車", "晚餐", "公車" }));
    QCOMPARE(w->DGrid->row(), 4);

    s.boxes.answer(true);
    s.press(w->data_del);
    QCOMPARE(s.boxes.take(), QStringList({ "真的嗎?...要刪除2024/5/15 公車 這筆資料嗎" }));
    QCOMPARE(contentsByKey(s), QList<QVariantList>({ { 1, "早餐", 40.0 }, { 2, "公車", 15.0 }, { 3, "晚餐", 120.0 } }));
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 175元"));
}

QUILLORY_TEST_MAIN(AddedRowTest)
#include "input_keyin_added_row_test.moc"
