#include "entry/EntryWindow.h"

#include "app/WindowOpeners.h"

#include "store/KindStore.h"
#include "store/StoreError.h"
#include "store/database_access.h"
#include "support/ModalDriver.h"

#include <QTextDocument>

namespace {

using Rows = QList<QVariantList>;

// Everything undo may touch: the entries and the day notes.
struct Snapshot
{
    Rows entries;
    Rows notes;
    bool operator==(const Snapshot &other) const { return entries == other.entries && notes == other.notes; }
};

Snapshot snapshot(const EntryWindow &s)
{
    return { s.entries(), s.notes() };
}

void undo(EntryWindow &s)
{
    QTest::keyClick(s.focus(), Qt::Key_Z, Qt::ControlModifier);
    EntryWindow::settle();
}

void redo(EntryWindow &s, bool withY = true)
{
    if (withY)
        QTest::keyClick(s.focus(), Qt::Key_Y, Qt::ControlModifier);
    else
        QTest::keyClick(s.focus(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EntryWindow::settle();
}

// Three entries on the window's day, one on the day before, and a note on the day; then opens the window.
input_keyin *arrange(EntryWindow &s)
{
    s.ledger.addEntry("2024-05-14", s.food, 0, "昨天", 10, "", 1, "餐費");
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 45, "豆漿", 2, "餐費");
    s.ledger.addEntry("2024-05-15", s.transport, 0, "公車", 15, "", 3, "交通");
    s.ledger.addEntry("2024-05-15", s.salary, 1, "薪水", 30000, "五月", 4, "薪資");
    s.ledger.setDayNote("2024-05-15", "發薪日");
    return s.open();
}

} // namespace

class UndoTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyKindOfChangeGoesBackAndForth();
    void undoWorksWhereverTheFocusIs();
    void typingInAFieldKeepsItsOwnUndo();
    void noteSavedWithTheCommandComesBack();
    void changesMadeElsewhereAreNotTouched();
    void entryOfADeletedKindIsNotBroughtBack();
    void newChangeEndsRedo();
    void failedUndoChangesNothingAndCanBeTriedAgain();
};

void UndoTest::everyKindOfChangeGoesBackAndForth()
{
    EntryWindow s;
    input_keyin *w = arrange(s);
    QList<Snapshot> states { snapshot(s) };
    QList<QStringList> grids { s.contents() };
    const auto done = [&] {
        QCOMPARE(s.boxes.texts(), QStringList());
        states << snapshot(s);
        grids << s.contents();
        QVERIFY(states.last() != states.at(states.size() - 2));
    };

    // An add that also changes the note.
    w->kind->setCurrentIndex(1);
    testing::retype(w->account_name, "計程車");
    testing::retype(w->money_inout, "120");
    testing::click(w->note_day);
    testing::typeText(w->note_day, "，晚歸");
    s.press(w->data_add);
    done();
    // A modify of the first row, a delete of the second, then moving the last row up twice.
    s.clickRow(1);
    testing::retype(w->account_name, "早午餐");
    testing::retype(w->money_inout, "80.5");
    s.press(w->data_modifty);
    done();
    s.deleteRow(2);
    done();
    for (int row = 3; row > 1; --row) {
        s.clickRow(row);
        s.press(w->cmd_up_down[0]);
        done();
    }
    QCOMPARE(s.contents(), QStringList({ "計程車", "早午餐", "薪水" }));

    // Back through every step, one Ctrl+Z each, the day showing each state again.
    s.clickRow(1);
    for (qsizetype i = states.size() - 2; i >= 0; --i) {
        undo(s);
        QCOMPARE(snapshot(s).entries, states.at(i).entries);
        QCOMPARE(snapshot(s).notes, states.at(i).notes);
        QCOMPARE(s.contents(), grids.at(i));
    }
    QCOMPARE(w->note_day->text(), QStringLiteral("發薪日"));
    // The undone delete brought 公車 back with its key, kind and texts, and selected it.
    QCOMPARE(s.entries().at(2), QVariantList({ "2024-05-15", s.transport, 0, "公車", 15.0, "", 3, "交通" }));
    undo(s); // nothing more to take back
    QCOMPARE(snapshot(s), states.first());

    // And forward again, with both redo keys.
    for (qsizetype i = 1; i < states.size(); ++i) {
        redo(s, i % 2 == 0);
        QCOMPARE(snapshot(s).entries, states.at(i).entries);
        QCOMPARE(snapshot(s).notes, states.at(i).notes);
        QCOMPARE(s.contents(), grids.at(i));
    }
    redo(s);
    QCOMPARE(snapshot(s), states.last());
    QCOMPARE(s.boxes.texts(), QStringList());
}

void UndoTest::undoWorksWhereverTheFocusIs()
{
    EntryWindow s;
    input_keyin *w = arrange(s);
    const Snapshot before = snapshot(s);

    // A delete while another day is typed in: undo shows the day of the delete again.
    s.deleteRow(1);
    testing::retype(w->date_new, "2024/5/14");
    QTest::keyClick(w->date_new, Qt::Key_Tab);
    QCOMPARE(s.contents(), QStringList({ "昨天" }));

    w->inout->setFocus();
    undo(s);
    QCOMPARE(s.entries(), before.entries);
    QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/15"));
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車", "薪水" }));
    QCOMPARE(w->DGrid->row(), 1);

    // Back and forth from a button, the grid, the note box and a field nobody typed in.
    const QStringList afterDelete { "公車", "薪水" };
    const QStringList whole { "早餐", "公車", "薪水" };
    const std::initializer_list<QWidget *> places { w->data_exit, w->DGrid, w->note_day, w->note_one };
    bool deleted = false;
    for (QWidget *place : places) {
        place->setFocus();
        QCOMPARE(s.focus(), place);
        if (deleted)
            undo(s);
        else
            redo(s);
        deleted = !deleted;
        QCOMPARE(s.contents(), deleted ? afterDelete : whole);
    }
    QCOMPARE(s.boxes.texts(), QStringList());
}

void UndoTest::typingInAFieldKeepsItsOwnUndo()
{
    EntryWindow s;
    input_keyin *w = arrange(s);
    s.deleteRow(3);
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車" }));

    // While the person types, Ctrl+Z takes back the typing, not the delete.
    testing::retype(w->account_name, "牛奶");
    undo(s);
    QVERIFY(w->account_name->text() != QStringLiteral("牛奶"));
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車" }));
    testing::click(w->note_day);
    testing::typeText(w->note_day, "!");
    undo(s);
    QCOMPARE(w->note_day->text(), QStringLiteral("發薪日"));
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車" }));

    // Once the box's own history is used up, the next Ctrl+Z is the window's.
    undo(s);
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車", "薪水" }));

    // Text typed before a change is not the person typing now: the change is undone.
    s.add("豆花", "30");
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車", "薪水", "豆花" }));
    testing::click(w->account_name);
    undo(s);
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車", "薪水" }));
    QCOMPARE(w->account_name->text(), QStringLiteral("豆花"));
}

void UndoTest::noteSavedWithTheCommandComesBack()
{
    EntryWindow s;
    input_keyin *w = arrange(s);
    const Rows noteBefore = s.notes();

    // Leaving the note box for 修改 saves the note; undoing the modify takes it back too.
    s.clickRow(2);
    testing::retype(w->money_inout, "16");
    testing::click(w->note_day);
    w->note_day->selectAll();
    testing::typeText(w->note_day, "改了!");
    s.press(w->data_modifty);
    QCOMPARE(s.notes(), Rows({ { "2024-05-15", "改了!" } }));
    undo(s);
    QCOMPARE(s.notes(), noteBefore);
    QCOMPARE(w->note_day->text(), QStringLiteral("發薪日"));
    QCOMPARE(s.ledger.scalar("SELECT a_count FROM data_main WHERE a_key=3").toDouble(), 15.0);
    redo(s);
    QCOMPARE(s.notes(), Rows({ { "2024-05-15", "改了!" } }));

    // A note saved on its own after the command stays when the command is undone.
    s.add("晚餐", "200");
    testing::click(w->note_day);
    w->note_day->selectAll();
    testing::typeText(w->note_day, "後來寫的");
    QTest::keyClick(w->note_day, Qt::Key_Tab);
    s.settle();
    undo(s);
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車", "薪水" }));
    QCOMPARE(s.notes(), Rows({ { "2024-05-15", "後來寫的" } }));
    QCOMPARE(s.boxes.texts(), QStringList());
}

void UndoTest::changesMadeElsewhereAreNotTouched()
{
    EntryWindow s;
    input_keyin *w = arrange(s);
    s.add("午餐", "90");
    s.deleteRow(1);

    // The key of the deleted entry is taken again elsewhere; its undo is refused.
    s.ledger.addEntry("2024-06-01", s.food, 0, "別處", 1, "", 2, "餐費");
    const Snapshot elsewhere = snapshot(s);
    w->DGrid->setFocus();
    undo(s);
    QCOMPARE(s.boxes.take(), QStringList({ "這筆資料已在別處變更，無法復原。" }));
    QCOMPARE(snapshot(s), elsewhere);

    // The refused step is dropped; the add before it is still undone, unless its entry
    // was changed as well (here: another window gave it another kind).
    KindStore::deleteKind(s.food, s.transport, std::nullopt);
    undo(s);
    QCOMPARE(s.boxes.take(), QStringList({ "這筆資料已在別處變更，無法復原。" }));
    QCOMPARE(s.ledger.scalar("SELECT count(*) FROM data_main WHERE a_content='午餐'").toInt(), 1);
    undo(s);
    QCOMPARE(s.boxes.texts(), QStringList());

    // Redo checks the same way.
    testing::retype(w->account_name, "宵夜");
    testing::retype(w->money_inout, "70");
    w->kind->setCurrentIndex(1);
    s.press(w->data_add);
    undo(s);
    s.ledger.addEntry("2024-05-15", s.transport, 0, "搶先", 5, "",
        s.ledger.scalar("SELECT max(a_key)+1 FROM data_main").toLongLong());
    redo(s);
    QCOMPARE(s.boxes.take(), QStringList({ "這筆資料已在別處變更，無法重做。" }));
    QCOMPARE(s.ledger.scalar("SELECT count(*) FROM data_main WHERE a_content='宵夜'").toInt(), 0);
}

void UndoTest::entryOfADeletedKindIsNotBroughtBack()
{
    EntryWindow s;
    s.openers = windowOpeners();
    input_keyin *w = arrange(s);
    s.deleteRow(2); // 公車, the only entry of 交通

    // The kind manager, opened from this window, deletes the kind that no entry uses now.
    ModalDriver driver;
    driver.next([&](QDialog *) { KindStore::deleteKind(s.transport, std::nullopt, std::nullopt); });
    s.press(w->kind_man);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    const Snapshot after = snapshot(s);
    w->DGrid->setFocus();
    undo(s);
    QCOMPARE(s.boxes.take(), QStringList({ "這筆資料的類別已經刪除，無法復原。" }));
    QCOMPARE(snapshot(s), after);
}

void UndoTest::newChangeEndsRedo()
{
    EntryWindow s;
    input_keyin *w = arrange(s);
    s.add("甲", "1");
    undo(s);
    testing::retype(w->account_name, "乙");
    s.press(w->data_add);
    const Snapshot withB = snapshot(s);
    w->DGrid->setFocus();
    redo(s);
    QCOMPARE(snapshot(s), withB);
    // Undo takes back 乙; nothing brings 甲 back any more.
    undo(s);
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車", "薪水" }));
    QCOMPARE(s.boxes.texts(), QStringList());
}

void UndoTest::failedUndoChangesNothingAndCanBeTriedAgain()
{
    EntryWindow s;
    input_keyin *w = arrange(s);
    const Snapshot before = snapshot(s);
    s.clickRow(3);
    s.press(w->cmd_up_down[0]);
    const Snapshot moved = snapshot(s);

    // The second write of the undo fails: the first is rolled back with it.
    int writes = 0;
    database_access::Set_Statement_Hook([&writes](const QString &) {
        if (++writes == 2)
            throw StoreError(QStringLiteral("磁碟已滿"));
    });
    w->DGrid->setFocus();
    undo(s);
    database_access::Set_Statement_Hook({});
    QCOMPARE(s.boxes.take(), QStringList({ "磁碟已滿" }));
    QCOMPARE(snapshot(s), moved);
    undo(s);
    QCOMPARE(snapshot(s), before);
    QCOMPARE(s.contents(), QStringList({ "早餐", "公車", "薪水" }));
    QCOMPARE(w->DGrid->row(), 3);
    QCOMPARE(s.boxes.texts(), QStringList());
}

QUILLORY_TEST_MAIN(UndoTest)
#include "undo_test.moc"
