// The sums the charts draw: exact decimals of the amounts as typed, under the range query's
// filters, read through the date index.

#include "platform/Decimal.h"
#include "store/ChartStore.h"
#include "store/database_access.h"
#include "support/QueryPlan.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QHash>
#include <QTest>

namespace {

Decimal dec(const char *text)
{
    return Decimal::fromText(QString::fromLatin1(text)).value();
}

// Adds an entry whose amount is the double the text reads as, as the entry window stores it.
void add(TestLedger &ledger, const char *isoDate, qint64 kind, int inout, const char *amount, qint64 key,
    const QString &content = QStringLiteral("x"))
{
    ledger.addEntry(QString::fromLatin1(isoDate), kind, inout, content, QString::fromLatin1(amount).toDouble(),
        QStringLiteral(""), key, QStringLiteral(""));
}

QHash<QString, Decimal> byName(const QVector<ChartStore::KindSum> &sums)
{
    QHash<QString, Decimal> names;
    for (const ChartStore::KindSum &k : sums) {
        Q_ASSERT(!names.contains(k.name));
        names.insert(k.name, k.sum);
    }
    return names;
}

using testing::planOf;

ReportStore::RangeFilter range(QDate begin, QDate end)
{
    ReportStore::RangeFilter f;
    f.begin = begin;
    f.end = end;
    return f;
}

} // namespace

class ChartStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Amounts a double cannot add exactly, amounts beyond whole cents and amounts too large
    // for the engine's cents: each group's sum is the decimal sum of the typed texts.
    void sumsAreTheExactDecimalSumsOfTheTypedAmounts()
    {
        TestLedger ledger;
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        const qint64 rent = ledger.addKind(QStringLiteral("房租"), 2);
        const qint64 fees = ledger.addKind(QStringLiteral("手續費"), 3);
        const char *foodAmounts[] = { "0.1", "0.2", "0.7", "1234.56", "-0.3" };
        qint64 key = 0;
        Decimal foodSum;
        for (const char *a : foodAmounts) {
            add(ledger, "2025-03-04", food, 0, a, ++key);
            foodSum += dec(a);
        }
        // Beyond cents and beyond the engine's whole-cent range: fetched one by one.
        const char *feeAmounts[] = { "0.005", "0.005", "0.001", "123456789012.35", "0.1" };
        Decimal feeSum;
        for (const char *a : feeAmounts) {
            add(ledger, "2025-03-05", fees, 0, a, ++key);
            feeSum += dec(a);
        }
        add(ledger, "2025-03-06", rent, 0, "15000", ++key);
        add(ledger, "2025-03-06", rent, 1, "99.99", ++key); // income: not in the expense

        const QHash<QString, Decimal> sums
            = byName(ChartStore::kindSums(range(QDate(2025, 3, 1), QDate(2025, 3, 31)), ChartStore::Expense));
        QCOMPARE(sums.size(), 3);
        QCOMPARE(sums.value(QStringLiteral("餐費")).text(), foodSum.text());
        QCOMPARE(foodSum.text(), QStringLiteral("1235.26"));
        QCOMPARE(sums.value(QStringLiteral("手續費")).text(), feeSum.text());
        QCOMPARE(feeSum.text(), QStringLiteral("123456789012.461"));
        QCOMPARE(sums.value(QStringLiteral("房租")).text(), QStringLiteral("15000"));

        const QHash<QString, Decimal> income
            = byName(ChartStore::kindSums(range(QDate(2025, 3, 1), QDate(2025, 3, 31)), ChartStore::Income));
        QCOMPARE(income.size(), 1);
        QCOMPARE(income.value(QStringLiteral("房租")).text(), QStringLiteral("99.99"));
    }

    void kindSumsFollowTheRangeAndTheQueryFilters()
    {
        TestLedger ledger;
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        const qint64 fun = ledger.addKind(QStringLiteral("娛樂"), 2);
        const qint64 food2 = ledger.addKind(QStringLiteral("餐費"), 3); // the same name twice
        add(ledger, "2025-02-28", food, 0, "1000", 1, QStringLiteral("早餐")); // before the range
        add(ledger, "2025-03-01", food, 0, "10", 2, QStringLiteral("早餐"));
        add(ledger, "2025-03-31", food2, 0, "20", 3, QStringLiteral("午餐 50%"));
        add(ledger, "2025-03-15", fun, 0, "30", 4, QStringLiteral("電影 早場"));
        add(ledger, "2025-04-01", fun, 0, "1000", 5, QStringLiteral("電影")); // after the range

        ReportStore::RangeFilter f = range(QDate(2025, 3, 1), QDate(2025, 3, 31));
        QHash<QString, Decimal> sums = byName(ChartStore::kindSums(f, ChartStore::Expense));
        QCOMPARE(sums.size(), 2);
        QCOMPARE(sums.value(QStringLiteral("餐費")).text(), QStringLiteral("30"));
        QCOMPARE(sums.value(QStringLiteral("娛樂")).text(), QStringLiteral("30"));

        f.description = QStringLiteral("早");
        sums = byName(ChartStore::kindSums(f, ChartStore::Expense));
        QCOMPARE(sums.value(QStringLiteral("餐費")).text(), QStringLiteral("10"));
        QCOMPARE(sums.value(QStringLiteral("娛樂")).text(), QStringLiteral("30"));

        // % in the description is a plain character, as in the range query.
        f.description = QStringLiteral("50%");
        sums = byName(ChartStore::kindSums(f, ChartStore::Expense));
        QCOMPARE(sums.size(), 1);
        QCOMPARE(sums.value(QStringLiteral("餐費")).text(), QStringLiteral("20"));

        f.description.clear();
        f.kindName = QStringLiteral("娛樂");
        sums = byName(ChartStore::kindSums(f, ChartStore::Expense));
        QCOMPARE(sums.size(), 1);
        QCOMPARE(sums.value(QStringLiteral("娛樂")).text(), QStringLiteral("30"));

        f.begin = QDate(2025, 3, 2);
        f.end = QDate(2025, 3, 14);
        f.kindName.reset();
        QVERIFY(ChartStore::kindSums(f, ChartStore::Expense).isEmpty());
    }

    void monthsAndYearsAreExactAndZeroWithoutEntries()
    {
        TestLedger ledger;
        const qint64 k = ledger.addKind(QStringLiteral("雜項"), 1);
        add(ledger, "2022-01-31", k, 1, "0.1", 1);
        add(ledger, "2022-01-01", k, 1, "0.2", 2);
        add(ledger, "2022-02-01", k, 0, "5.555", 3);
        add(ledger, "2022-12-31", k, 0, "-2", 4);
        add(ledger, "2024-06-15", k, 0, "7", 5);
        add(ledger, "2021-12-31", k, 0, "1000", 6);

        const QVector<ChartStore::Flow> months = ChartStore::monthFlows(2022);
        QCOMPARE(months.size(), 12);
        QCOMPARE(months.at(0).income.text(), QStringLiteral("0.3"));
        QCOMPARE(months.at(0).expense.text(), QStringLiteral("0"));
        QCOMPARE(months.at(1).expense.text(), QStringLiteral("5.555"));
        QCOMPARE(months.at(11).expense.text(), QStringLiteral("-2"));
        for (int m = 2; m < 11; ++m) {
            QVERIFY(months.at(m).income.isZero());
            QVERIFY(months.at(m).expense.isZero());
        }

        const QVector<ChartStore::YearFlow> years = ChartStore::yearFlows();
        QCOMPARE(years.size(), 4);
        QCOMPARE(years.at(0).year, 2021);
        QCOMPARE(years.at(0).flow.expense.text(), QStringLiteral("1000"));
        QCOMPARE(years.at(1).year, 2022);
        QCOMPARE(years.at(1).flow.income.text(), QStringLiteral("0.3"));
        QCOMPARE(years.at(1).flow.expense.text(), QStringLiteral("3.555"));
        QCOMPARE(years.at(2).year, 2023); // no entries: drawn as zero between the others
        QVERIFY(years.at(2).flow.income.isZero() && years.at(2).flow.expense.isZero());
        QCOMPARE(years.at(3).flow.expense.text(), QStringLiteral("7"));
    }

    void anEmptyLedgerHasNoYears()
    {
        TestLedger ledger;
        QVERIFY(ChartStore::yearFlows().isEmpty());
        const QVector<ChartStore::Flow> months = ChartStore::monthFlows(2025);
        QCOMPARE(months.size(), 12);
        QVERIFY(months.at(4).income.isZero());
    }

    void statementsReadTheRangeThroughTheDateIndex()
    {
        TestLedger ledger(true);
        ReportStore::RangeFilter f = range(QDate(2024, 1, 1), QDate(2024, 12, 31));
        const QList<ChartStore::Part> parts = { ChartStore::Part::Sums, ChartStore::Part::OtherAmounts };
        for (ChartStore::Part part : parts) {
            QStringList plans = { planOf(ChartStore::kindSumsStatement(f, ChartStore::Expense, part)),
                planOf(ChartStore::monthFlowsStatement(2024, part)), planOf(ChartStore::yearFlowsStatement(part)) };
            f.kindName = QStringLiteral("餐費");
            plans << planOf(ChartStore::kindSumsStatement(f, ChartStore::Income, part));
            f.kindName.reset();
            for (const QString &plan : plans) {
                QVERIFY2(plan.contains(QStringLiteral("USING INDEX data_main_date")), qPrintable(plan));
                QVERIFY2(!plan.contains(QStringLiteral("data_main_kind")), qPrintable(plan));
            }
            // The sums of every year read the whole ledger: in the index's order, never
            // sorting every entry first.
            if (part == ChartStore::Part::Sums) {
                const QString years = planOf(ChartStore::yearFlowsStatement(part));
                QVERIFY2(!years.contains(QStringLiteral("TEMP B-TREE")), qPrintable(years));
            }
        }
    }
};

QUILLORY_TEST_MAIN(ChartStoreTest)
#include "chart_store_test.moc"
