// Recurring items: the schedule's dates, occurrences entered once whatever the clock does, and
// the items as a person uses them: set one up from an entry or from the menu, and deal with what
// falls due at the start.
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include "app/Form1.h"
#include "app/WindowOpeners.h"
#include "entry/input_keyin.h"
#include "platform/Numbers.h"
#include "recurring/DueWindow.h"
#include "recurring/RecurringEditor.h"
#include "recurring/RecurringWindow.h"
#include "store/KindStore.h"
#include "store/StoreError.h"
#include "store/database_access.h"
#include "ui/DGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>

using namespace Qt::StringLiterals;

using R = Recurrence::Rule;

namespace {

Recurrence rule(R kind, int number, const char *first, int day = 1, int times = 0, const char *last = "")
{
    return { kind, number, day, QDate::fromString(QLatin1String(first), Qt::ISODate),
        QDate::fromString(QLatin1String(last), Qt::ISODate), times };
}

QStringList dueDates(const char *today)
{
    QStringList out;
    for (const RecurringStore::Occurrence &o :
        RecurringStore::due(QDate::fromString(QLatin1String(today), Qt::ISODate)))
        out << RecurringStore::item(o.item)->content + QLatin1Char(' ') + o.date.toString(Qt::ISODate);
    return out;
}

// A ledger on 2024/5/15 with the rent (自動記入) on the 31st since January and the electricity
// (金額每次不同, 提醒我) every two months since 3/20.
struct DueLedger
{
    testing::FixedClock clock { QDate(2024, 5, 15) };
    TestLedger ledger;
    ScriptedBoxes boxes;
    qint64 home = ledger.addKind(u"居家"_s, 1);
    qint64 rent
        = RecurringStore::saveItem({ 0, 0, home, u"房租"_s, 12000, {}, rule(R::MonthDay, 31, "2024-01-31"), true });
    qint64 power = RecurringStore::saveItem(
        { 0, 0, home, u"電費"_s, std::nullopt, {}, rule(R::EveryMonths, 2, "2024-03-20"), false });

    QStringList entries() const
    {
        QStringList out;
        for (const QVariantList &row :
            ledger.rows(u"SELECT a_date, a_content, a_count FROM data_main ORDER BY a_key"_s))
            out << u"%1 %2 %3"_s.arg(row[0].toString(), row[1].toString(), row[2].toString());
        return out;
    }
};

QStandardItemModel *model(DueWindow &w)
{
    return static_cast<QStandardItemModel *>(w.due->model());
}

QStringList rows(DueWindow &w)
{
    QStringList out;
    for (int r = 0; r < model(w)->rowCount(); ++r)
        out << (model(w)->item(r, 0)->checkState() == Qt::Checked ? u"✓ "_s : u"  "_s) + model(w)->item(r, 1)->text()
                + QLatin1Char(' ') + model(w)->item(r, 4)->text() + QLatin1Char(' ') + model(w)->item(r, 5)->text();
    return out;
}

void tick(DueWindow &w, int row, bool on)
{
    model(w)->item(row, 0)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

} // namespace

class RecurringTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each rule's dates up to a day, and the rule kept as text and read back.
    void schedulesAndRules()
    {
        QStringList shown;
        for (const auto &[r, upTo, want] : std::initializer_list<std::tuple<Recurrence, const char *, const char *>> {
                 { rule(R::MonthDay, 31, "2024-01-31"), "2024-05-31", "01-31 02-29 03-31 04-30 05-31" },
                 { rule(R::MonthDay, 31, "2025-01-10"), "2025-04-30", "01-31 02-28 03-31 04-30" },
                 { rule(R::MonthDay, 5, "2024-01-20"), "2024-03-31", "02-05 03-05" }, // before the first date
                 { rule(R::MonthLast, 0, "2024-01-15"), "2024-03-31", "01-31 02-29 03-31" },
                 { rule(R::EveryMonths, 2, "2024-01-15"), "2024-06-30", "01-15 03-15 05-15" },
                 { rule(R::EveryMonths, 1, "2024-01-31"), "2024-03-31", "01-31 02-29 03-31" },
                 { rule(R::Yearly, 2, "2024-01-01", 29), "2026-12-31", "02-29 02-28 02-28" },
                 { rule(R::Weekly, 1, "2024-05-15"), "2024-06-03", "05-20 05-27 06-03" }, // Mondays
                 { rule(R::MonthDay, 1, "2024-01-01", 1, 3), "2024-12-31", "01-01 02-01 03-01" }, // three times
                 { rule(R::MonthDay, 10, "2024-01-01", 1, 0, "2024-02-10"), "2024-12-31", "01-10 02-10" },
                 { rule(R::MonthDay, 10, "2024-01-01"), "2024-01-09", "" } }) {
            shown << r.shown();
            QStringList dates;
            for (const auto &[index, date] : r.upTo(QDate::fromString(QLatin1String(upTo), Qt::ISODate)))
                dates << date.toString(Qt::ISODate).mid(5);
            QCOMPARE(dates.join(u' '), QString::fromLatin1(want));
            QCOMPARE(Recurrence::fromRuleText(r.ruleText())->ruleText(), r.ruleText());
        }

        // Rules that cannot be, texts that are no rule, and how each rule above is shown.
        for (const Recurrence &wrong : { rule(R::MonthDay, 32, "2024-01-01"), rule(R::Yearly, 2, "2024-01-01", 30),
                 rule(R::Weekly, 0, "2024-01-01"), rule(R::EveryMonths, 121, "2024-01-01"), rule(R::MonthDay, 1, "") })
            QVERIFY2(!wrong.isValid(), qPrintable(wrong.ruleText()));
        for (const char *text : { "monthday 0", "yearly 2", "months x", "daily 1" })
            QVERIFY2(!Recurrence::fromRuleText(QString::fromLatin1(text)), text);
        QVERIFY(!rule(R::MonthDay, 1, "2024-01-01").occurrence(-1).isValid());
        QCOMPARE(shown.join(u'|'),
            u"每月 31 日|每月 31 日|每月 5 日|每月最後一天|每 2 個月|每 1 個月|每年 2 月 29 日|每週星期一|每月 1 日|每月 10 日|每月 10 日"_s);
    }

    // Each occurrence is entered once: opened again the same day, after the clock went back
    // and forward, or after a failure half way, which leaves neither the entry nor the record.
    void occurrencesAreEnteredOnce()
    {
        TestLedger ledger;
        const qint64 rent = ledger.addKind(u"房租"_s, 1);
        QVERIFY(dueDates("2024-05-01").isEmpty()); // no tables yet
        const qint64 id = RecurringStore::saveItem(
            { 0, 0, rent, u"房租"_s, 12000.5, u"轉帳"_s, rule(R::MonthDay, 31, "2024-01-31"), true });
        const qint64 power = RecurringStore::saveItem(
            { 0, 0, rent, u"電費"_s, std::nullopt, {}, rule(R::EveryMonths, 2, "2024-02-10"), false });
        QCOMPARE(dueDates("2024-03-31"),
            QStringList({ "房租 2024-01-31", "電費 2024-02-10", "房租 2024-02-29", "房租 2024-03-31" }));

        // Enter the rent up to March, skip the electricity; a failure between the first entry and
        // its record leaves neither.
        QVector<RecurringStore::Posting> postings;
        for (const RecurringStore::Occurrence &o : RecurringStore::due(QDate(2024, 3, 31)))
            postings.append({ o, o.item == id ? std::optional<double>(12000.5) : std::nullopt });
        database_access::Set_Statement_Hook([](const QString &sql) {
            if (sql.startsWith(QLatin1String("INSERT INTO data_main")))
                throw StoreError(u"寫入失敗"_s);
        });
        QVERIFY_THROWS_EXCEPTION(StoreError, RecurringStore::post(postings));
        database_access::Set_Statement_Hook({});
        QCOMPARE(ledger.scalar(u"SELECT count(*) FROM data_main"_s).toInt(), 0);
        QCOMPARE(RecurringStore::due(QDate(2024, 3, 31)).size(), 4);
        const RecurringStore::Posted posted = RecurringStore::post(postings);
        QCOMPARE(std::make_pair(posted.keys.size(), posted.skipped), std::make_pair(qsizetype(3), 1));
        QCOMPARE(ledger.rows(u"SELECT a_date, a_content, a_count, a_note, a_kind_name FROM data_main ORDER BY a_key"_s)
                     .last(),
            QVariantList({ "2024-03-31", "房租", 12000.5, "轉帳", "房租" }));
        // The same postings again (a second window), the same day, the clock back and forward.
        QCOMPARE(RecurringStore::post(postings).alreadyDone, 4);
        QVERIFY(dueDates("2024-03-31").isEmpty() && dueDates("2024-02-15").isEmpty());
        QCOMPARE(dueDates("2024-04-30"), QStringList({ "電費 2024-04-10", "房租 2024-04-30" }));
        QCOMPARE(ledger.scalar(u"SELECT count(*) FROM data_main"_s).toInt(), 3);

        // Taken back, the entries go and their occurrences are due again.
        RecurringStore::takeBack(posted.keys.mid(2));
        QCOMPARE(dueDates("2024-03-31"), QStringList { "房租 2024-03-31" });

        // A changed schedule applies after what was dealt with; deleting keeps the entries.
        RecurringStore::Item changed = *RecurringStore::item(id);
        changed.when = rule(R::MonthDay, 15, "2024-01-01");
        RecurringStore::saveItem(changed);
        QCOMPARE(RecurringStore::item(id)->when.first, QDate(2024, 3, 1));
        QCOMPARE(dueDates("2024-03-31").first(), u"房租 2024-03-15"_s);
        RecurringStore::deleteItem(id);
        QCOMPARE(RecurringStore::items().size(), 1);
        QCOMPARE(ledger.scalar(u"SELECT count(*) FROM data_main"_s).toInt(), 2);

        // A kind an item still files under goes only with its entries, and the item follows them.
        const qint64 home = ledger.addKind(u"居家"_s, 2);
        RecurringStore::Item moved = *RecurringStore::item(power);
        moved.kind = home;
        RecurringStore::saveItem(moved);
        QVERIFY_THROWS_EXCEPTION(StoreError, KindStore::deleteKind(home, std::nullopt, std::nullopt));
        KindStore::deleteKind(home, rent, std::nullopt);
        QCOMPARE(RecurringStore::item(power)->kind, rent);
    }

    // Every occurrence up to today, oldest first; 記入 enters the ticked ones once, 略過這次 passes
    // one by, 復原 takes the last 記入 back whole; a second opening the same day has nothing.
    // The menu shows the list at the start only when something is due.
    void dueOccurrencesAreDealtWithOnce()
    {
        DueLedger s;
        ModalDriver modal;
        Form1 menu;
        modal.next([](QDialog *dialog) { dialog->reject(); });
        menu.offerDueRecurring();
        DueWindow w;
        QCOMPARE(rows(w),
            QStringList({ "✓ 2024/01/31 房租 12000", "✓ 2024/02/29 房租 12000", "  2024/03/20 電費 ",
                "✓ 2024/03/31 房租 12000", "✓ 2024/04/30 房租 12000" }));
        // 金額每次不同 cannot be entered empty; nothing is written until it has an amount.
        tick(w, 2, true);
        testing::click(w.cmd_enter);
        QCOMPARE(s.boxes.take(), QStringList { "請輸入 2024/03/20「電費」的金額" });
        QVERIFY(s.entries().isEmpty());
        model(w)->item(2, 5)->setText(u"1,234.5"_s);
        tick(w, 4, false);
        testing::click(w.cmd_enter);
        QCOMPARE(s.entries(),
            QStringList({ "2024-01-31 房租 12000", "2024-02-29 房租 12000", "2024-03-20 電費 1234.5",
                "2024-03-31 房租 12000" }));
        QCOMPARE(w.summary->text(), u"已記入 4 筆，支出 37,234.5 元。"_s);
        QCOMPARE(rows(w), QStringList({ "  2024/04/30 房租 12000" }));
        testing::click(w.cmd_undo);
        QVERIFY(s.entries().isEmpty());
        QCOMPARE(rows(w).size(), 5);
        tick(w, 2, true);
        testing::click(w.cmd_skip);
        QCOMPARE(w.summary->text(), u"已略過 4 筆。"_s);
        QCOMPARE(rows(w), QStringList({ "  2024/04/30 房租 12000" }));
        tick(w, 0, true);
        testing::click(w.cmd_enter);
        QCOMPARE(s.entries(), QStringList({ "2024-04-30 房租 12000" }));
        QVERIFY(!DueWindow().anythingDue());
        menu.offerDueRecurring();
        QCOMPARE(modal.shown(), QStringList { "DueWindow" });
        QVERIFY(s.boxes.unexpected().isEmpty());
    }

    // 設為固定收支 on an entry fills a new item that starts after it, so this month's is not
    // entered again; the editor checks its fields before saving.
    void theEditorSavesOnlyWhatIsRight()
    {
        DueLedger s;
        s.ledger.addEntry("2024-05-10", s.home, 0, u"管理費"_s, 1500, u"社區"_s, 1, u"居家"_s);
        ModalDriver modal;
        input_keyin w(nullptr, windowOpeners());
        testing::showActive(&w);
        w.showEntry(QDate(2024, 5, 10), 0);
        QTest::mouseClick(
            w.DGrid->viewport(), Qt::LeftButton, {}, w.DGrid->visualRect(w.DGrid->model()->index(0, 4)).center());
        modal.next([&s](QDialog *dialog) {
            auto *editor = static_cast<RecurringEditor *>(dialog);
            QCOMPARE(editor->upcoming->text(), u"2024/06/10、2024/07/10、2024/08/10、2024/09/10 …"_s);
            const auto ok = [dialog] { testing::click(dialog->findChild<QPushButton *>(u"ok"_s)); };
            testing::retype(editor->money, u"abc"_s);
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "請輸入正確錢的數目\n" + Numbers::acceptedAmountForms() });
            testing::retype(editor->money, u"NT$1,600"_s);
            editor->rule->setCurrentIndex(static_cast<int>(R::Yearly));
            editor->number->setValue(2);
            editor->day->setValue(30);
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "2 月沒有 30 日" });
            editor->rule->setCurrentIndex(static_cast<int>(R::MonthDay));
            editor->number->setValue(10);
            ok();
        });
        w.DGrid->findChild<QAction *>(u"setRecurring"_s)->trigger();
        const RecurringStore::Item item = RecurringStore::items().last();
        QCOMPARE(u"%1 %2 %3 %4"_s.arg(item.content)
                     .arg(*item.amount)
                     .arg(item.when.first.toString(Qt::ISODate), item.when.shown()),
            u"管理費 1600 2024-05-11 每月 10 日"_s);

        // A new item from the list, weekly and for a number of times; what is wrong is said and
        // nothing saved until it is right; 修改 (or a double click) opens the item, 取消 leaves it.
        // The list shows each item with when it falls due next; 刪除 asks, and keeps the entries.
        RecurringStore::post({ { RecurringStore::due(QDate(2024, 5, 15)).first(), 12000.0 } });
        RecurringWindow list;
        modal.next([&s](QDialog *dialog) {
            auto *e = static_cast<RecurringEditor *>(dialog);
            const auto ok = [dialog] { testing::click(dialog->findChild<QPushButton *>(u"ok"_s)); };
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "請輸入正確的帳目名稱" });
            testing::retype(e->account_name, u"保險"_s);
            e->amount_varies->setChecked(true);
            testing::retype(e->first_date, u"113/2/30"_s);
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "請輸入正確的開始日期，例如 2024/5/1 或 113/5/1" });
            testing::retype(e->first_date, u"113/5/1"_s);
            e->rule->setCurrentIndex(static_cast<int>(R::Weekly));
            e->weekday->setCurrentIndex(2);
            e->end->setCurrentIndex(1);
            testing::retype(e->last_date, u"2024/4/1"_s);
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "請輸入開始日期當天或以後的結束日期" });
            e->end->setCurrentIndex(2);
            e->times->setValue(2);
            QCOMPARE(e->upcoming->text(), u"2024/05/01、2024/05/08"_s);
            e->remind->setChecked(true);
            ok();
        });
        testing::click(list.cmd_add);
        const RecurringStore::Item added = RecurringStore::items().last();
        QCOMPARE(u"%1 %2 %3"_s.arg(added.when.shown()).arg(added.when.times).arg(added.automatic), u"每週星期三 2 0"_s);
        modal.next([](QDialog *dialog) { dialog->reject(); });
        list.items->selectRow(2);
        testing::click(list.cmd_change);
        QCOMPARE(modal.shown().last(), u"RecurringEditor"_s);
        s.boxes.answer(false);
        testing::click(list.cmd_delete);
        QCOMPARE(RecurringStore::items().size(), 4);
        list.items->selectRow(0); // the rent, of which one entry was made
        s.boxes.answer(true);
        testing::click(list.cmd_delete);
        QCOMPARE(RecurringStore::items().size(), 3);
        QCOMPARE(s.entries().size(), 2);
        modal.next([](QDialog *dialog) { dialog->reject(); });
        testing::click(list.cmd_due);
        QCOMPARE(modal.shown().last(), u"DueWindow"_s);
        DueWindow due;
        for (int r = 0; r < due.due->model()->rowCount(); ++r)
            model(due)->item(r, 0)->setCheckState(Qt::Unchecked);
        testing::click(due.cmd_skip);
        QCOMPARE(s.boxes.take().last(), u"請先勾選要處理的項目"_s);
    }
};

QUILLORY_TEST_MAIN(RecurringTest)
#include "recurring_test.moc"
