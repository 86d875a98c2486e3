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

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>

using R = Recurrence::Rule;

namespace {

// A ledger on 2024/5/15 with the rent (自動記入) on the 31st since January and the electricity
// (金額每次不同, 提醒我) every two months since 3/20.
struct DueLedger
{
    testing::FixedClock clock { QDate(2024, 5, 15) };
    TestLedger ledger;
    ScriptedBoxes boxes;
    qint64 home = ledger.addKind(QStringLiteral("居家"), 1);
    qint64 rent = RecurringStore::saveItem(
        { 0, 0, home, QStringLiteral("房租"), 12000, {}, { R::MonthDay, 31, 1, QDate(2024, 1, 31), {}, 0 }, true });
    qint64 power = RecurringStore::saveItem({ 0, 0, home, QStringLiteral("電費"), std::nullopt, {},
        { R::EveryMonths, 2, 1, QDate(2024, 3, 20), {}, 0 }, false });

    QStringList entries() const
    {
        QStringList out;
        for (const QVariantList &row :
            ledger.rows(QStringLiteral("SELECT a_date, a_content, a_count FROM data_main ORDER BY a_key")))
            out << QStringLiteral("%1 %2 %3").arg(row[0].toString(), row[1].toString(), row[2].toString());
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
        out << (model(w)->item(r, 0)->checkState() == Qt::Checked ? QStringLiteral("✓ ") : QStringLiteral("  "))
                + model(w)->item(r, 1)->text() + QLatin1Char(' ') + model(w)->item(r, 4)->text() + QLatin1Char(' ')
                + model(w)->item(r, 5)->text();
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
        model(w)->item(2, 5)->setText(QStringLiteral("1,234.5"));
        tick(w, 4, false);
        testing::click(w.cmd_enter);
        QCOMPARE(s.entries(),
            QStringList({ "2024-01-31 房租 12000", "2024-02-29 房租 12000", "2024-03-20 電費 1234.5",
                "2024-03-31 房租 12000" }));
        QCOMPARE(w.summary->text(), QStringLiteral("已記入 4 筆，支出 37,234.5 元。"));
        QCOMPARE(rows(w), QStringList({ "  2024/04/30 房租 12000" }));
        testing::click(w.cmd_undo);
        QVERIFY(s.entries().isEmpty());
        QCOMPARE(rows(w).size(), 5);
        tick(w, 2, true);
        testing::click(w.cmd_skip);
        QCOMPARE(w.summary->text(), QStringLiteral("已略過 4 筆。"));
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
        s.ledger.addEntry(
            "2024-05-10", s.home, 0, QStringLiteral("管理費"), 1500, QStringLiteral("社區"), 1, QStringLiteral("居家"));
        ModalDriver modal;
        input_keyin w(nullptr, windowOpeners());
        testing::showActive(&w);
        w.showEntry(QDate(2024, 5, 10), 0);
        QTest::mouseClick(
            w.DGrid->viewport(), Qt::LeftButton, {}, w.DGrid->visualRect(w.DGrid->model()->index(0, 4)).center());
        modal.next([&s](QDialog *dialog) {
            auto *editor = static_cast<RecurringEditor *>(dialog);
            QCOMPARE(editor->upcoming->text(), QStringLiteral("2024/06/10、2024/07/10、2024/08/10、2024/09/10 …"));
            const auto ok = [dialog] { testing::click(dialog->findChild<QPushButton *>(QStringLiteral("ok"))); };
            testing::retype(editor->money, QStringLiteral("abc"));
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "請輸入正確錢的數目\n" + Numbers::acceptedAmountForms() });
            testing::retype(editor->money, QStringLiteral("NT$1,600"));
            editor->rule->setCurrentIndex(static_cast<int>(R::Yearly));
            editor->number->setValue(2);
            editor->day->setValue(30);
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "2 月沒有 30 日" });
            editor->rule->setCurrentIndex(static_cast<int>(R::MonthDay));
            editor->number->setValue(10);
            ok();
        });
        w.DGrid->findChild<QAction *>(QStringLiteral("setRecurring"))->trigger();
        const RecurringStore::Item item = RecurringStore::items().last();
        QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(item.content)
                     .arg(*item.amount)
                     .arg(item.when.first.toString(Qt::ISODate), item.when.shown()),
            QStringLiteral("管理費 1600 2024-05-11 每月 10 日"));
    }

    // A new item from the list, weekly and for a number of times; what is wrong is said and nothing
    // saved until it is right; 修改 (or a double click) opens the item, 取消 leaves it.
    void theEditorSavesOnlyWhatIsRight()
    {
        DueLedger s;
        ModalDriver modal;
        RecurringWindow w;
        modal.next([&s](QDialog *dialog) {
            auto *e = static_cast<RecurringEditor *>(dialog);
            const auto ok = [dialog] { testing::click(dialog->findChild<QPushButton *>(QStringLiteral("ok"))); };
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "請輸入正確的帳目名稱" });
            testing::retype(e->account_name, QStringLiteral("保險"));
            e->amount_varies->setChecked(true);
            testing::retype(e->first_date, QStringLiteral("113/2/30"));
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "請輸入正確的開始日期，例如 2024/5/1 或 113/5/1" });
            testing::retype(e->first_date, QStringLiteral("113/5/1"));
            e->rule->setCurrentIndex(static_cast<int>(R::Weekly));
            e->weekday->setCurrentIndex(2);
            e->end->setCurrentIndex(1);
            testing::retype(e->last_date, QStringLiteral("2024/4/1"));
            ok();
            QCOMPARE(s.boxes.take(), QStringList { "請輸入開始日期當天或以後的結束日期" });
            e->end->setCurrentIndex(2);
            e->times->setValue(2);
            QCOMPARE(e->upcoming->text(), QStringLiteral("2024/05/01、2024/05/08"));
            e->remind->setChecked(true);
            ok();
        });
        testing::click(w.cmd_add);
        const RecurringStore::Item item = RecurringStore::items().last();
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(item.when.shown()).arg(item.when.times).arg(item.automatic),
            QStringLiteral("每週星期三 2 0"));
        modal.next([](QDialog *dialog) { dialog->reject(); });
        w.items->selectRow(2);
        testing::click(w.cmd_change);
        QCOMPARE(modal.shown().last(), QStringLiteral("RecurringEditor"));
        s.boxes.answer(false);
        testing::click(w.cmd_delete);
        QCOMPARE(RecurringStore::items().size(), 3);
        modal.next([](QDialog *dialog) { dialog->reject(); });
        testing::click(w.cmd_due);
        QCOMPARE(modal.shown().last(), QStringLiteral("DueWindow"));
        DueWindow due;
        for (int r = 0; r < due.due->model()->rowCount(); ++r)
            model(due)->item(r, 0)->setCheckState(Qt::Unchecked);
        testing::click(due.cmd_skip);
        QCOMPARE(s.boxes.take().last(), QStringLiteral("請先勾選要處理的項目"));
    }

    // The list shows each item with when it falls due next; 刪除 asks, and keeps the entries.
    void theListShowsAndDeletes()
    {
        DueLedger s;
        RecurringStore::post({ { RecurringStore::due(QDate(2024, 5, 15)).first(), 12000.0 } });
        RecurringWindow w;
        const auto text = [&w](int row, int col) { return w.items->model()->index(row, col).data().toString(); };
        QCOMPARE(text(0, 5) + text(1, 3), QStringLiteral("2024/02/29（到期未記）每次不同"));
        s.boxes.answer(true);
        testing::click(w.cmd_delete);
        QCOMPARE(w.items->model()->rowCount(), 1);
        QCOMPARE(s.entries().size(), 1);
    }
};

QUILLORY_TEST_MAIN(RecurringWindowsTest)
#include "recurring_windows_test.moc"
