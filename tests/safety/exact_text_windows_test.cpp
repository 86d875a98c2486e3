// Texts pasted into the windows are kept exactly: a leading U+FEFF or U+FFFE, one in the
// middle, characters beyond the first plane, all come back in the fields, the grid and the
// ledger code unit for code unit, and the query finds them. A pasted text with half a
// character is refused with a message naming its field, and nothing is written.

#include "entry/EntryWindow.h"
#include "kinds/KindWindowDriving.h"
#include "reports/QueryWindow.h"
#include "store/KindStore.h"
#include "support/UnusualTexts.h"

#include <QClipboard>

namespace {

// Replaces a field's text by what is on the clipboard, as a person selecting all and pasting.
void paste(QWidget *field, const QString &text)
{
    testing::click(field);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QApplication::clipboard()->setText(text);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

const QString halfHigh = QStringLiteral("午餐") + QChar(0xD83D);
const QString halfLow = QChar(0xDE00) + QStringLiteral("餐");

QList<QVariantList> kindTable(const TestLedger &ledger)
{
    return ledger.rows(QStringLiteral("SELECT a_kind, name, key_order FROM kind ORDER BY a_kind"));
}

} // namespace

class ExactTextWindowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dailyEntryKeepsPastedTexts_data();
    void dailyEntryKeepsPastedTexts();
    void dailyEntryRefusesHalfACharacter_data();
    void dailyEntryRefusesHalfACharacter();
    void aDayNoteWithHalfACharacterIsNotSavedOnLeaving();
    void kindManagerKeepsPastedNamesAndRefusesHalfACharacter();
    void theQueryFindsPastedTexts();
};

void ExactTextWindowsTest::dailyEntryKeepsPastedTexts_data()
{
    testing::addUnusualTextRows(false);
}

void ExactTextWindowsTest::dailyEntryKeepsPastedTexts()
{
    QFETCH(QString, text);
    EntryWindow s;
    input_keyin *w = s.open();

    paste(w->account_name, text);
    testing::retype(w->money_inout, QStringLiteral("80"));
    paste(w->note_one, text + QStringLiteral("!"));
    paste(w->note_day, QStringLiteral("\uFEFF") + text);
    s.press(w->data_add);
    QCOMPARE(s.boxes.take(), QStringList());

    const QList<QVariantList> rows
        = s.ledger.rows(QStringLiteral("SELECT a_content, a_note FROM data_main WHERE a_date = '2024-05-15'"));
    QCOMPARE(rows.size(), 1);
    COMPARE_UNITS(rows.at(0).at(0).toString(), text);
    COMPARE_UNITS(rows.at(0).at(1).toString(), text + QStringLiteral("!"));
    COMPARE_UNITS(s.notes().value(0).value(1).toString(), QStringLiteral("\uFEFF") + text);
    COMPARE_UNITS(s.contents().value(0), text);

    // Changed through the fields the row fills, in a window opened afresh.
    s.w.reset();
    s.ledger.reopen();
    w = s.open();
    COMPARE_UNITS(w->note_day->text(), QStringLiteral("\uFEFF") + text);
    s.clickRow(1);
    COMPARE_UNITS(w->account_name->text(), text);
    COMPARE_UNITS(w->note_one->text(), text + QStringLiteral("!"));
    paste(w->account_name, text + text);
    s.press(w->data_modifty);
    QCOMPARE(s.boxes.take(), QStringList());
    COMPARE_UNITS(s.ledger.scalar(QStringLiteral("SELECT a_content FROM data_main")).toString(), text + text);
    COMPARE_UNITS(
        s.ledger.scalar(QStringLiteral("SELECT a_note FROM data_main")).toString(), text + QStringLiteral("!"));
    COMPARE_UNITS(s.contents().value(0), text + text);
}

void ExactTextWindowsTest::dailyEntryRefusesHalfACharacter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("broken");
    QTest::addColumn<bool>("modify");
    QTest::newRow("description, add") << QStringLiteral("account_name") << QStringLiteral("帳目名稱") << halfHigh
                                      << false;
    QTest::newRow("description, modify") << QStringLiteral("account_name") << QStringLiteral("帳目名稱") << halfLow
                                         << true;
    QTest::newRow("remark, add") << QStringLiteral("note_one") << QStringLiteral("註解") << halfLow << false;
    QTest::newRow("remark, modify") << QStringLiteral("note_one") << QStringLiteral("註解") << halfHigh << true;
    QTest::newRow("day note, add") << QStringLiteral("note_day") << QStringLiteral("日註解") << halfHigh << false;
    QTest::newRow("day note, modify") << QStringLiteral("note_day") << QStringLiteral("日註解") << halfLow << true;
}

void ExactTextWindowsTest::dailyEntryRefusesHalfACharacter()
{
    QFETCH(QString, field);
    QFETCH(QString, label);
    QFETCH(QString, broken);
    QFETCH(bool, modify);
    EntryWindow s;
    s.ledger.addEntry(QStringLiteral("2024-05-15"), s.food, 0, QStringLiteral("早餐"), 50, QStringLiteral("豆漿"), 1);
    s.ledger.setDayNote(QStringLiteral("2024-05-15"), QStringLiteral("晴"));
    input_keyin *w = s.open();
    const QList<QVariantList> entriesBefore = s.entries();
    const QList<QVariantList> notesBefore = s.notes();

    if (modify)
        s.clickRow(1);
    testing::retype(w->account_name, QStringLiteral("午餐"));
    testing::retype(w->money_inout, QStringLiteral("90"));
    QWidget *target = w->findChild<QWidget *>(field);
    QVERIFY(target);
    paste(target, broken);
    s.press(modify ? static_cast<QWidget *>(w->data_modifty) : static_cast<QWidget *>(w->data_add));

    const QStringList shown = s.boxes.take();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.at(0).contains(QStringLiteral("「") + label + QStringLiteral("」"))
            && shown.at(0).contains(QStringLiteral("不完整的字元")),
        qPrintable(shown.at(0)));
    QCOMPARE(s.entries(), entriesBefore);
    QCOMPARE(s.notes(), notesBefore);
    QCOMPARE(s.focus(), target);
    QCOMPARE(s.contents(), QStringList({ QStringLiteral("早餐") }));
}

void ExactTextWindowsTest::aDayNoteWithHalfACharacterIsNotSavedOnLeaving()
{
    EntryWindow s;
    s.ledger.setDayNote(QStringLiteral("2024-05-15"), QStringLiteral("晴"));
    input_keyin *w = s.open();

    paste(w->note_day, halfLow);
    QTest::keyClick(w->note_day, Qt::Key_Tab);
    const QStringList shown = s.boxes.take();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.at(0).contains(QStringLiteral("「日註解」")), qPrintable(shown.at(0)));
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "晴" } }));

    // Closing from the box asks whether to leave without it; No keeps the window and the text.
    paste(w->note_day, halfHigh);
    s.boxes.answer(false);
    w->reject();
    QVERIFY(w->isVisible());
    QCOMPARE(w->note_day->text(), halfHigh);
    QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "晴" } }));
    QVERIFY(s.boxes.unexpected().isEmpty());
}

void ExactTextWindowsTest::kindManagerKeepsPastedNamesAndRefusesHalfACharacter()
{
    using namespace kinds_testing;
    TestLedger ledger;
    ScriptedBoxes boxes;
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    const auto window = openManager();
    const QString marked = QStringLiteral("\uFFFE交通");

    paste(window->kind_name, marked);
    testing::click(window->kind_add);
    QCOMPARE(boxes.take(), QStringList { QStringLiteral("Done!") });
    const std::optional<qint64> added = [&]() -> std::optional<qint64> {
        for (const KindStore::Kind &k : KindStore::kindsByOrder()) {
            if (k.id != food)
                return k.id;
        }
        return std::nullopt;
    }();
    QVERIFY(added);
    COMPARE_UNITS(KindStore::kindById(*added)->name, marked);
    COMPARE_UNITS(itemTexts(window->kind).value(1), marked);

    // The same name once more is the same name, mark and all.
    paste(window->kind_name, marked);
    testing::click(window->kind_add);
    QCOMPARE(boxes.take().size(), 1);
    QCOMPARE(KindStore::kindsByOrder().size(), 2);

    clickItem(window->kind, 0);
    paste(window->kind_name, QStringLiteral("\uFEFF餐費𠀀"));
    boxes.answer(true);
    testing::click(window->kind_modify);
    boxes.take();
    COMPARE_UNITS(KindStore::kindById(food)->name, QStringLiteral("\uFEFF餐費𠀀"));

    const QList<QVariantList> before = kindTable(ledger);
    for (const QString &broken : { halfHigh, halfLow }) {
        paste(window->kind_name, broken);
        testing::click(window->kind_add);
        QStringList shown = boxes.take();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.at(0).contains(QStringLiteral("「種類名稱」")), qPrintable(shown.at(0)));

        clickItem(window->kind, 1);
        paste(window->kind_name, broken);
        boxes.answer(true);
        testing::click(window->kind_modify);
        shown = boxes.take();
        QCOMPARE(shown.size(), 2); // the question, then the refusal
        QVERIFY2(shown.at(1).contains(QStringLiteral("「種類名稱」")), qPrintable(shown.at(1)));
        QCOMPARE(kindTable(ledger), before);
    }
    QVERIFY(boxes.unexpected().isEmpty());
}

void ExactTextWindowsTest::theQueryFindsPastedTexts()
{
    using namespace querywindow;
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 10));
    ScriptedBoxes boxes;
    const QString marked = QStringLiteral("\uFFFEab");
    const qint64 plain = ledger.addKind(QStringLiteral("ab"), 1);
    const qint64 markedKind = ledger.addKind(marked, 2);
    addEntry(ledger, QStringLiteral("2024-05-15"), plain, 0, QStringLiteral("ab"), 10, 1);
    addEntry(ledger, QStringLiteral("2024-05-15"), markedKind, 0, marked, 20, 2);
    addEntry(ledger, QStringLiteral("2024-05-15"), plain, 0, QStringLiteral("\uFEFF𠀀"), 30, 3);
    addEntry(ledger, QStringLiteral("2024-05-15"), plain, 0, QStringLiteral("𠀀"), 40, 4);

    check window;
    QVERIFY(open(window));
    typeRange(window, QStringLiteral("2024/5/15"), QStringLiteral("2024/5/15"));
    testing::click(window.chk_mon_detail);
    const auto found = [&](const QString &filter, const QString &kindName) {
        paste(window.account_name, filter);
        if (!chooseKind(window, kindName))
            return QStringList({ QStringLiteral("<no kind ") + kindName + QStringLiteral(">") });
        press(window.chk_month);
        QStringList texts;
        for (const QString &t : column(window.DGrid, 3))
            texts << testing::units(t);
        return texts;
    };
    QCOMPARE(found(QStringLiteral("\uFFFEa"), QStringLiteral("全部")), QStringList({ testing::units(marked) }));
    QCOMPARE(found(QStringLiteral("\uFEFF"), QStringLiteral("全部")),
        QStringList({ testing::units(QStringLiteral("\uFEFF𠀀")) }));
    QCOMPARE(found(QString(), marked), QStringList({ testing::units(marked) }));
    QCOMPARE(found(QStringLiteral("𠀀"), QStringLiteral("ab")).size(), 2);
    QVERIFY(boxes.texts().isEmpty());
}

QUILLORY_TEST_MAIN(ExactTextWindowsTest)
#include "exact_text_windows_test.moc"
