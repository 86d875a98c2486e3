// Awkward text in every text field of every window: quotes, wildcards, statement pieces, line
// breaks, tabs, full-width spaces, emoji, right-to-left text, very long text, and dates and
// amounts of every wrong shape. Each is stored and shown back exactly, or refused with the
// field's message and nothing written.

#include "safety/SafetySupport.h"
#include "support/Refusals.h"

#include "entry/EntryWindow.h"
#include "kinds/KindWindowDriving.h"
#include "reports/QueryWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSet>

#include <cmath>

namespace {

using refusals::badAmountOnAdding;
using refusals::badAmountOnLeaving;
using refusals::badDate;

void awkwardTexts()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("single quote") << QStringLiteral("O'Neil's");
    QTest::newRow("double quote") << QStringLiteral("say \"hi\"");
    QTest::newRow("percent") << QStringLiteral("100%");
    QTest::newRow("underscore") << QStringLiteral("a_b");
    QTest::newRow("backslash") << QStringLiteral("C:\\temp\\");
    QTest::newRow("semicolon") << QStringLiteral("a; b");
    QTest::newRow("comment") << QStringLiteral("-- x");
    QTest::newRow("statement") << QStringLiteral("x'); DROP TABLE data_main; --");
    QTest::newRow("line feed") << QStringLiteral("上\n下");
    QTest::newRow("carriage return") << QStringLiteral("上\r\n下");
    QTest::newRow("tab") << QStringLiteral("a\tb");
    QTest::newRow("full-width spaces") << QStringLiteral("\u3000前後\u3000");
    QTest::newRow("emoji") << QStringLiteral("😀🧾👨‍👩‍👧");
    QTest::newRow("right-to-left") << QStringLiteral("שלום مرحبا 12");
    QTest::newRow("direction override") << QStringLiteral("\u202Eabc\u202C");
    QTest::newRow("nul character") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QTest::newRow("10,000 characters") << QString(10000, QChar(0x5E33));
}

// A person pastes the text: typing cannot enter line breaks or tabs, pasting can.
void paste(QWidget *field, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    testing::click(field);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

void notDates()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
    QTest::newRow("30 February") << QStringLiteral("2024/2/30");
    QTest::newRow("29 February of a common year") << QStringLiteral("2023/2/29");
    QTest::newRow("month 13") << QStringLiteral("2024/13/1");
    QTest::newRow("month 0") << QStringLiteral("2024/0/1");
    QTest::newRow("day 0") << QStringLiteral("2024/5/0");
    QTest::newRow("year 0") << QStringLiteral("0000/1/1");
    QTest::newRow("five-digit year") << QStringLiteral("20240/1/1");
    QTest::newRow("negative year") << QStringLiteral("-2024/1/1");
    QTest::newRow("mixed separators") << QStringLiteral("2024-5/1");
    QTest::newRow("trailing quote") << QStringLiteral("2024/5/1'");
    QTest::newRow("statement") << QStringLiteral("2024/5/1'; DELETE FROM data_main; --");
    QTest::newRow("full-width digits, month 13") << QStringLiteral("２０２４/１３/１");
    QTest::newRow("line feed") << QStringLiteral("2024/5/1\n");
    QTest::newRow("tab") << QStringLiteral("\t2024/5/1");
    QTest::newRow("full-width space and a word") << QStringLiteral("2024/5/1\u3000日");
    QTest::newRow("time of day") << QStringLiteral("2024/5/1 10:00");
    QTest::newRow("words") << QStringLiteral("明天");
    QTest::newRow("emoji") << QStringLiteral("📅");
    QTest::newRow("huge numbers") << QStringLiteral("99999999999999999999/1/1");
    QTest::newRow("10,000 characters") << QString(10000, QLatin1Char('9'));
}

// An empty ledger on 15 May 2024, the query window open on it, its message boxes answered.
struct QueryWindowOpen
{
    testing::FixedClock clock { QDate(2024, 5, 15) };
    TestLedger ledger;
    check window;
    ScriptedBoxes boxes;
};

} // namespace

class BadInputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entryTextsAreStoredAndShownExactly_data() { awkwardTexts(); }
    void entryTextsAreStoredAndShownExactly();
    void dayNoteIsStoredAndShownExactly_data() { awkwardTexts(); }
    void dayNoteIsStoredAndShownExactly();
    void kindNamesAreStoredAndUsableExactly_data() { awkwardTexts(); }
    void kindNamesAreStoredAndUsableExactly();
    void typedKindThatIsNoKindIsRefused_data() { awkwardTexts(); }
    void typedKindThatIsNoKindIsRefused();
    void entryDateThatIsNoDateIsRefused_data() { notDates(); }
    void entryDateThatIsNoDateIsRefused();
    void amountsOfEveryWrongShapeAreRefused_data();
    void amountsOfEveryWrongShapeAreRefused();
    void amountsOfEveryRightShapeAreStored_data();
    void amountsOfEveryRightShapeAreStored();
    void queryFindsTheDescriptionLiterally_data() { awkwardTexts(); }
    void queryFindsTheDescriptionLiterally();
    void queryRangeThatIsNoDateIsRefused_data() { notDates(); }
    void queryRangeThatIsNoDateIsRefused();
    void yearThatIsNoYearIsRefused_data();
    void yearThatIsNoYearIsRefused();
};

void BadInputTest::entryTextsAreStoredAndShownExactly()
{
    QFETCH(QString, text);
    EntryWindow s;
    input_keyin *w = s.open();
    paste(w->account_name, text);
    QCOMPARE(w->account_name->text(), text);
    testing::retype(w->money_inout, "12");
    paste(w->note_one, text + QStringLiteral("!"));
    s.press(w->data_add);
    QCOMPARE(s.boxes.take(), QStringList());
    const QList<QVariantList> stored = s.ledger.rows("SELECT a_content, a_note FROM data_main");
    QCOMPARE(stored, QList<QVariantList>({ { text, text + QStringLiteral("!") } }));
    QCOMPARE(s.row(1).mid(3), QStringList({ text, "12", text + QStringLiteral("!") }));

    // Clicking the row brings the texts back into the fields; saving them unchanged changes nothing.
    w->account_name->clear();
    w->note_one->clear();
    s.clickRow(1);
    QCOMPARE(w->account_name->text(), text);
    QCOMPARE(w->note_one->text(), text + QStringLiteral("!"));
    s.press(w->data_modifty);
    QCOMPARE(s.boxes.take(), QStringList());
    QCOMPARE(s.ledger.rows("SELECT a_content, a_note FROM data_main"), stored);
    QCOMPARE(s.ledger.rows("SELECT name FROM kind ORDER BY a_kind"),
        QList<QVariantList>({ { "餐費" }, { "交通" }, { "薪資" } }));
}

void BadInputTest::dayNoteIsStoredAndShownExactly()
{
    QFETCH(QString, text);
    EntryWindow s;
    input_keyin *w = s.open();
    paste(w->note_day, text);
    // The box keeps lines apart with one line feed, whatever the pasted text used.
    const QString shown = w->note_day->text();
    QCOMPARE(shown, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    testing::click(w->account_name);
    QCOMPARE(s.boxes.take(), QStringList());
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", shown } }));

    testing::retype(w->date_new, "2024/5/14");
    QTest::keyClick(w->date_new, Qt::Key_Return);
    QVERIFY(w->note_day->text().isEmpty());
    testing::retype(w->date_new, "2024/5/15");
    QTest::keyClick(w->date_new, Qt::Key_Return);
    QCOMPARE(w->note_day->text(), shown);
    QCOMPARE(s.boxes.take(), QStringList());
}

void BadInputTest::kindNamesAreStoredAndUsableExactly()
{
    QFETCH(QString, text);
    testing::FixedClock clock(QDate(2024, 5, 15));
    TestLedger ledger;
    ledger.addKind("餐費", 1);
    ScriptedBoxes boxes;
    {
        auto manager = kinds_testing::openManager();
        paste(manager->kind_name, text);
        testing::click(manager->kind_add);
        QCOMPARE(boxes.take(), QStringList { "Done!" });
        QCOMPARE(kinds_testing::itemTexts(manager->kind), QStringList({ "餐費", text }));
        // The same name again is refused, not stored twice.
        paste(manager->kind_name, text);
        testing::click(manager->kind_add);
        QCOMPARE(boxes.take(), QStringList { "Error!! ...There is a data as the same as what you key in!!" });
    }
    QCOMPARE(ledger.rows("SELECT name FROM kind ORDER BY key_order"), QList<QVariantList>({ { "餐費" }, { text } }));

    input_keyin w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.kind->itemText(1), text);
    w.kind->setFocus();
    QTest::keyClick(w.kind, Qt::Key_Down);
    testing::retype(w.account_name, "x");
    testing::retype(w.money_inout, "1");
    testing::click(w.data_add);
    QCOMPARE(boxes.take(), QStringList());
    QCOMPARE(ledger.rows("SELECT k.name, d.a_kind_name FROM data_main d JOIN kind k ON k.a_kind = d.a_kind"),
        QList<QVariantList>({ { text, text } }));
    QCOMPARE(w.DGrid->textAt(1, 2), text);
}

void BadInputTest::typedKindThatIsNoKindIsRefused()
{
    QFETCH(QString, text);
    EntryWindow s;
    input_keyin *w = s.open();
    paste(w->kind, text);
    testing::retype(w->account_name, "x");
    testing::retype(w->money_inout, "1");
    // Offered as a new kind; No writes nothing.
    s.boxes.answer(false);
    s.press(w->data_add);
    QCOMPARE(s.boxes.take().size(), 1);
    QCOMPARE(s.boxes.unexpected(), QStringList());
    QCOMPARE(s.entries(), QList<QVariantList>());
    QCOMPARE(s.ledger.rows("SELECT count(*) FROM kind"), QList<QVariantList>({ { 3 } }));
    QCOMPARE(s.focus(), static_cast<QWidget *>(w->kind));
}

void BadInputTest::entryDateThatIsNoDateIsRefused()
{
    QFETCH(QString, text);
    EntryWindow s;
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 50, "", 1);
    input_keyin *w = s.open();
    paste(w->date_new, text);
    QTest::keyClick(w->date_new, Qt::Key_Return);
    const QStringList texts = s.boxes.take();
    QVERIFY(!texts.isEmpty());
    for (const QString &shown : texts)
        QCOMPARE(shown, badDate);
    QCOMPARE(s.focus(), static_cast<QWidget *>(w->date_new));
    QCOMPARE(s.contents(), QStringList { "早餐" });

    // A command refuses too, and writes nothing.
    testing::retype(w->account_name, "x");
    testing::retype(w->money_inout, "1");
    paste(w->date_new, text);
    testing::click(w->data_add);
    QVERIFY(s.boxes.take().contains(badDate));
    QCOMPARE(s.entries().size(), 1);
}

void BadInputTest::amountsOfEveryWrongShapeAreRefused_data()
{
    QTest::addColumn<QString>("text");
    for (const char *amount : { "abc", "1,00", "5$", "US$5", "1.2.3", "1e", "e5", "--5", "+-5", "1e400", "-1e400",
             "NaN", "inf", "0x10", "1 000", "5'", "5; DROP TABLE data_main", "5--", "." })
        QTest::newRow(amount) << QString::fromUtf8(amount);
    QTest::newRow("full-width digits and another unit") << QStringLiteral("１２圓");
    QTest::newRow("arabic-indic digits") << QStringLiteral("١٢");
    QTest::newRow("tab") << QStringLiteral("\t5");
    QTest::newRow("line feed") << QStringLiteral("5\n");
    QTest::newRow("full-width space inside") << QStringLiteral("\u30005\u30005");
    QTest::newRow("10,000 digits") << QString(10000, QLatin1Char('9'));
}

void BadInputTest::amountsOfEveryWrongShapeAreRefused()
{
    QFETCH(QString, text);
    EntryWindow s;
    input_keyin *w = s.open();
    testing::retype(w->account_name, "x");
    paste(w->money_inout, text);
    testing::click(w->note_one);
    QCOMPARE(s.boxes.take(), QStringList { badAmountOnLeaving });
    QCOMPARE(s.focus(), static_cast<QWidget *>(w->money_inout));
    // Pressing 新增 leaves the field, which says so once more before the command refuses.
    s.press(w->data_add);
    QCOMPARE(s.boxes.take(), QStringList({ badAmountOnLeaving, badAmountOnAdding }));
    QCOMPARE(s.entries(), QList<QVariantList>());
}

void BadInputTest::amountsOfEveryRightShapeAreStored_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("box"); // the question asked first (answered Yes), or the refusal
    const auto ask
        = [](const char *grouped) { return QStringLiteral("金額是 %1 元，確定嗎？").arg(QLatin1String(grouped)); };
    const auto refused = [](const char *typed, int digits) {
        return QStringLiteral("金額「%1」有 %2 位有效數字，帳本最多只能照打的存下 15 位，請重新輸入")
            .arg(QLatin1String(typed))
            .arg(digits);
    };
    const double none = std::nan("");
    QTest::newRow("fraction") << QStringLiteral("-3.25") << -3.25 << QStringLiteral("-3.25") << QString();
    QTest::newRow("plus sign") << QStringLiteral("+7") << 7.0 << QStringLiteral("7") << QString();
    QTest::newRow("leading point") << QStringLiteral(".5") << 0.5 << QStringLiteral("0.5") << QString();
    QTest::newRow("trailing point") << QStringLiteral("5.") << 5.0 << QStringLiteral("5") << QString();
    QTest::newRow("outer blanks") << QStringLiteral("  12  ") << 12.0 << QStringLiteral("12") << QString();
    QTest::newRow("leading zeros") << QStringLiteral("007") << 7.0 << QStringLiteral("7") << QString();
    QTest::newRow("under ten million") << QStringLiteral("9999999.99") << 9999999.99 << QStringLiteral("9999999.99")
                                       << QString();
    QTest::newRow("grouped, NT$ and 元") << QStringLiteral("NT$1,234.5元") << 1234.5 << QStringLiteral("1234.5")
                                         << QString();
    QTest::newRow("grouped ten million") << QStringLiteral("-$10，000，000") << -1e7 << QStringLiteral("-10000000")
                                         << ask("-10,000,000");
    QTest::newRow("grouped 16 digits") << QStringLiteral("1,234,567,890,123,456") << none << QString()
                                       << refused("1234567890123456", 16);
    QTest::newRow("exponent") << QStringLiteral("1.5e3") << 1500.0 << QStringLiteral("1500") << ask("1,500");
    QTest::newRow("ten million") << QStringLiteral("-10000000") << -1e7 << QStringLiteral("-10000000")
                                 << ask("-10,000,000");
    QTest::newRow("fifteen digits") << QStringLiteral("123456789012.345") << 123456789012.345
                                    << QStringLiteral("123456789012.345") << ask("123,456,789,012.345");
    QTest::newRow("1e15") << QStringLiteral("1e15") << 1e15 << QStringLiteral("1000000000000000")
                          << ask("1,000,000,000,000,000");
    QTest::newRow("16 digits") << QStringLiteral("123456789012345.6") << none << QString()
                               << refused("123456789012345.6", 16);
    QTest::newRow("17 digits") << QStringLiteral("12345678901234567") << none << QString()
                               << refused("12345678901234567", 17);
    QTest::newRow("20 digits") << QStringLiteral("99999999999999999999") << none << QString()
                               << refused("99999999999999999999", 20);
}

void BadInputTest::amountsOfEveryRightShapeAreStored()
{
    QFETCH(QString, text);
    QFETCH(double, amount);
    QFETCH(QString, shown);
    QFETCH(QString, box);
    EntryWindow s;
    input_keyin *w = s.open();
    testing::retype(w->account_name, "x");
    paste(w->money_inout, text);
    s.boxes.answerEveryQuestion(true);
    s.press(w->data_add);
    QCOMPARE(s.boxes.take(), box.isEmpty() ? QStringList() : QStringList { box });
    if (std::isnan(amount)) {
        // Refused: nothing stored, the amount selected to be typed again.
        QCOMPARE(s.entries(), QList<QVariantList>());
        QCOMPARE(s.focus(), static_cast<QWidget *>(w->money_inout));
        QCOMPARE(w->money_inout->selectedText(), text);
        return;
    }
    QCOMPARE(s.ledger.scalar("SELECT a_count FROM data_main").toDouble(), amount);
    QCOMPARE(s.row(1).at(4), shown);
}

void BadInputTest::queryFindsTheDescriptionLiterally()
{
    QFETCH(QString, text);
    QueryWindowOpen q;
    check &window = q.window;
    const qint64 food = q.ledger.addKind("餐費", 1);
    const QStringList matching = { text, QStringLiteral("前") + text + QStringLiteral("後") };
    // Each would be found if a wildcard or quote in the text were taken for more than itself.
    const QStringList others = { "1005", "axb", "C:/temp/", "say hi", "O", "plain", "上 下", "ab" };
    qint64 key = 0;
    for (const QString &content : matching + others)
        querywindow::addEntry(q.ledger, "2024-05-03", food, 0, content, 1, ++key);
    QVERIFY(querywindow::open(window));
    testing::click(window.chk_mon_detail);
    paste(window.account_name, text);
    QCOMPARE(window.account_name->text(), text);
    querywindow::press(window.chk_month);
    QCOMPARE(q.boxes.take(), QStringList());
    const QStringList found = querywindow::column(window.DGrid, 3);
    QCOMPARE(QSet<QString>(found.begin(), found.end()), QSet<QString>(matching.begin(), matching.end()));
}

void BadInputTest::queryRangeThatIsNoDateIsRefused()
{
    QFETCH(QString, text);
    QueryWindowOpen q;
    check &window = q.window;
    QVERIFY(querywindow::open(window));
    const QString summary = window.msg_field->toPlainText();
    testing::click(window.chkrange_3);
    paste(window.str_begin, text);
    querywindow::press(window.chk_month);
    QCOMPARE(q.boxes.take(), QStringList { refusals::badBegin });
    testing::retype(window.str_begin, "2024/05/01");
    paste(window.str_end, text);
    querywindow::press(window.chk_month);
    QCOMPARE(q.boxes.take(), QStringList { refusals::badEnd });
    QCOMPARE(window.msg_field->toPlainText(), summary);
}

void BadInputTest::yearThatIsNoYearIsRefused_data()
{
    QTest::addColumn<QString>("text");
    for (const char *year : { "", "abc", "2024'", "20 24", "-1", "0", "12345", "2024/1", "2024; --", "２０２４年" })
        QTest::newRow(year) << QString::fromUtf8(year);
    QTest::newRow("line feed") << QStringLiteral("2024\n");
    QTest::newRow("10,000 characters") << QString(10000, QLatin1Char('2'));
}

void BadInputTest::yearThatIsNoYearIsRefused()
{
    QFETCH(QString, text);
    QueryWindowOpen q;
    check &window = q.window;
    QVERIFY(querywindow::open(window));
    querywindow::press(window.chk_year);
    paste(window.chkyeartxt, text);
    querywindow::press(window.chk_year_go);
    QCOMPARE(q.boxes.take(), QStringList { refusals::badYear });
    QCOMPARE(window.chkyeartxt->text(), QStringLiteral("2024"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(window.chkyeartxt));
}

SAFETY_TEST_MAIN(BadInputTest)
#include "bad_input_test.moc"
