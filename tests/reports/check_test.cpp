// The query window and its charts played from the scenarios beside this file, and the
// statements behind them. A query, or the chart window's years, that keeps the reader waiting:
// the window stays live, shows that it works, starts no second reading, and shows the same
// result as a quick one.

#include "support/Scenario.h"

#include "reports/QueryWindow.h"
#include "reports/chart_view.h"
#include "reports/check.h"
#include "store/ReadConnection.h"
#include "store/ReportStore.h"
#include "store/database_access.h"
#include "support/QueryPlan.h"
#include "ui/BusyWork.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QClipboard>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <optional>

using namespace querywindow;
using namespace ReportStore;

namespace {

QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// chart saved NAME | chart copied | chart TAB title|categories|set NAME|line|series|bars (LABEL VALUE)...
void checkChart(Scenario &s, const QStringList &a)
{
    auto *view = qobject_cast<chart_view *>(s.find(QStringLiteral("window")));
    if (!view)
        return s.fail(QStringLiteral("no chart window"));
    const QString what = a.value(0);
    const QImage picture = view->picture();
    if (what == QLatin1String("saved")) {
        const QImage saved(s.ledger().path(a.value(1)));
        const bool same = saved.convertToFormat(QImage::Format_RGB32) == picture.convertToFormat(QImage::Format_RGB32);
        return s.expectEqual(what, { QString::number(same) }, { QStringLiteral("1") });
    }
    if (what == QLatin1String("copied")) {
        const QSize copied = QApplication::clipboard()->image().size();
        return s.expectEqual(
            what, { QString::number(copied == picture.size() && !copied.isEmpty()) }, { QStringLiteral("1") });
    }
    QChart *chart = view->chartAt(what.toInt());
    if (!chart)
        return s.fail(QStringLiteral("no chart ") + what);
    // What the chart draws, as texts: categories, each bar set's values, the line.
    QStringList categories;
    QMap<QString, QStringList> sets;
    QStringList line;
    for (QAbstractAxis *axis : chart->axes()) {
        if (auto *c = qobject_cast<QBarCategoryAxis *>(axis))
            categories = c->categories();
    }
    for (QAbstractSeries *series : chart->series()) {
        if (auto *bars = qobject_cast<QAbstractBarSeries *>(series)) {
            for (QBarSet *set : bars->barSets()) {
                for (int i = 0; i < set->count(); ++i)
                    sets[set->label()] << number(set->at(i));
            }
        } else if (auto *points = qobject_cast<QLineSeries *>(series)) {
            for (const QPointF &p : points->points())
                line << number(p.y());
        }
    }
    const QString check = a.value(1);
    const QStringList rest = a.mid(2);
    const QMap<QString, QStringList> whole = { { QStringLiteral("title"), { chart->title() } },
        { QStringLiteral("categories"), categories }, { QStringLiteral("line"), line },
        { QStringLiteral("series"), { QString::number(chart->series().size()) } } };
    if (whole.contains(check))
        s.expectEqual(check, whole.value(check), rest);
    else if (check == QLatin1String("set"))
        s.expectEqual(rest.value(0), sets.value(rest.value(0)), rest.mid(1));
    else if (check == QLatin1String("bars")) {
        // Top down: the last category first, each bar the sum of its sets.
        QStringList bars;
        for (qsizetype i = categories.size() - 1; i >= 0; --i) {
            double sum = 0;
            for (const QStringList &set : sets)
                sum += set.value(i).toDouble();
            bars << categories.at(i) << number(sum);
        }
        s.expectEqual(check, bars, rest);
    } else
        s.fail(QStringLiteral("no chart check ") + check);
}

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

// The person's part that closes the window by Esc once it shows that it works.
std::function<void()> escapeWhenBusy(QWidget *window)
{
    return [window] {
        QTRY_COMPARE(window->cursor().shape(), Qt::BusyCursor);
        QTest::keyClick(window, Qt::Key_Escape);
    };
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

class QueryScenarios : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void play_data() { Scenario::addRows(__FILE__); }
    void play()
    {
        Scenario s;
        s.window(QStringLiteral("query"), [] { return new check(); });
        s.command(QStringLiteral("chart"), checkChart);
        s.run();
    }

    void onlyKnownSortExpressions()
    {
        // The expression is the one piece of a statement that is text, so nothing else gets in.
        for (const char *unknown : { "", "a_date", "a_count; DROP TABLE kind", "a_count desc" })
            QVERIFY_THROWS_EXCEPTION(StoreError, sortClause(QString::fromLatin1(unknown), false));
    }

    // The query window's statements reach a range's entries through the date index. A plan that
    // walks every entry of a kind, or the whole table, is quick in a small test ledger and takes a
    // large part of a second in a ledger of decades, so the plan itself is what is checked.
    void statementsReadTheRangeThroughTheDateIndex()
    {
        TestLedger ledger(true);
        QList<std::pair<Statement, bool>> statements
            = { { monthSumsStatement(2024), false } }; // (statement, sums kinds)
        const QString lunch = QStringLiteral("便當"), food = QStringLiteral("餐費");
        for (const auto &[description, kindName] : QList<std::pair<QString, std::optional<QString>>> {
                 { QString(), std::nullopt }, { lunch, std::nullopt }, { QString(), food }, { lunch, food } }) {
            const RangeFilter filter { QDate(2024, 5, 1), QDate(2024, 5, 31), description, kindName };
            statements << std::pair { summaryKindStatement(filter, { 1 }), true }
                       << std::pair { summaryKindStatement(filter, { 1, 2, 5, 9 }), true };
            for (const auto &[mode, sort] :
                { std::pair { RangeMode::Detailed, "D.a_date" }, std::pair { RangeMode::Detailed, "a_count" },
                    std::pair { RangeMode::Simple, "sum(a_count)" }, std::pair { RangeMode::Simple, "D.a_date" } })
                statements << std::pair { rangeStatement(mode, filter, QString::fromLatin1(sort), true), false };
        }
        for (const auto &[statement, kinds] : statements) {
            const QString plan = testing::planOf(statement);
            QVERIFY2(plan.contains(u"USING INDEX data_main_date") && !plan.contains(u"SCAN D")
                    && !(kinds && plan.contains(u"data_main_kind")),
                qPrintable(plan));
        }
    }

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
        const auto query = [&] { press(window.chk_month); };
        whileReadsWait(
            &window, [&] { busyPanel(window.busyWork(), true); }, query);
        QCOMPARE(opened.shown(), before);
        whileReadsWait(&window, escapeWhenBusy(&window), query);
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
            query);
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
        whileReadsWait(&again, escapeWhenBusy(&again),
            [&] { QVERIFY(again.chartAt(again.tabOf(chart_view::Page::Years)) == nullptr); });
        QVERIFY(!again.isVisible() && opened.boxes.texts().isEmpty());
        QCOMPARE(database_access::Reader::openConnections(), 0);
    }
};

QUILLORY_TEST_MAIN(QueryScenarios)
#include "check_test.moc"
