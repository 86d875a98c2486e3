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

// Holds every statement read off the window's own thread until opened (or the reading is
// given up), and counts the range statements that ran.
class SlowReads
{
public:
    SlowReads()
    {
        database_access::Set_Query_Hook([this](const QString &sql) {
            if (QThread::currentThread() == qApp->thread())
                return;
            if (sql.startsWith(QStringLiteral("SELECT D.a_date")))
                ++m_rangeStatements;
            for (int waited = 0; !m_open.load() && waited < 20000; waited += 5) {
                const database_access::Reader *reader = database_access::Reader::current();
                if (reader != nullptr && reader->interrupted())
                    return;
                QThread::msleep(5);
            }
        });
    }
    ~SlowReads() { database_access::Set_Query_Hook({}); }
    void open() { m_open.store(true); }
    int rangeStatements() const { return m_rangeStatements.load(); }

private:
    std::atomic<bool> m_open { false };
    std::atomic<int> m_rangeStatements { 0 };
};

// Runs start with every reading held until the person's part, run meanwhile from the event
// loop of context, ends (a failed check included); returns how many range statements ran.
int whileReadsWait(QObject *context, const std::function<void(SlowReads &)> &person, const std::function<void()> &start)
{
    SlowReads reads;
    QTimer::singleShot(0, context, [&] {
        const auto opening = qScopeGuard([&] { reads.open(); });
        person(reads);
    });
    start();
    return reads.rangeStatements();
}

// Runs start, which must end within five seconds.
void quickly(const std::function<void()> &start)
{
    QElapsedTimer timer;
    timer.start();
    start();
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
}

struct Ledger
{
    TestLedger ledger;
    Ledger()
    {
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        const qint64 salary = ledger.addKind(QStringLiteral("薪資"), 2);
        addEntry(ledger, QStringLiteral("2024-05-01"), food, 0, QStringLiteral("午餐"), 120.5, 1);
        addEntry(ledger, QStringLiteral("2024-05-01"), salary, 1, QStringLiteral("五月薪"), 30000, 2);
        addEntry(ledger, QStringLiteral("2024-05-04"), food, 0, QStringLiteral("晚餐"), 80, 3);
        ledger.writeSKinds("1\r\n");
    }
};

// That ledger on 17 May 2024 at 10:30, its message boxes answered, and the query window.
struct Opened
{
    Ledger data;
    testing::FixedClock clock { QDateTime(QDate(2024, 5, 17), QTime(10, 30, 0)) };
    ScriptedBoxes boxes;
    check window;

    // The grid's cells and the totals, to compare one result with another.
    std::pair<QList<QStringList>, QString> shown() const { return { cells(window.DGrid), window.msg_field->text() }; }
    // The detailed list of May, as a person asks for it, and what it shows.
    std::pair<QList<QStringList>, QString> mayShown()
    {
        runRange(window, QStringLiteral("2024/5/1"), QStringLiteral("2024/5/31"), true);
        return shown();
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
        QVERIFY(open(window));
        const auto quick = opened.mayShown();
        QCOMPARE(quick.first.size(), 4);

        bool personDone = false;
        const auto person = [&](SlowReads &reads) {
            QTRY_COMPARE(window.cursor().shape(), Qt::BusyCursor);
            // The clock goes on ticking.
            Clock::set(QDateTime(QDate(2024, 5, 17), QTime(10, 31, 5)));
            QTRY_COMPARE(window.Label1->text(), QStringLiteral("10:31:05"));
            // Typing reaches the field.
            testing::click(window.account_name);
            testing::typeText(window.account_name, QStringLiteral("午"));
            QCOMPARE(window.account_name->text(), QStringLiteral("午"));
            // A second press and a sort press start nothing, and the sort order stays.
            press(window.chk_month);
            press(window.cmd_stor_account);
            QCOMPARE(window.orderDescending(), false);
            press(window.chk_year);
            QVERIFY(!window.Frame_ChkYear->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(window.busyWork()->panel() != nullptr, 6000);
            const auto *text = window.busyWork()->panel()->findChild<QLabel *>(QStringLiteral("busy_text"));
            QVERIFY(text != nullptr && text->text().startsWith(QStringLiteral("查詢中")));
            QCOMPARE(reads.rangeStatements(), 1);
            personDone = true;
        };
        QCOMPARE(whileReadsWait(&window, person, [&] { press(window.chk_month); }), 1);
        QVERIFY(personDone);
        QCOMPARE(opened.shown(), quick);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(window.busyWork()->panel() == nullptr);
        QVERIFY(opened.boxes.texts().isEmpty());
        // The text typed meanwhile is what the next query looks for.
        press(window.chk_month);
        QCOMPARE(column(window.DGrid, 3), QStringList { QStringLiteral("午餐") });
    }

    void givingUpKeepsTheLastResult()
    {
        Opened opened;
        check &window = opened.window;
        QVERIFY(open(window));
        typeRange(window, QStringLiteral("2024/5/1"), QStringLiteral("2024/5/31"));
        press(window.chk_month);
        const auto before = opened.shown();
        typeRange(window, QStringLiteral("2024/5/2"), QStringLiteral("2024/5/31"));

        whileReadsWait(
            &window,
            [&](SlowReads &) {
                QTRY_VERIFY_WITH_TIMEOUT(window.busyWork()->panel() != nullptr, 6000);
                auto *stop = window.busyWork()->panel()->findChild<QPushButton *>(QStringLiteral("busy_stop"));
                QVERIFY(stop != nullptr);
                testing::click(stop);
            },
            [&] { press(window.chk_month); });
        QCOMPARE(opened.shown(), before);
        QVERIFY(opened.boxes.texts().isEmpty());

        // Closing the window while a query runs gives it up at once.
        whileReadsWait(
            &window,
            [&](SlowReads &) {
                QTRY_COMPARE(window.cursor().shape(), Qt::BusyCursor);
                QTest::keyClick(&window, Qt::Key_Escape);
            },
            [&] { quickly([&] { press(window.chk_month); }); });
        QVERIFY(!window.isVisible());
        QCOMPARE(opened.shown().first, before.first);

        // The next query after giving up reads again.
        QVERIFY(open(window));
        press(window.chk_month);
        QCOMPARE(window.DGrid->rows(), 2);
        QVERIFY(opened.boxes.texts().isEmpty());
        // Neither giving up nor closing leaves a connection open.
        QCOMPARE(database_access::Reader::openConnections(), 0);
    }

    void readsOnlyWhatIsCommitted()
    {
        Opened opened;
        check &window = opened.window;
        QVERIFY(open(window));
        const auto committed = opened.mayShown();

        // While the query reads, the ledger's own connection holds an entry not yet committed.
        std::optional<database_access::Transaction> pending;
        whileReadsWait(
            &window,
            [&](SlowReads &) {
                QTRY_COMPARE(database_access::Reader::openConnections(), 1);
                pending.emplace();
                addEntry(opened.data.ledger, QStringLiteral("2024-05-02"), 1, 0, QStringLiteral("未存"), 999, 4);
            },
            [&] { press(window.chk_month); });
        QVERIFY(pending.has_value());
        QCOMPARE(opened.shown(), committed);
        QVERIFY(opened.boxes.texts().isEmpty());

        // Once committed, the next query reads it.
        pending->commit();
        pending.reset();
        press(window.chk_month);
        QCOMPARE(window.DGrid->rows(), committed.first.size() + 1);
        QVERIFY(column(window.DGrid, 3).contains(QStringLiteral("未存")));
        QCOMPARE(database_access::Reader::openConnections(), 0);
    }

    void everyYearChartReadsWhileTheWindowLives()
    {
        Opened opened;
        check &window = opened.window;
        QVERIFY(open(window));
        chart_view view(ChartQuery {}, &window);
        view.show();
        const int tab = view.tabOf(chart_view::Page::Years);
        QCOMPARE(tab, 0);

        // Given up: nothing drawn, the page is read again when next asked for.
        bool personDone = false;
        const auto person = [&](SlowReads &) {
            QTRY_COMPARE(view.cursor().shape(), Qt::BusyCursor);
            // Asked again while it reads: no second reading.
            QVERIFY(view.chartAt(tab) == nullptr);
            QTRY_VERIFY_WITH_TIMEOUT(view.busyWork()->panel() != nullptr, 6000);
            const auto *text = view.busyWork()->panel()->findChild<QLabel *>(QStringLiteral("busy_text"));
            QVERIFY(text != nullptr && text->text().startsWith(QStringLiteral("讀取歷年收支中")));
            testing::click(view.busyWork()->panel()->findChild<QPushButton *>(QStringLiteral("busy_stop")));
            personDone = true;
        };
        whileReadsWait(&view, person, [&] { QVERIFY(view.chartAt(tab) == nullptr); });
        QVERIFY(personDone);
        QCOMPARE(view.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(view.busyWork()->panel() == nullptr);
        QChart *years = view.chartAt(tab);
        QVERIFY(years != nullptr);
        QVERIFY(!years->series().isEmpty());
        QCOMPARE(years->title(), QStringLiteral("歷年收支　2024～2024年"));

        // Closing the window while the years are read gives the reading up at once.
        chart_view again(ChartQuery::ofYear(2024), &window);
        again.show();
        whileReadsWait(
            &again,
            [&](SlowReads &) {
                QTRY_COMPARE(again.cursor().shape(), Qt::BusyCursor);
                QTest::keyClick(&again, Qt::Key_Escape);
            },
            [&] { quickly([&] { QVERIFY(again.chartAt(again.tabOf(chart_view::Page::Years)) == nullptr); }); });
        QVERIFY(!again.isVisible());
        QVERIFY(opened.boxes.texts().isEmpty());
        QCOMPARE(database_access::Reader::openConnections(), 0);
    }
};

QUILLORY_TEST_MAIN(BusyQueryTest)
#include "busy_query_test.moc"
