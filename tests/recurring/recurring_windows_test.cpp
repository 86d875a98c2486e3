// The recurring items as a person uses them: set one up from an entry or from the menu, and
// deal with what falls due at the start.
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
#include "ui/DGrid.h"

#include <QtWidgets>

using namespace Qt::StringLiterals;

using R = Recurrence::Rule;

namespace {

// A ledger on 2024/5/15 with the rent (自動記入) on the 31st since January and the electricity
// (金額每次不同, 提醒我) every two months since 3/20.
struct DueLedger
{
    testing::FixedClock clock { QDate(2024, 5, 15) };
    TestLedger ledger;
    ScriptedBoxes boxes;
    qint64 home = ledger.addKind(u"居家"_s, 1);
    qint64 rent = RecurringStore::saveItem(
        { 0, 0, home, u"房租"_s, 12000, {}, { R::MonthDay, 31, 1, QDate(2024, 1, 31), {}, 0 }, true });
    qint64 power = RecurringStore::saveItem(
        { 0, 0, home, u"電費"_s, std::nullopt, {}, { R::EveryMonths, 2, 1, QDate(2024, 3, 20), {}, 0 }, false });

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

class RecurringWindowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
    void anEntryBecomesARecurringItem()
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
    }

    // A new item from the list, weekly and for a number of times; what is wrong is said and nothing
    // saved until it is right; 修改 (or a double click) opens the item, 取消 leaves it. The list
    // shows each item with when it falls due next; 刪除 asks, and keeps the entries.
    void theEditorSavesOnlyWhatIsRight()
    {
        DueLedger s;
        RecurringStore::post({ { RecurringStore::due(QDate(2024, 5, 15)).first(), 12000.0 } });
        ModalDriver modal;
        RecurringWindow w;
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
        testing::click(w.cmd_add);
        const RecurringStore::Item item = RecurringStore::items().last();
        QCOMPARE(u"%1 %2 %3"_s.arg(item.when.shown()).arg(item.when.times).arg(item.automatic), u"每週星期三 2 0"_s);
        modal.next([](QDialog *dialog) { dialog->reject(); });
        w.items->selectRow(2);
        testing::click(w.cmd_change);
        QCOMPARE(modal.shown().last(), u"RecurringEditor"_s);
        s.boxes.answer(false);
        testing::click(w.cmd_delete);
        QCOMPARE(RecurringStore::items().size(), 3);
        const auto text = [&w](int row, int col) { return w.items->model()->index(row, col).data().toString(); };
        QCOMPARE(text(0, 5) + text(1, 3), u"2024/02/29（到期未記）每次不同"_s);
        w.items->selectRow(0); // the rent, of which one entry was made
        s.boxes.answer(true);
        testing::click(w.cmd_delete);
        QCOMPARE(RecurringStore::items().size(), 2);
        QCOMPARE(s.entries().size(), 1);
        modal.next([](QDialog *dialog) { dialog->reject(); });
        testing::click(w.cmd_due);
        QCOMPARE(modal.shown().last(), u"DueWindow"_s);
        DueWindow due;
        for (int r = 0; r < due.due->model()->rowCount(); ++r)
            model(due)->item(r, 0)->setCheckState(Qt::Unchecked);
        testing::click(due.cmd_skip);
        QCOMPARE(s.boxes.take().last(), u"請先勾選要處理的項目"_s);
    }
};

QUILLORY_TEST_MAIN(RecurringWindowsTest)
#include "recurring_windows_test.moc"
