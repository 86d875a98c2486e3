#include "store/ReportStore.h"
#include "store/ResultSet.h"
#include "support/Cents.h"
#include "support/TestSupport.h"

#include <QObject>
#include <QRandomGenerator>

using ReportStore::KindExpense;
using ReportStore::RangeTotals;
using testing::centsText;

namespace {

const QString income = QStringLiteral("收入");
const QString expense = QStringLiteral("支出");

// A detailed result's columns, the amount as the engine hands it back.
ResultSet detailed(const QVector<QPair<QString, QVariant>> &entries)
{
    QVector<ResultSet::Row> rows;
    for (const auto &[inout, amount] : entries)
        rows.append({ QStringLiteral("2025-05-01"), QStringLiteral("餐費"), inout, QStringLiteral("便當"), amount });
    return ResultSet({ QStringLiteral("日期"), QStringLiteral("種類"), QStringLiteral("收支"), QStringLiteral("帳目名"),
                         QStringLiteral("帳目") },
        rows);
}

Decimal dec(const char *text)
{
    return Decimal::fromText(QString::fromLatin1(text)).value();
}

} // namespace

class RangeTotalsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void anEmptyResultTotalsZero();
    void incomeLessExpenseWithEverySign();
    void theSummedResultIsAddedUpToo();
    void summaryKindsAreTakenOutOfTheGeneralExpense();
    void largeSumsStayExact();
};

void RangeTotalsTest::anEmptyResultTotalsZero()
{
    for (const ResultSet &result : { detailed({}), ResultSet() }) {
        const RangeTotals totals = ReportStore::rangeTotals(result);
        QCOMPARE(totals.income.text(), QStringLiteral("0"));
        QCOMPARE(totals.expense.text(), QStringLiteral("0"));
        QCOMPARE(totals.balance.text(), QStringLiteral("0"));
        QCOMPARE(totals.general.text(), QStringLiteral("0"));
        QVERIFY(totals.kinds.isEmpty());
    }
}

void RangeTotalsTest::incomeLessExpenseWithEverySign()
{
    // A refund typed as a negative expense lowers the expense; a row that is neither income
    // nor expense counts for nothing.
    const ResultSet result = detailed({
        { income, 100 },
        { expense, 30.5 },
        { expense, -20.25 },
        { QStringLiteral("其他"), 999 },
        { expense, QVariant() },
        { income, QStringLiteral("0.1") },
    });
    const RangeTotals totals = ReportStore::rangeTotals(result);
    QCOMPARE(totals.income.text(), QStringLiteral("100.1"));
    QCOMPARE(totals.expense.text(), QStringLiteral("10.25"));
    QCOMPARE(totals.balance.text(), QStringLiteral("89.85"));
    QCOMPARE(totals.general, totals.expense);

    // More spent than earned: the balance is negative.
    const RangeTotals over = ReportStore::rangeTotals(detailed({ { income, 5 }, { expense, 12.75 } }));
    QCOMPARE(over.balance.text(), QStringLiteral("-7.75"));
    // Only expense, and that negative.
    const RangeTotals refunds = ReportStore::rangeTotals(detailed({ { expense, -3 } }));
    QCOMPARE(refunds.expense.text(), QStringLiteral("-3"));
    QCOMPARE(refunds.balance.text(), QStringLiteral("3"));
}

void RangeTotalsTest::theSummedResultIsAddedUpToo()
{
    // Summed per day the amount column is 日帳目 and comes second.
    const ResultSet result({ QStringLiteral("日期"), QStringLiteral("收支"), QStringLiteral("日帳目") },
        {
            { QStringLiteral("2025-05-01"), expense, 160.0 },
            { QStringLiteral("2025-05-03"), income, qlonglong(30000) },
            { QStringLiteral("2025-05-04"), expense, 0.3 },
        });
    const RangeTotals totals = ReportStore::rangeTotals(result);
    QCOMPARE(totals.income.text(), QStringLiteral("30000"));
    QCOMPARE(totals.expense.text(), QStringLiteral("160.3"));
    QCOMPARE(totals.balance.text(), QStringLiteral("29839.7"));

    // Without an amount column there is nothing to add up.
    const ResultSet noAmount(
        { QStringLiteral("日期"), QStringLiteral("收支") }, { { QStringLiteral("2025-05-01"), expense } });
    QVERIFY(ReportStore::rangeTotals(noAmount).expense.isZero());
}

void RangeTotalsTest::summaryKindsAreTakenOutOfTheGeneralExpense()
{
    const ResultSet result = detailed({ { expense, 500 }, { income, 1000 }, { expense, 0.2 } });
    const QVector<KindExpense> kinds { { QStringLiteral("交通"), dec("120.25") },
        { QStringLiteral("餐費"), dec("79.85") } };
    const RangeTotals totals = ReportStore::rangeTotals(result, kinds);
    QCOMPARE(totals.expense.text(), QStringLiteral("500.2"));
    QCOMPARE(totals.general.text(), QStringLiteral("300.1"));
    QCOMPARE(totals.balance.text(), QStringLiteral("499.8"));
    // The kinds keep the order they were given in, each with its own sum.
    QCOMPARE(totals.kinds.size(), 2);
    QCOMPARE(totals.kinds.at(0).name, QStringLiteral("交通"));
    QCOMPARE(totals.kinds.at(0).sum.text(), QStringLiteral("120.25"));
    QCOMPARE(totals.kinds.at(1).name, QStringLiteral("餐費"));
    QCOMPARE(totals.kinds.at(1).sum.text(), QStringLiteral("79.85"));

    // A summary kind with refunds beyond its spending makes the general part the larger.
    const RangeTotals refunded
        = ReportStore::rangeTotals(detailed({ { expense, 40 } }), { { QStringLiteral("退款"), dec("-10") } });
    QCOMPARE(refunded.general.text(), QStringLiteral("50"));
}

void RangeTotalsTest::largeSumsStayExact()
{
    // Many amounts a double cannot hold exactly, of up to 15 digits, against a sum of cents
    // done in whole numbers.
    QRandomGenerator rng(20250601);
    QVector<QPair<QString, QVariant>> entries;
    qint64 incomeCents = 0;
    qint64 expenseCents = 0;
    for (int i = 0; i < 5000; ++i) {
        const qint64 cents = qint64(rng.bounded(quint64(1000000000000000))) - Q_INT64_C(100000000000000);
        const bool isIncome = rng.bounded(3) == 0;
        (isIncome ? incomeCents : expenseCents) += cents;
        entries.append({ isIncome ? income : expense, double(cents) / 100.0 });
    }
    // And a run of ten-cent lunches, which a double sums to something next to the truth.
    for (int i = 0; i < 100000; ++i) {
        expenseCents += 10;
        entries.append({ expense, 0.1 });
    }
    const RangeTotals totals = ReportStore::rangeTotals(detailed(entries));
    QCOMPARE(totals.income.text(), centsText(incomeCents));
    QCOMPARE(totals.expense.text(), centsText(expenseCents));
    QCOMPARE(totals.balance.text(), centsText(incomeCents - expenseCents));
}

QUILLORY_TEST_MAIN(RangeTotalsTest)
#include "range_totals_test.moc"
