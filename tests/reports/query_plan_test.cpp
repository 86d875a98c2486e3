// The query window's statements must reach a date range's entries through the date index.
// A plan that walks every entry of a kind, or the whole table, is quick in a small test
// ledger and takes a large part of a second in a ledger of decades, so the plan itself is
// what is checked here.

#include "store/ReportStore.h"
#include "store/database_access.h"
#include "support/QueryPlan.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QTest>

namespace {

ReportStore::RangeFilter mayOf2024(const QString &description = QString(), std::optional<QString> kindName = {})
{
    ReportStore::RangeFilter filter;
    filter.begin = QDate(2024, 5, 1);
    filter.end = QDate(2024, 5, 31);
    filter.description = description;
    filter.kindName = kindName;
    return filter;
}

using testing::planOf;

} // namespace

class QueryPlanTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rangeQueriesReadOnlyTheRangeThroughTheDateIndex_data()
    {
        QTest::addColumn<bool>("detailed");
        QTest::addColumn<bool>("byKind");
        QTest::addColumn<QString>("sortField");
        QTest::newRow("detailed, by date") << true << false << QStringLiteral("D.a_date");
        QTest::newRow("detailed, one kind, by amount") << true << true << QStringLiteral("a_count");
        QTest::newRow("simple, by day sum") << false << false << QStringLiteral("sum(a_count)");
        QTest::newRow("simple, one kind") << false << true << QStringLiteral("D.a_date");
    }

    void rangeQueriesReadOnlyTheRangeThroughTheDateIndex()
    {
        QFETCH(bool, detailed);
        QFETCH(bool, byKind);
        QFETCH(QString, sortField);
        TestLedger ledger(true);
        ReportStore::RangeFilter filter;
        filter.begin = QDate(2024, 5, 1);
        filter.end = QDate(2024, 5, 31);
        if (byKind)
            filter.kindName = QStringLiteral("餐費");
        const QString plan = planOf(ReportStore::rangeStatement(
            detailed ? ReportStore::RangeMode::Detailed : ReportStore::RangeMode::Simple, filter, sortField, true));
        QVERIFY2(plan.contains(QStringLiteral("USING INDEX data_main_date")), qPrintable(plan));
        QVERIFY2(!plan.contains(QStringLiteral("SCAN D")), qPrintable(plan));
    }

    void summaryKindSumsReadTheRangeNotEveryEntryOfTheKinds()
    {
        TestLedger ledger(true);
        // Also when the result is narrowed by a description or a kind, whose conditions the sums
        // carry too.
        const QList<ReportStore::RangeFilter> filters = { mayOf2024(), mayOf2024(QStringLiteral("便當")),
            mayOf2024(QString(), QStringLiteral("餐費")), mayOf2024(QStringLiteral("便當"), QStringLiteral("餐費")) };
        for (const ReportStore::RangeFilter &filter : filters) {
            for (const QVector<qint64> &kinds : { QVector<qint64> { 1 }, QVector<qint64> { 1, 2, 5, 9 } }) {
                const QString plan = planOf(ReportStore::summaryKindStatement(filter, kinds));
                QVERIFY2(plan.contains(QStringLiteral("USING INDEX data_main_date")), qPrintable(plan));
                QVERIFY2(!plan.contains(QStringLiteral("data_main_kind")), qPrintable(plan));
            }
        }
    }

    void summaryKindSumsStillCountOnlyTheChosenKindsExpense()
    {
        TestLedger ledger;
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        const qint64 rent = ledger.addKind(QStringLiteral("房租"), 2);
        const qint64 other = ledger.addKind(QStringLiteral("其他"), 3);
        ledger.addEntry(QStringLiteral("2024-05-01"), food, 0, QStringLiteral("a"), 10.5, QString(), 1);
        ledger.addEntry(QStringLiteral("2024-05-31"), food, 0, QStringLiteral("b"), 2, QString(), 2);
        ledger.addEntry(QStringLiteral("2024-05-02"), food, 1, QStringLiteral("refund"), 100, QString(), 3);
        ledger.addEntry(QStringLiteral("2024-06-01"), food, 0, QStringLiteral("late"), 1000, QString(), 4);
        ledger.addEntry(QStringLiteral("2024-05-03"), rent, 0, QStringLiteral("rent"), 300, QString(), 5);
        ledger.addEntry(QStringLiteral("2024-05-03"), other, 0, QStringLiteral("x"), 7, QString(), 6);
        const QVector<ReportStore::KindExpense> sums
            = ReportStore::summaryKindExpenses(mayOf2024(), { food, rent, food });
        QCOMPARE(sums.size(), 2);
        QHash<QString, QString> byName;
        for (const ReportStore::KindExpense &k : sums)
            byName.insert(k.name, k.sum.text());
        QCOMPARE(byName.value(QStringLiteral("餐費")), QStringLiteral("12.5"));
        QCOMPARE(byName.value(QStringLiteral("房租")), QStringLiteral("300"));
    }

    void yearReportReadsTheYearThroughTheDateIndex()
    {
        TestLedger ledger(true);
        const QString plan = planOf(ReportStore::monthSumsStatement(2024));
        QVERIFY2(plan.contains(QStringLiteral("USING INDEX data_main_date")), qPrintable(plan));
    }
};

QUILLORY_TEST_MAIN(QueryPlanTest)
#include "query_plan_test.moc"
