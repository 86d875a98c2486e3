#include "entry/EntryWindow.h"
#include "kinds/KindWindowDriving.h"
#include "reports/QueryWindow.h"
#include "support/Refusals.h"

namespace {

// What a person sees selected in a text field or an editable combo box.
QString selected(QWidget *field)
{
    if (auto *combo = qobject_cast<QComboBox *>(field))
        return combo->lineEdit()->selectedText();
    return static_cast<QLineEdit *>(field)->selectedText();
}

void key(QWidget *widget, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(widget, k, mods);
    QTest::qWait(0);
}

// Presses a key on whatever has the focus.
void keyOnFocus(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    key(QApplication::focusWidget(), k, mods);
}

} // namespace

class KeyboardPathsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enterThroughTheEntryFieldsTypesOverEachOne();
    void tabSelectsAndAClickPlacesTheCursor();
    void aRefusedDateIsSelectedForTheNextTry();
    void kindManagerNameIsTypedOver();
    void enterInTheDescriptionFilterRunsTheRangeQuery();
};

void KeyboardPathsTest::enterThroughTheEntryFieldsTypesOverEachOne()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 45, "豆漿, 蛋餅", 1, "餐費");
    input_keyin *w = s.open();
    // The row fills every field; the person then walks through them with Enter, typing anew.
    s.clickRow(1);
    testing::click(w->date_new);
    key(w->date_new, Qt::Key_Return);
    QCOMPARE(s.focus(), w->kind);
    QCOMPARE(selected(w->kind), QStringLiteral("餐費"));
    testing::typeText(w->kind, QStringLiteral("交通"));
    QCOMPARE(w->kind->currentText(), QStringLiteral("交通"));
    keyOnFocus(Qt::Key_Return);
    QCOMPARE(s.focus(), w->account_name);
    QCOMPARE(selected(w->account_name), QStringLiteral("早餐"));
    testing::typeText(w->account_name, QStringLiteral("公車"));
    keyOnFocus(Qt::Key_Return);
    QCOMPARE(s.focus(), w->inout);
    keyOnFocus(Qt::Key_Return);
    QCOMPARE(selected(w->money_inout), QStringLiteral("45"));
    testing::typeText(w->money_inout, QStringLiteral("15"));
    keyOnFocus(Qt::Key_Return);
    QCOMPARE(s.focus(), w->note_one);
    QCOMPARE(selected(w->note_one), QStringLiteral("豆漿, 蛋餅"));
    testing::typeText(w->note_one, QStringLiteral("悠遊卡"));
    // Enter in the remark asks, since the fields came from an entry; 新增一筆 adds exactly
    // what was typed.
    s.boxes.choose(1);
    keyOnFocus(Qt::Key_Return);
    QCOMPARE(s.ledger.rows("SELECT a_kind, a_content, a_count, a_note FROM data_main ORDER BY a_key"),
        QList<QVariantList>({ { s.food, "早餐", 45.0, "豆漿, 蛋餅" }, { s.transport, "公車", 15.0, "悠遊卡" } }));
    QCOMPARE(s.boxes.texts().size(), 1);
}

void KeyboardPathsTest::tabSelectsAndAClickPlacesTheCursor()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 45, "豆漿", 1, "餐費");
    input_keyin *w = s.open();
    s.clickRow(1);

    // Tab forward into the kind box and back into the date field: all selected each time.
    testing::click(w->date_new);
    QCOMPARE(selected(w->date_new), QString());
    key(w->date_new, Qt::Key_Tab);
    QCOMPARE(s.focus(), w->kind);
    QCOMPARE(selected(w->kind), QStringLiteral("餐費"));
    key(w->kind, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(s.focus(), w->date_new);
    QCOMPARE(selected(w->date_new), QStringLiteral("2024/5/15"));

    // A click puts the cursor where it lands and selects nothing: typing adds to the text.
    const QPoint end(w->note_one->width() - 3, w->note_one->height() / 2);
    QTest::mouseClick(w->note_one, Qt::LeftButton, Qt::NoModifier, end);
    QCOMPARE(s.focus(), w->note_one);
    QCOMPARE(selected(w->note_one), QString());
    testing::typeText(w->note_one, QStringLiteral("熱"));
    QCOMPARE(w->note_one->text(), QStringLiteral("豆漿熱"));

    // The multi-line note box is never selected on the way in: typing must not wipe a note.
    w->note_day->setText(QStringLiteral("記得繳費"));
    testing::click(w->money_inout);
    for (int i = 0; i < 6 && s.focus() != w->note_day; ++i)
        keyOnFocus(Qt::Key_Tab);
    QCOMPARE(s.focus(), w->note_day);
    QVERIFY(!w->note_day->textCursor().hasSelection());
}

void KeyboardPathsTest::aRefusedDateIsSelectedForTheNextTry()
{
    EntryWindow s;
    input_keyin *w = s.open();
    testing::retype(w->date_new, QStringLiteral("2024/13/40"));
    key(w->date_new, Qt::Key_Return);
    // Said once; the focus stays for the corrected date instead of going on to the kind.
    QCOMPARE(s.boxes.take(), QStringList({ refusals::badDate }));
    QCOMPARE(s.focus(), w->date_new);
    QCOMPARE(selected(w->date_new), QStringLiteral("2024/13/40"));
    testing::typeText(w->date_new, QStringLiteral("2024/5/16"));
    QCOMPARE(w->date_new->text(), QStringLiteral("2024/5/16"));
    key(w->date_new, Qt::Key_Return);
    QCOMPARE(w->Label7->text(), QStringLiteral("(四)"));
    QCOMPARE(s.boxes.texts(), QStringList());
}

void KeyboardPathsTest::kindManagerNameIsTypedOver()
{
    TestLedger ledger;
    ledger.addKind(QStringLiteral("餐費"), 1);
    ledger.addKind(QStringLiteral("交通"), 2);
    ScriptedBoxes boxes;
    auto window = kinds_testing::openManager();
    kinds_testing::clickItem(window->kind, 0);
    QCOMPARE(window->kind_name->text(), QStringLiteral("餐費"));
    // From the list back to the name field: 修改, 新增, then the name, whole.
    for (int i = 0; i < 3; ++i)
        keyOnFocus(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), window->kind_name);
    QCOMPARE(selected(window->kind_name), QStringLiteral("餐費"));
    testing::typeText(window->kind_name, QStringLiteral("伙食"));
    boxes.answer(true);
    testing::click(window->kind_modify);
    QCOMPARE(ledger.rows("SELECT name FROM kind ORDER BY key_order"), QList<QVariantList>({ { "伙食" }, { "交通" } }));
    QCOMPARE(boxes.unexpected(), QStringList());
}

void KeyboardPathsTest::enterInTheDescriptionFilterRunsTheRangeQuery()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 15));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    querywindow::addEntry(ledger, "2024-06-03", food, 0, "午餐", 120, 1);
    querywindow::addEntry(ledger, "2024-06-04", food, 0, "晚餐", 200, 2);
    querywindow::addEntry(ledger, "2024-06-05", food, 0, "午餐便當", 80, 3);
    ScriptedBoxes boxes;
    check window;
    QVERIFY(querywindow::open(window));
    testing::click(window.chk_mon_detail);

    testing::click(window.account_name);
    testing::typeText(window.account_name, QStringLiteral("午餐"));
    key(window.account_name, Qt::Key_Return);
    QCOMPARE(querywindow::column(window.DGrid, 3), QStringList({ "午餐", "午餐便當" }));
    QVERIFY(window.msg_field->toPlainText().contains(QStringLiteral("總支出 : 200")));
    QCOMPARE(QApplication::focusWidget(), window.account_name);

    // Back into the filter from the kind box with Tab: the old text goes as the new is typed.
    window.kind->setFocus();
    key(window.kind, Qt::Key_Tab);
    QCOMPARE(selected(window.account_name), QStringLiteral("午餐"));
    testing::typeText(window.account_name, QStringLiteral("晚"));
    key(window.account_name, Qt::Key_Enter);
    QCOMPARE(querywindow::column(window.DGrid, 3), QStringList({ "晚餐" }));

    // The button's checks come with it: a range that ends before it begins is refused.
    querywindow::typeRange(window, "2024/6/10", "2024/6/1");
    testing::click(window.account_name);
    key(window.account_name, Qt::Key_Return);
    QCOMPARE(boxes.take(), QStringList({ QStringLiteral("錯誤! 結束日期竟然比起始日期早??") }));
    QCOMPARE(querywindow::column(window.DGrid, 3), QStringList({ "晚餐" }));
}

QUILLORY_TEST_MAIN(KeyboardPathsTest)
#include "keyboard_paths_test.moc"
