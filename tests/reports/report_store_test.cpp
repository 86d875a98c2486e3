#include "store/ReportStore.h"
#include "support/QueryPlan.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

using namespace ReportStore;

class ReportStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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

QUILLORY_TEST_MAIN(ReportStoreTest)
#include "report_store_test.moc"
