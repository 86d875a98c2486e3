// The query window and its charts played from the scenarios beside this file, and the
// statements behind them.

#include "support/Scenario.h"

#include "reports/chart_view.h"
#include "reports/check.h"
#include "store/ReportStore.h"
#include "support/QueryPlan.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QClipboard>
#include <QImage>
#include <QLineSeries>

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

    void summaryKindsSumExpenseOnly()
    {
        TestLedger ledger;
        const qint64 a = ledger.addKind(QStringLiteral("甲"), 1);
        const qint64 b = ledger.addKind(QStringLiteral("乙"), 2);
        const qint64 c = ledger.addKind(QStringLiteral("丙"), 3);
        const qint64 sameName = ledger.addKind(QStringLiteral("甲"), 4);
        // Income, another name's kind, a day outside the range and a kind not asked for are
        // not counted; two kinds of one name are summed under it.
        const QList<std::tuple<const char *, qint64, int, double>> entries
            = { { "2024-05-01", a, 0, 100 }, { "2024-05-02", a, 1, 999 }, { "2024-05-31", sameName, 0, 50 },
                  { "2024-06-01", a, 0, 999 }, { "2024-05-15", b, 0, 7.5 }, { "2024-05-15", c, 0, 999 } };
        qint64 key = 0;
        for (const auto &[date, kind, inout, amount] : entries)
            ledger.addEntry(QString::fromLatin1(date), kind, inout, QStringLiteral("x"), amount, {}, ++key);

        const RangeFilter may { QDate(2024, 5, 1), QDate(2024, 5, 31), {}, {} };
        QVERIFY(summaryKindExpenses(may, {}).isEmpty());
        QMap<QString, QString> sums;
        for (const KindExpense &k : summaryKindExpenses(may, { a, b, sameName, a }))
            sums.insert(k.name, k.sum.text());
        QCOMPARE(sums,
            (QMap<QString, QString> {
                { QStringLiteral("甲"), QStringLiteral("150") }, { QStringLiteral("乙"), QStringLiteral("7.5") } }));
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
};

QUILLORY_TEST_MAIN(QueryScenarios)
#include "check_test.moc"
