// Every total of the query window is the exact decimal sum of the amounts as typed, checked
// against sums the test keeps in integer cents.

#include "reports/QueryWindow.h"

#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "reports/chart_view.h"
#include "store/database_access.h"
#include "support/Cents.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"

#include <QChart>
#include <QMap>
#include <QRandomGenerator>

using namespace querywindow;
using testing::centsText;

namespace {

QString yearSummary(const QString &income, const QString &expense, const QString &balance)
{
    return QStringLiteral("本次查詢的年收入: ") + income + QStringLiteral(" 元\n          年支出: ") + expense
        + QStringLiteral(" 元\n            總結: ") + balance + QStringLiteral(" 元");
}

// What the summary text says, taken apart: the kinds come in the database's order, so they are
// compared as a map.
struct Summary
{
    QString income;
    QString expense;
    QString general;
    QMap<QString, QString> kinds;
    QString balance;

    bool operator==(const Summary &) const = default;
};

Summary parse(const QString &text)
{
    Summary s;
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() != 3)
        return s;
    s.income = lines.at(0).section(QStringLiteral(" : "), 1).chopped(1);
    s.balance = lines.at(2).section(QStringLiteral(" : "), 1).chopped(1);
    const QString expenseLine = lines.at(1).section(QStringLiteral(" : "), 1);
    s.expense = expenseLine.section(QStringLiteral("/ 一般:"), 0, 0);
    const QStringList parts = expenseLine.section(QStringLiteral("/ 一般:"), 1).split(QStringLiteral(" ; "));
    s.general = parts.value(0).chopped(parts.value(0).isEmpty() ? 0 : 1);
    for (const QString &kind : parts.mid(1)) {
        if (!kind.isEmpty())
            s.kinds.insert(kind.section(QLatin1Char(':'), 0, 0), kind.section(QLatin1Char(':'), 1).chopped(1));
    }
    return s;
}

QDebug operator<<(QDebug d, const Summary &s)
{
    return d << s.income << s.expense << s.general << s.kinds << s.balance;
}

struct Entry
{
    QDate day;
    int kind; // index into Ledger::kinds
    int inout;
    QString content;
    qint64 cents;
};

// A ledger written from a list of entries typed as cents, keeping the list for the reference
// sums. Kinds 0 and 1 are the summary kinds.
struct Ledger
{
    testing::FixedClock clock { QDate(2024, 12, 31) };
    TestLedger ledger;
    QStringList kindNames = { QStringLiteral("餐費"), QStringLiteral("交通"), QStringLiteral("雜項") };
    QVector<qint64> kindIds;
    QVector<Entry> entries;

    Ledger()
    {
        for (int i = 0; i < kindNames.size(); ++i)
            kindIds << ledger.addKind(kindNames.at(i), i + 1);
        ledger.writeSKinds(
            QString(QString::number(kindIds.at(0)) + QLatin1Char(',') + QString::number(kindIds.at(1))).toUtf8());
    }

    void add(const QVector<Entry> &more)
    {
        database_access::Transaction transaction;
        for (const Entry &e : more) {
            // Stored as the program stores a typed amount: the text read as a double.
            addEntry(ledger, DateText::iso(e.day), kindIds.at(e.kind), e.inout, e.content,
                centsText(e.cents).toDouble(), entries.size() + 1, QString(), kindNames.at(e.kind));
            entries << e;
        }
        transaction.commit();
    }

    // The summary the range query over the year (or one month of it) must show, from integer cents.
    Summary expected(const QString &description, int onlyKind, int year, int month = 0) const
    {
        qint64 income = 0, expense = 0;
        QMap<QString, qint64> kinds;
        for (const Entry &e : entries) {
            if (!e.content.contains(description) || (onlyKind >= 0 && e.kind != onlyKind) || e.day.year() != year
                || (month && e.day.month() != month))
                continue;
            (e.inout == 1 ? income : expense) += e.cents;
            if (e.inout == 0 && e.kind < 2)
                kinds[kindNames.at(e.kind)] += e.cents;
        }
        Summary s { centsText(income), centsText(expense), QString(), {}, centsText(income - expense) };
        qint64 general = expense;
        for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
            s.kinds.insert(it.key(), centsText(it.value()));
            general -= it.value();
        }
        s.general = centsText(general);
        return s;
    }
};

} // namespace

class ExactMoneyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Random amounts over a year and its edges, refunds among them: the range's summary under
    // each filter, the simple list's day sums, the year report's months, its summary and its chart
    // agree with sums kept in integer cents.
    void everyViewMatchesIntegerSums()
    {
        Ledger l;
        QRandomGenerator rng(2024);
        const QStringList contents
            = { QStringLiteral("便當"), QStringLiteral("雞腿便當"), QStringLiteral("車票"), QStringLiteral("咖啡") };
        QVector<Entry> entries;
        for (int i = 0; i < 6000; ++i) {
            qint64 cents = qint64(rng.bounded(i % 50 == 0 ? 1000000000 : 100000));
            entries << Entry { QDate(2023, 12, 25).addDays(rng.bounded(380)), int(rng.bounded(3)),
                int(rng.bounded(4) == 0), contents.at(rng.bounded(contents.size())), i % 17 == 0 ? -cents : cents };
        }
        l.add(entries);
        qint64 income = 0, expense = 0;
        QMap<int, std::pair<qint64, qint64>> months;
        QMap<std::pair<QString, QString>, qint64> days;
        for (const Entry &e : l.entries) {
            if (e.day.year() != 2024)
                continue;
            (e.inout ? income : expense) += e.cents;
            (e.inout ? months[e.day.month()].first : months[e.day.month()].second) += e.cents;
            days[{ DateText::slashed(e.day), e.inout ? QStringLiteral("收入") : QStringLiteral("支出") }] += e.cents;
        }
        const QString in = centsText(income), out = centsText(expense), net = centsText(income - expense);
        ScriptedBoxes boxes;
        check window;
        QVERIFY(open(window));

        runYear(window, QStringLiteral("2024"));
        for (int m = 1; m <= 12; ++m) {
            const auto [mi, me] = months.value(m);
            QCOMPARE(
                QStringList({ window.DGrid->textAt(m, 1), window.DGrid->textAt(m, 2), window.DGrid->textAt(m, 3) }),
                QStringList({ centsText(mi), centsText(me), centsText(mi - me) }));
        }
        QCOMPARE(window.msg_field->text(), yearSummary(in, out, net));
        ModalDriver driver;
        QString chartTitle;
        driver.next([&](QDialog *dialog) { chartTitle = qobject_cast<chart_view *>(dialog)->chartAt(0)->title(); });
        press(window.cmd_chart);
        QCOMPARE(chartTitle, QStringLiteral("2024年各月收支　收入 %1元　支出 %2元　結餘 %3元").arg(in, out, net));

        for (const bool detailed : { true, false }) {
            runRange(window, QStringLiteral("2024/1/1"), QStringLiteral("2024/12/31"), detailed);
            QCOMPARE(parse(window.msg_field->text()), l.expected(QString(), -1, 2024));
        }
        // The simple list's rows: each day and direction's exact sum.
        QCOMPARE(window.DGrid->rows() - 1, days.size());
        for (int r = 1; r < window.DGrid->rows(); ++r) {
            const std::pair<QString, QString> key { window.DGrid->textAt(r, 0).left(10), window.DGrid->textAt(r, 1) };
            QVERIFY2(days.contains(key), qPrintable(key.first));
            QCOMPARE(window.DGrid->textAt(r, 2), centsText(days.value(key)));
        }
        // The summary kinds follow the description and kind filters.
        for (const auto &[description, kind] : QList<std::pair<QString, int>> {
                 { QStringLiteral("便當"), -1 }, { QString(), 0 }, { QString(), 2 }, { QStringLiteral("便當"), 1 } }) {
            retype(window.account_name, description);
            QVERIFY(chooseKind(window, kind < 0 ? QStringLiteral("全部") : l.kindNames.at(kind)));
            for (const bool detailed : { true, false }) {
                runRange(window, QStringLiteral("2024/3/1"), QStringLiteral("2024/3/31"), detailed);
                QCOMPARE(parse(window.msg_field->text()), l.expected(description, kind, 2024, 3));
            }
        }
        QVERIFY(boxes.texts().isEmpty());
    }
};

QUILLORY_TEST_MAIN(ExactMoneyTest)
#include "exact_money_test.moc"
