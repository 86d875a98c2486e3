// A query, or the chart window's years, that keeps the reader waiting: the window stays live,
// shows that it works, starts no second reading, and shows the same result as a quick one.

#include "reports/QueryWindow.h"

#include "reports/chart_view.h"
#include "store/ReadConnection.h"
#include "store/database_access.h"
#include "support/ScriptedBoxes.h"
#include "ui/BusyWork.h"

#include <QApplication>
#include <QChart>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <optional>

using namespace querywindow;

namespace {

// Runs start with every statement read off the window's own thread held until the person's
// part, run meanwhile from the event loop of context, ends (a failed check included) or the
// reading is given up; returns how many range statements ran.
int whileReadsWait(QObject *context, const std::function<void()> &person, const std::function<void()> &start)
{
    std::atomic<bool> open { false };
    std::atomic<int> rangeStatements { 0 };
    database_access::Set_Query_Hook([&](const QString &sql) {
        if (QThread::currentThread() == qApp->thread())
            return;
        if (sql.startsWith(QStringLiteral("SELECT D.a_date")))
            ++rangeStatements;
        for (int waited = 0; !open.load() && waited < 20000; waited += 5) {
            const database_access::Reader *reader = database_access::Reader::current();
            if (reader != nullptr && reader->interrupted())
                return;
            QThread::msleep(5);
        }
    });
    const auto unhook = qScopeGuard([] { database_access::Set_Query_Hook({}); });
    QTimer::singleShot(0, context, [&] {
        const auto opening = qScopeGuard([&] { open.store(true); });
        person();
    });
    start();
    return rangeStatements.load();
}

// The panel that shows the work, once shown; clicks its stop button when asked.
QFrame *busyPanel(ui::BusyWork *work, bool stop = false)
{
    if (!QTest::qWaitFor([work] { return work->panel() != nullptr; }, 6000))
        return nullptr;
    if (stop)
        testing::click(work->panel()->findChild<QPushButton *>(QStringLiteral("busy_stop")));
    return work->panel();
}

// A ledger of three entries and one summary kind on 17 May 2024 at 10:30, its message boxes
// answered, and the query window.
struct Opened
{
    TestLedger ledger;
    testing::FixedClock clock { QDateTime(QDate(2024, 5, 17), QTime(10, 30, 0)) };
    ScriptedBoxes boxes;
    check window;

    Opened()
    {
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        const qint64 salary = ledger.addKind(QStringLiteral("薪資"), 2);
        ledger.addEntry(QStringLiteral("2024-05-01"), food, 0, QStringLiteral("午餐"), 120.5, {}, 1);
        ledger.addEntry(QStringLiteral("2024-05-01"), salary, 1, QStringLiteral("五月薪"), 30000, {}, 2);
        ledger.addEntry(QStringLiteral("2024-05-04"), food, 0, QStringLiteral("晚餐"), 80, {}, 3);
        ledger.writeSKinds("1\r\n");
        testing::showActive(&window);
        runRange(window, QStringLiteral("2024/5/1"), QStringLiteral("2024/5/31"), true);
    }
    // The grid's cells and the totals, to compare one result with another.
    QString shown() const
    {
        QStringList cells;
        for (int r = 0; r < window.DGrid->rows(); ++r)
            for (int c = 0; c < window.DGrid->cols(); ++c)
                cells << window.DGrid->textAt(r, c);
        return cells.join(u'|') + window.msg_field->text();
    }
};

} // namespace

class BusyQueryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void slowQueryKeepsTheWindowLive()
    {
        Opened opened;
        check &window = opened.window;
        const QString quick = opened.shown();
        QVERIFY(quick.contains(QStringLiteral("晚餐")));

        bool personDone = false;
        const auto person = [&] {
            QVERIFY(busyPanel(window.busyWork()) != nullptr);
            // The clock goes on ticking and typing reaches the field.
            Clock::set(QDateTime(QDate(2024, 5, 17), QTime(10, 31, 5)));
            QTRY_COMPARE(window.Label1->text(), QStringLiteral("10:31:05"));
            testing::click(window.account_name);
            testing::typeText(window.account_name, QStringLiteral("晚"));
            // A second press, a sort press and the year start nothing, and the sort order stays.
            press(window.chk_month);
            press(window.cmd_stor_account);
            press(window.chk_year);
            QVERIFY(!window.orderDescending() && !window.Frame_ChkYear->isVisible());
            personDone = true;
        };
        QCOMPARE(whileReadsWait(&window, person, [&] { press(window.chk_month); }), 1);
        QVERIFY(personDone);
        QCOMPARE(opened.shown(), quick);
        QVERIFY(window.busyWork()->panel() == nullptr && opened.boxes.texts().isEmpty());
        // The text typed meanwhile is what the next query looks for.
        press(window.chk_month);
        QCOMPARE(column(window.DGrid, 3), QStringList { QStringLiteral("晚餐") });
    }

    void givingUpKeepsTheLastResultAndOnlyCommittedEntriesAreRead()
    {
        Opened opened;
        check &window = opened.window;
        const QString before = opened.shown();
        // Given up with the panel's button, or by closing the window: the last result stays.
        retype(window.str_begin, QStringLiteral("2024/5/2"));
        whileReadsWait(
            &window, [&] { busyPanel(window.busyWork(), true); }, [&] { press(window.chk_month); });
        QCOMPARE(opened.shown(), before);
        whileReadsWait(
            &window,
            [&] {
                QTRY_COMPARE(window.cursor().shape(), Qt::BusyCursor);
                QTest::keyClick(&window, Qt::Key_Escape);
            },
            [&] { press(window.chk_month); });
        QVERIFY(!window.isVisible());
        QCOMPARE(opened.shown(), before);
        QVERIFY(open(window));
        retype(window.str_begin, QStringLiteral("2024/5/1"));

        // While the query reads, the ledger's own connection holds an entry not yet committed.
        std::optional<database_access::Transaction> pending;
        whileReadsWait(
            &window,
            [&] {
                QTRY_COMPARE(database_access::Reader::openConnections(), 1);
                pending.emplace();
                opened.ledger.addEntry(QStringLiteral("2024-05-02"), 1, 0, QStringLiteral("未存"), 999, {}, 4);
            },
            [&] { press(window.chk_month); });
        QVERIFY(pending.has_value());
        QCOMPARE(opened.shown(), before);

        // Once committed, the next query reads it.
        pending->commit();
        pending.reset();
        press(window.chk_month);
        QVERIFY(column(window.DGrid, 3).contains(QStringLiteral("未存")));
        QVERIFY(opened.boxes.texts().isEmpty());
        // Neither giving up nor closing leaves a connection open.
        QCOMPARE(database_access::Reader::openConnections(), 0);
    }

    void everyYearChartReadsWhileTheWindowLives()
    {
        Opened opened;
        chart_view view(ChartQuery {}, &opened.window);
        view.show();
        const int tab = view.tabOf(chart_view::Page::Years);

        // Given up: nothing drawn, the page is read again when next asked for, not meanwhile.
        whileReadsWait(
            &view,
            [&] {
                QVERIFY(view.chartAt(tab) == nullptr);
                busyPanel(view.busyWork(), true);
            },
            [&] { QVERIFY(view.chartAt(tab) == nullptr); });
        QVERIFY(view.busyWork()->panel() == nullptr);
        QChart *years = view.chartAt(tab);
        QVERIFY(years != nullptr);
        QCOMPARE(years->title(), QStringLiteral("歷年收支　2024～2024年"));

        // Closing the window while the years are read gives the reading up.
        chart_view again(ChartQuery::ofYear(2024), &opened.window);
        again.show();
        whileReadsWait(
            &again,
            [&] {
                QTRY_COMPARE(again.cursor().shape(), Qt::BusyCursor);
                QTest::keyClick(&again, Qt::Key_Escape);
            },
            [&] { QVERIFY(again.chartAt(again.tabOf(chart_view::Page::Years)) == nullptr); });
        QVERIFY(!again.isVisible() && opened.boxes.texts().isEmpty());
        QCOMPARE(database_access::Reader::openConnections(), 0);
    }
};

QUILLORY_TEST_MAIN(BusyQueryTest)
#include "busy_query_test.moc"
