// Awkward text pasted into every text field of every window: quotes, wildcards, statement
// pieces, line breaks, tabs, marks a reader takes for a byte-order mark, characters beyond the
// first plane, right-to-left text, very long text; dates, amounts and years of wrong
// shape. Each is stored and shown back code unit for code unit, or refused with the field's
// message and nothing written.

#include "safety/SafetySupport.h"
#include "support/Refusals.h"
#include "support/UnusualTexts.h"

#include "entry/EntryWindow.h"
#include "kinds/KindWindowDriving.h"
#include "reports/QueryWindow.h"

#include <QClipboard>

#include <array>

namespace {

// A person pastes the text over the field's: typing cannot enter line breaks or tabs.
void paste(QWidget *field, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    testing::click(field);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

void awkwardTexts()
{
    testing::addUnusualTextRows(false);
    for (const char *text : { "O'Neil's", "say \"hi\"", "100%", "a_b", "C:\\temp\\", "x'); DROP TABLE data_main; --",
             "上\n下", "上\r\n下", "a\tb", "\u3000前後\u3000", "שלום مرحبا 12", "\u202Eabc\u202C" })
        QTest::newRow(text) << QString::fromUtf8(text);
    QTest::newRow("nul character") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QTest::newRow("10,000 characters") << QString(10000, QChar(0x5E33));
}

// The reader's own table holds every shape; these are what pasting brings.
const QStringList notDates = { QString(), "2024/2/30", "2024/5/1'; DELETE FROM data_main; --", "２０２４/１３/１",
    "2024/5/1\n", "📅", QString(10000, u'9'), "112/2/29" };

const QString halfHigh = QStringLiteral("午餐") + QChar(0xD83D);
const QString halfLow = QChar(0xDE00) + QStringLiteral("餐");

} // namespace

class BadInputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Stored as pasted, the kind of that name offered (No writes nothing) and made; shown in the
    // grid and, the row clicked, in the fields again; saved unchanged, nothing changes. The day note keeps lines apart
    // with one line feed whatever the pasted text used, and comes back with its day.
    void textsAreStoredAndShownExactly_data() { awkwardTexts(); }
    void textsAreStoredAndShownExactly()
    {
        QFETCH(QString, text);
        EntryWindow s;
        input_keyin *w = s.open();
        paste(w->kind, text);
        paste(w->account_name, text);
        testing::retype(w->money_inout, QStringLiteral("12"));
        paste(w->note_one, text + u'!');
        paste(w->note_day, text);
        const QString note = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        s.boxes.answer(false);
        s.press(w->data_add);
        QVERIFY(s.entries().isEmpty());
        s.boxes.answer(true);
        s.press(w->data_add);
        QCOMPARE(s.boxes.take().size(), 2);
        const QString sql
            = QStringLiteral("SELECT a_content, a_note, a_kind_name, k.name FROM data_main JOIN kind k USING (a_kind)");
        const QList<QVariantList> stored = { { text, text + u'!', text, text } };
        QCOMPARE(s.ledger.rows(sql), stored);
        QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", note } }));
        COMPARE_UNITS(s.row(1).value(1) + s.row(1).value(3) + s.row(1).value(5), text + text + text + u'!');
        s.clickRow(1);
        s.press(w->data_modifty);
        testing::retype(w->date_new, QStringLiteral("2024/5/14"));
        QTest::keyClick(w->date_new, Qt::Key_Return);
        QVERIFY(w->note_day->text().isEmpty());
        QCOMPARE(s.boxes.take(), QStringList());
        QCOMPARE(s.ledger.rows(sql), stored);
    }

    // Refused with the field's message, the focus on it, nothing written: dates in the daily
    // entry (on Return and by a command), amounts (on leaving the field and on 新增), the
    // query's range and year. Amounts of every right shape are stored; half a character is
    // refused everywhere.
    void wrongShapesAndHalfCharactersAreRefused()
    {
        EntryWindow s;
        s.ledger.addEntry(QStringLiteral("2024-05-15"), s.food, 0, QStringLiteral("早餐"), 50, {}, 1);
        s.ledger.setDayNote(QStringLiteral("2024-05-15"), QStringLiteral("晴"));
        input_keyin *w = s.open();
        for (const QString &text : notDates) {
            paste(w->date_new, text);
            QTest::keyClick(w->date_new, Qt::Key_Return);
            const QStringList texts = s.boxes.take();
            QVERIFY2(!texts.isEmpty() && texts.filter(refusals::badDate) == texts, qPrintable(text));
            testing::retype(w->account_name, QStringLiteral("x"));
            testing::retype(w->money_inout, QStringLiteral("1"));
            paste(w->date_new, text);
            testing::click(w->data_add);
            QVERIFY(s.boxes.take().contains(refusals::badDate));
        }
        testing::retype(w->date_new, QStringLiteral("2024/5/15"));
        QTest::keyClick(w->date_new, Qt::Key_Return);
        for (const char *amount :
            { "abc", "1,00", "1e400", "NaN", "5; DROP TABLE data_main", "１２圓", "١٢", "\t5", "5\n", "(120)" }) {
            paste(w->money_inout, QString::fromUtf8(amount));
            testing::click(w->note_one);
            s.press(w->data_add);
            QCOMPARE(s.boxes.take(),
                QStringList(
                    { refusals::badAmountOnLeaving, refusals::badAmountOnLeaving, refusals::badAmountOnAdding }));
        }
        QCOMPARE(s.entries().size(), 1);
        w->money_inout->clear();
        // Each amount of a right shape is stored as the number it reads as, shown plainly; from ten
        // million on it is asked about first (answered Yes); more than 15 significant digits are
        // refused, the amount selected to be typed again.
        s.boxes.answerEveryQuestion(true);
        const QString ask = QStringLiteral("金額是 %1 元，確定嗎？");
        const QString refused = QStringLiteral("金額「%1」有 16 位有效數字，帳本最多只能照打的存下 15 位，請重新輸入");
        // Typed, stored, and the amount the question names (the refusal, when nothing is stored).
        const QList<std::array<const char *, 3>> amounts = { { "-3.25", "-3.25", "" }, { "NT$1,234.5元", "1234.5", "" },
            { "9999999.99", "9999999.99", "" }, { "-$10，000，000", "-10000000", "-10,000,000" },
            { "1.5e3", "1500", "1,500" }, { "1e15", "1000000000000000", "1,000,000,000,000,000" },
            { "1,234,567,890,123,456", "", "1234567890123456" }, { "123456789012345.6", "", "123456789012345.6" } };
        int stored = 1;
        for (const auto &[typed, shown, named] : amounts) {
            testing::retype(w->account_name, QStringLiteral("x"));
            paste(w->money_inout, QString::fromUtf8(typed));
            s.press(w->data_add);
            const QString box
                = *named == '\0' ? QString() : (*shown == '\0' ? refused : ask).arg(QString::fromUtf8(named));
            QCOMPARE(s.boxes.take().join(u'|'), box);
            if (*shown == '\0') {
                w->money_inout->clear();
                continue;
            }
            QCOMPARE(s.row(++stored).at(4), QString::fromLatin1(shown));
            QCOMPARE(
                s.ledger.scalar(QStringLiteral("SELECT a_count FROM data_main WHERE a_key = ?"), { stored }).toDouble(),
                QString::fromLatin1(shown).toDouble());
        }
        // Half a character pasted into any text field is refused, naming the field, and nothing
        // written: on adding, on modifying, on leaving the day note (closing the window asks first),
        // and in the kind manager.
        const QList<QVariantList> before = s.entries() + s.notes();
        using Field = std::pair<QWidget *, const char *>;
        for (const auto &[field, label] :
            { Field { w->account_name, "帳目名稱" }, Field { w->note_one, "註解" }, Field { w->note_day, "日註解" } }) {
            for (const bool modify : { false, true }) {
                if (modify)
                    s.clickRow(1);
                testing::retype(w->account_name, QStringLiteral("午餐"));
                testing::retype(w->money_inout, QStringLiteral("90"));
                testing::retype(w->note_one, QStringLiteral("豆漿"));
                paste(field, modify ? halfLow : halfHigh);
                s.press(modify ? static_cast<QWidget *>(w->data_modifty) : static_cast<QWidget *>(w->data_add));
                const QStringList shown = s.boxes.take();
                QVERIFY2(shown.size() == 1
                        && shown.at(0).contains(QStringLiteral("「%1」裡有不完整的字元").arg(QString::fromUtf8(label))),
                    qPrintable(shown.join(u'|')));
                QCOMPARE(s.entries() + s.notes(), before);
            }
        }
        paste(w->note_day, halfLow);
        QTest::keyClick(w->note_day, Qt::Key_Tab);
        QVERIFY(s.boxes.take().value(0).contains(QStringLiteral("「日註解」")));
        paste(w->note_day, halfHigh);
        s.boxes.answer(false); // closing asks whether to leave without it; No keeps the window
        w->reject();
        QVERIFY(w->isVisible() && w->note_day->text() == halfHigh && s.boxes.unexpected().isEmpty());
        QCOMPARE(s.entries() + s.notes(), before);
        s.boxes.take();
        s.w.reset();

        check window;
        QVERIFY(querywindow::open(window));
        const QString summary = window.msg_field->toPlainText();
        testing::click(window.chkrange_3);
        for (const QString &text : notDates) {
            paste(window.str_begin, text);
            querywindow::press(window.chk_month);
            testing::retype(window.str_begin, QStringLiteral("2024/05/01"));
            paste(window.str_end, text);
            querywindow::press(window.chk_month);
            QCOMPARE(s.boxes.take(), QStringList({ refusals::badBegin, refusals::badEnd }));
        }
        QCOMPARE(window.msg_field->toPlainText(), summary);
        querywindow::press(window.chk_year);
        for (const char *year :
            { "", "abc", "2024'", "20 24", "-1", "0", "12345", "2024/1", "２０２４年", "2024\n", "一一三" }) {
            paste(window.chkyeartxt, QString::fromUtf8(year));
            querywindow::press(window.chk_year_go);
            QCOMPARE(s.boxes.take(), QStringList { refusals::badYear });
        }
        auto manager = kinds_testing::openManager();
        const QList<QVariantList> kinds = s.ledger.rows(QStringLiteral("SELECT * FROM kind"));
        paste(manager->kind_name, halfHigh);
        testing::click(manager->kind_add);
        kinds_testing::clickItem(manager->kind, 1);
        paste(manager->kind_name, halfLow);
        s.boxes.answer(true);
        testing::click(manager->kind_modify);
        const QStringList shown = s.boxes.take(); // the refusal, the question, the refusal
        QVERIFY2(shown.size() == 3 && shown.filter(QStringLiteral("「種類名稱」")).size() == 2,
            qPrintable(shown.join(u'|')));
        QCOMPARE(s.ledger.rows(QStringLiteral("SELECT * FROM kind")), kinds);
    }
};

SAFETY_TEST_MAIN(BadInputTest)
#include "bad_input_test.moc"
