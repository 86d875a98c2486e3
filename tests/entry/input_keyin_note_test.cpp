#include "entry/EntryWindow.h"

#include "store/StoreError.h"
#include "store/database_access.h"
#include "support/ModalDriver.h"

#include <QDialog>
#include <QPushButton>

namespace {

// Records the note statements the window runs.
class NoteStatements
{
public:
    NoteStatements()
    {
        database_access::Set_Statement_Hook([this](const QString &sql) {
            if (sql.contains("data_note"))
                m_seen << sql.section(' ', 0, 0).toUpper();
        });
    }
    ~NoteStatements() { database_access::Set_Statement_Hook({}); }
    QStringList take()
    {
        QStringList out;
        out.swap(m_seen);
        return out;
    }

private:
    QStringList m_seen;
};

void typeNote(EntryWindow &s, const QString &text)
{
    testing::click(s.w->note_day);
    s.w->note_day->selectAll();
    QTest::keyClick(s.w->note_day, Qt::Key_Delete);
    testing::typeText(s.w->note_day, text);
}

} // namespace

class NoteTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leavingAfterAChangeInsertsUpdatesAndDeletes();
    void visitingWithoutTypingWritesNothing();
    void anotherWindowInBetweenDoesNotForgetTheChange();
    void addAndModifyWriteTheNoteOfTheDay();
    void aClickedButtonActsOnTheSavedNote();
    void changingTheDayDoesNotMoveTheNote();
    void closingTheWindowKeepsTheNote_data();
    void closingTheWindowKeepsTheNote();
    void aNoteThatCannotBeSavedIsNotLostOnClosing();
};

void NoteTest::leavingAfterAChangeInsertsUpdatesAndDeletes()
{
    EntryWindow s;
    input_keyin *w = s.open();
    NoteStatements statements;

    typeNote(s, "  下雨\t帶傘");
    QTest::keyClick(w->note_day, Qt::Key_Return);
    testing::typeText(w->note_day, "  記得  ");
    QTest::keyClick(w->note_day, Qt::Key_Tab);
    QCOMPARE(s.focus(), w->data_exit);
    QVERIFY(w->isVisible());
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "下雨\t帶傘\n  記得" } }));
    QCOMPARE(w->note_day->text(), QStringLiteral("  下雨\t帶傘\n  記得  "));

    typeNote(s, "It's 100% \\ 😀");
    QTest::keyClick(w->note_day, Qt::Key_Tab);
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "It's 100% \\ 😀" } }));

    typeNote(s, "   ");
    QTest::keyClick(w->note_day, Qt::Key_Tab);
    QCOMPARE(s.notes(), QList<QVariantList>());
    QCOMPARE(statements.take(), QStringList({ "INSERT", "UPDATE", "DELETE" }));
    QCOMPARE(s.boxes.texts(), QStringList());
}

void NoteTest::visitingWithoutTypingWritesNothing()
{
    EntryWindow s;
    s.ledger.setDayNote("2024-05-15", "原本");
    input_keyin *w = s.open();
    NoteStatements statements;

    // The day load filled the box, but only a change made in the box counts.
    testing::click(w->note_day);
    testing::click(w->account_name);
    testing::click(w->note_day);
    QTest::keyClick(w->note_day, Qt::Key_Tab);
    QCOMPARE(statements.take(), QStringList());

    // After a change, every way out saves.
    typeNote(s, "改過");
    testing::click(w->account_name);
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "改過" } }));
}

void NoteTest::anotherWindowInBetweenDoesNotForgetTheChange()
{
    EntryWindow s;
    input_keyin *w = s.open();
    typeNote(s, "寫到一半");

    QDialog other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(s.notes(), QList<QVariantList>());
    other.close();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(s.focus(), w->note_day);

    QTest::keyClick(w->note_day, Qt::Key_Tab);
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "寫到一半" } }));
}

void NoteTest::addAndModifyWriteTheNoteOfTheDay()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-16", s.food, 0, "午餐", 80, "", 1);
    s.ledger.setDayNote("2024-05-16", "有註解");
    input_keyin *w = s.open();
    NoteStatements statements;

    w->account_name->setText("咖啡");
    w->money_inout->setText("60");
    s.press(w->data_add);
    QCOMPARE(statements.take(), QStringList());
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-16", "有註解" } }));

    QTest::keyClick(w->date_new, Qt::Key_Down);
    s.clickRow(1);
    s.press(w->data_modifty);
    QCOMPARE(statements.take(), QStringList({ "UPDATE" }));
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-16", "有註解" } }));

    // A stored note of blanks only counts as none: the next add removes its row.
    s.ledger.setDayNote("2024-05-17", "   ");
    statements.take();
    QTest::keyClick(w->date_new, Qt::Key_Down);
    s.press(w->data_add);
    QCOMPARE(statements.take(), QStringList({ "DELETE" }));
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-16", "有註解" } }));
}

void NoteTest::aClickedButtonActsOnTheSavedNote()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 1);
    input_keyin *w = s.open();
    s.clickRow(1);

    // Modify saves the note once more itself; the leave has saved it first.
    NoteStatements statements;
    typeNote(s, "先存");
    s.press(w->data_modifty);
    QCOMPARE(statements.take(), QStringList({ "INSERT", "UPDATE" }));
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "先存" } }));

    typeNote(s, "再改");
    s.press(w->data_del);
    QCOMPARE(s.boxes.take(), QStringList({ "請選擇一筆資料" }));
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "再改" } }));
}

void NoteTest::changingTheDayDoesNotMoveTheNote()
{
    EntryWindow s;
    s.ledger.setDayNote("2024-05-16", "明天的");
    input_keyin *w = s.open();

    typeNote(s, "今天的");
    testing::retype(w->date_new, "2024/5/16");
    QTest::keyClick(w->date_new, Qt::Key_Tab);
    QCOMPARE(w->note_day->text(), QStringLiteral("明天的"));
    QTest::keyClick(w->date_new, Qt::Key_Up);
    QCOMPARE(w->note_day->text(), QStringLiteral("今天的"));
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "今天的" }, { "2024-05-16", "明天的" } }));
}

void NoteTest::closingTheWindowKeepsTheNote_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("close box") << "close";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("離開") << "exit";
}

void NoteTest::closingTheWindowKeepsTheNote()
{
    QFETCH(QString, how);
    EntryWindow s;
    input_keyin *w = s.open();
    typeNote(s, "最後一句");
    if (how == "close")
        w->close();
    else if (how == "escape")
        QTest::keyClick(w->note_day, Qt::Key_Escape);
    else
        s.press(w->data_exit);
    QVERIFY(!w->isVisible());
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "最後一句" } }));
    QCOMPARE(s.boxes.texts(), QStringList());
}

void NoteTest::aNoteThatCannotBeSavedIsNotLostOnClosing()
{
    EntryWindow s;
    input_keyin *w = s.open();
    typeNote(s, "很重要");
    database_access::Set_Statement_Hook([](const QString &) { throw StoreError("資料庫錯誤：disk I/O error"); });

    s.boxes.answer(false);
    w->close();
    QVERIFY(w->isVisible());
    QCOMPARE(s.boxes.take(), QStringList({ "資料庫錯誤：disk I/O error", "日註解沒有存檔，仍要離開嗎?" }));
    QCOMPARE(w->note_day->text(), QStringLiteral("很重要"));

    database_access::Set_Statement_Hook({});
    w->close();
    QVERIFY(!w->isVisible());
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "很重要" } }));
}

QUILLORY_TEST_MAIN(NoteTest)
#include "input_keyin_note_test.moc"
