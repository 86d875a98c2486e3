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

    void yearReportReadsTheYearThroughTheDateIndex()
    {
        TestLedger ledger(true);
        const QString plan = planOf(ReportStore::monthSumsStatement(2024));
        QVERIFY2(plan.contains(QStringLiteral("USING INDEX data_main_date")), qPrintable(plan));
    }
};

QUILLORY_TEST_MAIN(QueryPlanTest)
#include "query_plan_test.moc"
