#include "entry/EntryWindow.h"

#include "store/database_access.h"

#include <QFile>
#include <QListWidget>

namespace {

QListWidget *suggestionList(input_keyin *w)
{
    return w->findChild<QListWidget *>(QStringLiteral("account_name_suggestions"));
}

QStringList shown(input_keyin *w)
{
    QListWidget *list = suggestionList(w);
    QStringList texts;
    if (list && list->isVisible()) {
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
    }
    return texts;
}

// Replaces account_name's text by typing, leaving the focus there.
void typeName(EntryWindow &s, const QString &text)
{
    testing::retype(s.w->account_name, text);
}

void key(EntryWindow &s, Qt::Key k)
{
    QTest::keyClick(s.focus(), k);
}

} // namespace

class SuggestionsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void offersUsedDescriptionsMostUsedFirst();
    void enterTakesAPickedSuggestionAndStays();
    void keysWithoutAPickBehaveAsBefore();
    void suggestionsFollowTheWindowsChanges();
    void quickOnALargeLedger();
    void aDamagedDescriptionIndexIsToldOnceAndTypingGoesOn();
};

void SuggestionsTest::offersUsedDescriptionsMostUsedFirst()
{
    EntryWindow s;
    qint64 key = 0;
    const auto uses = [&](const QString &content, int times) {
        for (int i = 0; i < times; ++i)
            s.ledger.addEntry("2024-01-02", s.food, 0, content, 1, "", ++key);
    };
    uses("午餐", 5);
    uses("早餐", 3);
    uses("  早餐 ", 1); // outer blanks: the same description
    uses("早午餐", 1);
    uses("吃早餐", 6);
    uses("Coffee", 2);
    for (int i = 0; i < 12; ++i)
        uses(QStringLiteral("餐券%1").arg(i, 2, 10, QLatin1Char('0')), 1);
    input_keyin *w = s.open();

    typeName(s, "早");
    QCOMPARE(shown(w), QStringList({ "早餐", "早午餐", "吃早餐" }));
    QCOMPARE(w->account_name->text(), QStringLiteral("早"));
    QCOMPARE(s.focus(), w->account_name);

    typeName(s, "餐");
    const QStringList many = shown(w);
    QCOMPARE(many.size(), 10);
    QCOMPARE(many.mid(0, 3), QStringList({ "餐券00", "餐券01", "餐券02" }));
    typeName(s, "coff");
    QCOMPARE(shown(w), QStringList({ "Coffee" }));
    // What stands in the field already is not offered again; nothing matching, nothing shown.
    typeName(s, "Coffee");
    QCOMPARE(shown(w), QStringList());
    typeName(s, "晚");
    QCOMPARE(shown(w), QStringList());
    typeName(s, " ");
    QCOMPARE(shown(w), QStringList());
    QCOMPARE(s.boxes.texts(), QStringList());
}

void SuggestionsTest::enterTakesAPickedSuggestionAndStays()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-01", s.food, 0, "牛肉麵", 120, "", 1);
    s.ledger.addEntry("2024-05-02", s.food, 0, "牛奶", 60, "", 2);
    s.ledger.addEntry("2024-05-03", s.food, 0, "牛奶", 60, "", 3);
    input_keyin *w = s.open();

    typeName(s, "牛");
    QCOMPARE(shown(w), QStringList({ "牛奶", "牛肉麵" }));
    key(s, Qt::Key_Down);
    key(s, Qt::Key_Down);
    key(s, Qt::Key_Down); // stays on the last
    key(s, Qt::Key_Up);
    key(s, Qt::Key_Return);
    QCOMPARE(w->account_name->text(), QStringLiteral("牛奶"));
    QCOMPARE(s.focus(), w->account_name);
    QCOMPARE(shown(w), QStringList());
    // The next Enter walks on as before.
    key(s, Qt::Key_Return);
    QCOMPARE(s.focus(), w->inout);

    // Esc closes the list and leaves the window open.
    testing::click(w->account_name);
    typeName(s, "牛");
    key(s, Qt::Key_Escape);
    QCOMPARE(shown(w), QStringList());
    QVERIFY(w->isVisible());
    QCOMPARE(w->account_name->text(), QStringLiteral("牛"));

    // The field's own undo takes a taken suggestion back.
    typeName(s, "牛");
    key(s, Qt::Key_Down);
    key(s, Qt::Key_Enter);
    QCOMPARE(w->account_name->text(), QStringLiteral("牛奶"));
    QTest::keyClick(w->account_name, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w->account_name->text(), QStringLiteral("牛"));

    // A click takes one too.
    typeName(s, "牛");
    QListWidget *list = suggestionList(w);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(1)).center());
    QCOMPARE(w->account_name->text(), QStringLiteral("牛肉麵"));
    QCOMPARE(s.focus(), w->account_name);
    QCOMPARE(shown(w), QStringList());
    QCOMPARE(s.entries().size(), 3);
}

void SuggestionsTest::keysWithoutAPickBehaveAsBefore()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-01", s.food, 0, "公車", 15, "", 1);
    input_keyin *w = s.open();

    // Enter with the list open and nothing picked closes it and walks on.
    typeName(s, "公");
    QCOMPARE(shown(w), QStringList({ "公車" }));
    key(s, Qt::Key_Return);
    QCOMPARE(s.focus(), w->inout);
    QCOMPARE(w->account_name->text(), QStringLiteral("公"));
    QCOMPARE(shown(w), QStringList());

    // Up back above the first pick is no pick.
    testing::click(w->account_name);
    typeName(s, "公");
    key(s, Qt::Key_Down);
    key(s, Qt::Key_Up);
    key(s, Qt::Key_Return);
    QCOMPARE(s.focus(), w->inout);
    QCOMPARE(w->account_name->text(), QStringLiteral("公"));

    // Leaving the field closes the list; leaving is not held up by it.
    testing::click(w->account_name);
    typeName(s, "公");
    QTest::keyClick(w->account_name, Qt::Key_Tab);
    QCOMPARE(shown(w), QStringList());
    QCOMPARE(s.focus(), w->inout);
    testing::click(w->account_name);
    typeName(s, "公");
    testing::click(w->money_inout);
    QCOMPARE(shown(w), QStringList());
    QCOMPARE(s.focus(), w->money_inout);

    // With the list closed, Esc is the window's again: it asks first for what was typed.
    testing::click(w->account_name);
    typeName(s, "無此項");
    QCOMPARE(shown(w), QStringList());
    key(s, Qt::Key_Escape);
    QVERIFY(w->isVisible());
    s.boxes.answer(true);
    key(s, Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QCOMPARE(s.boxes.take(), QStringList(2, QStringLiteral("輸入的資料還沒有存檔，確定要關閉嗎？")));
}

void SuggestionsTest::suggestionsFollowTheWindowsChanges()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "咖啡", 65, "", 1);
    input_keyin *w = s.open();

    typeName(s, "咖");
    QCOMPARE(shown(w), QStringList({ "咖啡" }));
    // A new description is offered at once; one used more often moves up.
    typeName(s, "咖哩飯");
    testing::retype(w->money_inout, "110");
    s.press(w->data_add);
    s.press(w->data_add);
    testing::click(w->account_name);
    typeName(s, "咖");
    QCOMPARE(shown(w), QStringList({ "咖哩飯", "咖啡" }));

    // A modify moves a use from the old description to the new one.
    s.clickRow(1);
    typeName(s, "拿鐵咖啡");
    s.press(w->data_modifty);
    testing::click(w->account_name);
    typeName(s, "咖");
    QCOMPARE(shown(w), QStringList({ "咖哩飯", "拿鐵咖啡" }));

    // Undo and redo count as well.
    w->DGrid->setFocus();
    QTest::keyClick(w->DGrid, Qt::Key_Z, Qt::ControlModifier);
    testing::click(w->account_name);
    typeName(s, "咖");
    QCOMPARE(shown(w), QStringList({ "咖哩飯", "咖啡" }));

    // A delete drops the last use.
    s.deleteRow(1);
    testing::click(w->account_name);
    typeName(s, "咖");
    QCOMPARE(shown(w), QStringList({ "咖哩飯" }));
}

void SuggestionsTest::quickOnALargeLedger()
{
    EntryWindow s;
    {
        database_access::Transaction transaction;
        for (qint64 key = 1; key <= 100000; ++key) {
            const QDate day = QDate(2000, 1, 1).addDays(key / 10);
            database_access::Exec_SQL(QStringLiteral("INSERT INTO data_main VALUES(?,?,?,?,?,?,?,?)"),
                { day.toString(Qt::ISODate), s.food, 0, QStringLiteral("項目%1").arg(key % 5000), 1.0,
                    QStringLiteral(""), key, QStringLiteral("") });
        }
        transaction.commit();
    }
    testing::CpuTimer timer;
    timer.start();
    input_keyin *w = s.open();
    const double opening = timer.elapsedMs();

    timer.start();
    typeName(s, "項目12");
    const double typing = timer.elapsedMs();
    QCOMPARE(shown(w).size(), 10);
    QCOMPARE(shown(w).first(), QStringLiteral("項目12"));
    QVERIFY2(opening < 3000, qPrintable(QStringLiteral("opening took %1 ms").arg(opening)));
    // Six keys; each filters the descriptions in memory.
    QVERIFY2(typing < 600, qPrintable(QStringLiteral("typing took %1 ms").arg(typing)));
}

void SuggestionsTest::aDamagedDescriptionIndexIsToldOnceAndTypingGoesOn()
{
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 120, "", 1);
    // The index the descriptions are counted through, its page overwritten.
    const qint64 page = s.ledger
                            .scalar("SELECT rootpage FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                                    "'data_main' AND sql LIKE '%a_content%'")
                            .toLongLong();
    const int pageSize = s.ledger.scalar("PRAGMA page_size").toInt();
    QVERIFY(page > 1);
    database_access::Close_DB();
    {
        QFile file(s.ledger.path(QStringLiteral("db1.mdb")));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek((page - 1) * pageSize));
        QCOMPARE(file.write(QByteArray(pageSize, '\x5a')), qint64(pageSize));
    }
    database_access::Open_DB(QStringLiteral("db1.mdb"));
    input_keyin *w = s.open();
    QCOMPARE(s.contents(), QStringList({ "午餐" }));

    // Told at the first key, then typing goes on without suggestions and without boxes.
    typeName(s, "午");
    const QStringList told = s.boxes.take();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().contains(QStringLiteral("不再提示帳目名稱")), qPrintable(told.first()));
    for (const char *text : { "午餐", "午", "晚餐" }) {
        typeName(s, QString::fromUtf8(text));
        QCOMPARE(shown(w), QStringList());
        QCOMPARE(w->account_name->text(), QString::fromUtf8(text));
    }
    QCOMPARE(s.boxes.texts(), QStringList());
}

QUILLORY_TEST_MAIN(SuggestionsTest)
#include "suggestions_test.moc"
