#include "reports/QueryWindow.h"

#include "app/WindowOpeners.h"

#include "entry/input_keyin.h"
#include "store/database_access.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"

#include <QDialog>
#include <QHeaderView>

namespace {

using querywindow::press;
using querywindow::retype;

QString totals(const QString &income, const QString &expense, const QString &balance)
{
    return QStringLiteral("本次查詢的總收入為 : ") + income + QStringLiteral("元\n總支出 : ") + expense
        + QStringLiteral("\n總共為 : ") + balance + QStringLiteral("元");
}

void doubleClickRow(DGrid *grid, int gridRow)
{
    const QRect cell = grid->visualRect(grid->model()->index(gridRow - grid->fixedRows(), 1));
    // A person's double click: the first click, then the second arriving as a double click.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::qWait(0);
}

// The grid row of the daily-entry window that shows the entry with this key, by the
// ledger's order of the day (ascending key); -1 when the day has no such entry.
int dayRowOf(const TestLedger &ledger, const QString &isoDay, qint64 key)
{
    const QList<QVariantList> keys
        = ledger.rows(QStringLiteral("SELECT a_key FROM data_main WHERE a_date = ? ORDER BY a_key"), { isoDay });
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys.at(i).first().toLongLong() == key)
            return int(i + 1);
    }
    return -1;
}

// Two lunches on 1 May that look exactly alike in the result, and a salary on 3 May.
struct Ledger
{
    testing::FixedClock clock { QDate(2025, 6, 10) };
    TestLedger ledger;
    qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    qint64 salary = ledger.addKind(QStringLiteral("薪資"), 2);
    Ledger()
    {
        querywindow::addEntry(ledger, "2025-05-01", food, 0, "便當", 80, 1);
        querywindow::addEntry(ledger, "2025-05-01", food, 0, "便當", 80, 2);
        querywindow::addEntry(ledger, "2025-05-03", salary, 1, "五月薪水", 30000, 3);
    }
};

// That ledger, its message boxes answered, the windows opened from the query window driven.
struct MayResult
{
    Ledger data;
    ScriptedBoxes boxes;
    ModalDriver modal;
    check window { nullptr, windowOpeners() };

    // The query window open on May 2025, entry by entry or summed per day.
    bool show(bool detailed)
    {
        if (!querywindow::open(window))
            return false;
        querywindow::runRange(window, "2025/5/1", "2025/5/31", detailed);
        return true;
    }
};

} // namespace

class DayFromResultTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void detailedRowOpensItsEntryAndTheResultFollows();
    void summedRowOpensItsDay();
    void aGoneEntryIsToldAndOtherViewsOpenNothing();
};

void DayFromResultTest::detailedRowOpensItsEntryAndTheResultFollows()
{
    MayResult shown;
    QVERIFY(shown.show(true));
    check &window = shown.window;
    QCOMPARE(window.DGrid->rows(), 4);
    QCOMPARE(window.msg_field->text(), totals("30000", "160", "29840"));
    // Rows 1 and 2 read the same; each still stands for its own entry.
    QCOMPARE(querywindow::cells(window.DGrid).at(1), querywindow::cells(window.DGrid).at(2));
    const qint64 second = window.DGrid->rowKey(2);
    const qint64 first = window.DGrid->rowKey(1);
    QVERIFY(first > 0 && second > 0 && first != second);

    QString shownDate;
    int currentRow = -1;
    QString amount;
    bool modalFromQuery = false;
    shown.modal.next([&](QDialog *dialog) {
        auto *day = qobject_cast<input_keyin *>(dialog);
        QVERIFY(day);
        modalFromQuery = day->parentWidget() == &window;
        shownDate = day->date_new->text();
        currentRow = day->DGrid->row();
        amount = day->money_inout->text();
        retype(day->money_inout, QStringLiteral("95"));
        press(day->data_modifty);
        press(day->data_exit);
    });
    doubleClickRow(window.DGrid, 2);
    QCOMPARE(shown.modal.shown(), QStringList({ QStringLiteral("input_keyin") }));
    QVERIFY(modalFromQuery);
    QCOMPARE(shownDate, QStringLiteral("2025/5/1"));
    QCOMPARE(currentRow, dayRowOf(shown.data.ledger, "2025-05-01", second));
    QCOMPARE(amount, QStringLiteral("80"));

    // Only the entry of the clicked row changed, and the result shows it at once.
    QCOMPARE(shown.data.ledger.scalar("SELECT a_count FROM data_main WHERE a_key = ?", { second }).toDouble(), 95.0);
    QCOMPARE(shown.data.ledger.scalar("SELECT a_count FROM data_main WHERE a_key = ?", { first }).toDouble(), 80.0);
    QCOMPARE(window.msg_field->text(), totals("30000", "175", "29825"));
    const int changedRow = window.DGrid->rowKey(1) == second ? 1 : 2;
    QCOMPARE(window.DGrid->rowKey(changedRow), second);
    QCOMPARE(window.DGrid->textAt(changedRow, 4), QStringLiteral("95"));
    QCOMPARE(window.DGrid->textAt(3 - changedRow, 4), QStringLiteral("80"));
    // The row clicked is current again.
    QCOMPARE(window.DGrid->row(), changedRow);

    // Deleting the entry from there takes its row out of the result.
    shown.modal.next([&](QDialog *dialog) {
        auto *day = qobject_cast<input_keyin *>(dialog);
        QVERIFY(day);
        QCOMPARE(day->date_new->text(), QStringLiteral("2025/5/3"));
        QCOMPARE(day->account_name->text(), QStringLiteral("五月薪水"));
        shown.boxes.answer(true);
        press(day->data_del);
        press(day->data_exit);
    });
    doubleClickRow(window.DGrid, 3);
    QCOMPARE(window.DGrid->rows(), 3);
    QCOMPARE(window.msg_field->text(), totals("0", "175", "-175"));
    QCOMPARE(shown.modal.unexpected(), QStringList());
}

void DayFromResultTest::summedRowOpensItsDay()
{
    MayResult shown;
    QVERIFY(shown.show(false));
    check &window = shown.window;
    // One row per day and direction: 1 May's expense, 3 May's income.
    QCOMPARE(window.DGrid->rows(), 3);
    QVERIFY(window.DGrid->textAt(2, 0).startsWith(QStringLiteral("2025/05/03")));

    QString shownDate;
    QStringList dayContents;
    shown.modal.next([&](QDialog *dialog) {
        auto *day = qobject_cast<input_keyin *>(dialog);
        QVERIFY(day);
        shownDate = day->date_new->text();
        for (int r = 1; r < day->DGrid->rows(); ++r)
            dayContents << day->DGrid->textAt(r, 4);
        // Changing the salary as a person does: click its row, type, 修改.
        const QRect cell = day->DGrid->visualRect(day->DGrid->model()->index(0, 4));
        QTest::mouseClick(day->DGrid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::qWait(0);
        retype(day->money_inout, QStringLiteral("31000"));
        press(day->data_modifty);
        press(day->data_exit);
    });
    doubleClickRow(window.DGrid, 2);
    QCOMPARE(shownDate, QStringLiteral("2025/5/3"));
    QCOMPARE(dayContents, QStringList({ QStringLiteral("五月薪水") }));
    QCOMPARE(window.DGrid->textAt(2, 2), QStringLiteral("31000"));
    QCOMPARE(window.msg_field->text(), totals("31000", "160", "30840"));
    QCOMPARE(window.DGrid->row(), 2);
    QCOMPARE(shown.modal.unexpected(), QStringList());
}

void DayFromResultTest::aGoneEntryIsToldAndOtherViewsOpenNothing()
{
    MayResult shown;
    QVERIFY(shown.show(true));
    check &window = shown.window;

    // Deleted elsewhere after the query ran: said so, no window, the result brought up to date.
    const qint64 gone = window.DGrid->rowKey(3);
    database_access::Exec_SQL(QStringLiteral("DELETE FROM data_main WHERE a_key = ?"), { gone });
    doubleClickRow(window.DGrid, 3);
    QCOMPARE(shown.boxes.take(), QStringList({ QStringLiteral("這筆帳目已經不在帳本裡了。") }));
    QCOMPARE(shown.modal.shown(), QStringList());
    QCOMPARE(window.DGrid->rows(), 3);
    QCOMPARE(window.msg_field->text(), totals("0", "160", "-160"));

    // The header row and the year report lead nowhere.
    const QPoint header(window.DGrid->horizontalHeader()->sectionViewportPosition(1) + 5, 5);
    QTest::mouseDClick(window.DGrid->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier, header);
    press(window.chk_year);
    retype(window.chkyeartxt, QStringLiteral("2025"));
    press(window.chk_year_go);
    doubleClickRow(window.DGrid, 5);
    QCOMPARE(shown.modal.shown(), QStringList());
    QCOMPARE(shown.boxes.texts(), QStringList());
}

QUILLORY_TEST_MAIN(DayFromResultTest)
#include "day_from_result_test.moc"
