// Recurring items: the schedule's dates, and occurrences entered once whatever the clock does.
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include "store/KindStore.h"
#include "store/RecurringStore.h"
#include "store/StoreError.h"
#include "store/database_access.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Recurrence)

using R = Recurrence::Rule;

namespace {

Recurrence rule(R kind, int number, const char *first, int day = 1, int times = 0, const char *last = "")
{
    return { kind, number, day, QDate::fromString(QLatin1String(first), Qt::ISODate),
        QDate::fromString(QLatin1String(last), Qt::ISODate), times };
}

QStringList dueDates(const char *today)
{
    QStringList out;
    for (const RecurringStore::Occurrence &o :
        RecurringStore::due(QDate::fromString(QLatin1String(today), Qt::ISODate)))
        out << RecurringStore::item(o.item)->content + QLatin1Char(' ') + o.date.toString(Qt::ISODate);
    return out;
}

} // namespace

class RecurringStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void schedules_data()
    {
        QTest::addColumn<Recurrence>("r");
        QTest::addColumn<QString>("upTo");
        QTest::addColumn<QStringList>("want");
        const auto row = [](const char *name, Recurrence r, const char *upTo, const char *want) {
            QTest::newRow(name) << r << QString::fromLatin1(upTo)
                                << QString::fromLatin1(want).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        };
        row("31st in short months", rule(R::MonthDay, 31, "2024-01-31"), "2024-05-31", "01-31 02-29 03-31 04-30 05-31");
        row("31st in 2025", rule(R::MonthDay, 31, "2025-01-10"), "2025-04-30", "01-31 02-28 03-31 04-30");
        row("day before the first date", rule(R::MonthDay, 5, "2024-01-20"), "2024-03-31", "02-05 03-05");
        row("last day", rule(R::MonthLast, 0, "2024-01-15"), "2024-03-31", "01-31 02-29 03-31");
        row("every two months", rule(R::EveryMonths, 2, "2024-01-15"), "2024-06-30", "01-15 03-15 05-15");
        row("every month from the 31st", rule(R::EveryMonths, 1, "2024-01-31"), "2024-03-31", "01-31 02-29 03-31");
        row("yearly 2/29", rule(R::Yearly, 2, "2024-01-01", 29), "2026-12-31", "02-29 02-28 02-28");
        row("weekly on Monday", rule(R::Weekly, 1, "2024-05-15"), "2024-06-03", "05-20 05-27 06-03");
        row("three times", rule(R::MonthDay, 1, "2024-01-01", 1, 3), "2024-12-31", "01-01 02-01 03-01");
        row("until a date", rule(R::MonthDay, 10, "2024-01-01", 1, 0, "2024-02-10"), "2024-12-31", "01-10 02-10");
        row("nothing yet", rule(R::MonthDay, 10, "2024-01-01"), "2024-01-09", "");
    }

    void schedules()
    {
        QFETCH(Recurrence, r);
        QFETCH(QString, upTo);
        QFETCH(QStringList, want);
        QStringList dates;
        for (const auto &[index, date] : r.upTo(QDate::fromString(upTo, Qt::ISODate)))
            dates << date.toString(Qt::ISODate).mid(5);
        QCOMPARE(dates, want);
        QCOMPARE(Recurrence::fromRuleText(r.ruleText())->ruleText(), r.ruleText());
    }

    void rulesAreCheckedAndShown()
    {
        for (const Recurrence &wrong : { rule(R::MonthDay, 32, "2024-01-01"), rule(R::Yearly, 2, "2024-01-01", 30),
                 rule(R::Weekly, 0, "2024-01-01"), rule(R::EveryMonths, 121, "2024-01-01"), rule(R::MonthDay, 1, "") })
            QVERIFY2(!wrong.isValid(), qPrintable(wrong.ruleText()));
        for (const char *text : { "monthday 0", "yearly 2", "months x", "daily 1" })
            QVERIFY2(!Recurrence::fromRuleText(QString::fromLatin1(text)), text);
        QVERIFY(!rule(R::MonthDay, 1, "2024-01-01").occurrence(-1).isValid());
        QCOMPARE(rule(R::MonthLast, 0, "2024-01-01").shown() + rule(R::EveryMonths, 3, "2024-01-01").shown()
                + rule(R::MonthDay, 5, "2024-01-01").shown(),
            u"每月最後一天每 3 個月每月 5 日"_s);
        QCOMPARE(rule(R::Yearly, 2, "2024-01-01", 29).shown(), u"每年 2 月 29 日"_s);
        QCOMPARE(rule(R::Weekly, 7, "2024-01-01").shown(), u"每週星期日"_s);
    }

    // Each occurrence is entered once: opened again the same day, after the clock went back
    // and forward, or after a failure half way, which leaves neither the entry nor the record.
    void occurrencesAreEnteredOnce()
    {
        TestLedger ledger;
        const qint64 rent = ledger.addKind(u"房租"_s, 1);
        QVERIFY(dueDates("2024-05-01").isEmpty()); // no tables yet
        const qint64 id = RecurringStore::saveItem(
            { 0, 0, rent, u"房租"_s, 12000.5, u"轉帳"_s, rule(R::MonthDay, 31, "2024-01-31"), true });
        const qint64 power = RecurringStore::saveItem(
            { 0, 0, rent, u"電費"_s, std::nullopt, {}, rule(R::EveryMonths, 2, "2024-02-10"), false });
        QCOMPARE(dueDates("2024-03-31"),
            QStringList({ "房租 2024-01-31", "電費 2024-02-10", "房租 2024-02-29", "房租 2024-03-31" }));

        // Enter the rent up to March, skip the electricity; a failure between the first entry and
        // its record leaves neither.
        QVector<RecurringStore::Posting> postings;
        for (const RecurringStore::Occurrence &o : RecurringStore::due(QDate(2024, 3, 31)))
            postings.append({ o, o.item == id ? std::optional<double>(12000.5) : std::nullopt });
        database_access::Set_Statement_Hook([](const QString &sql) {
            if (sql.startsWith(QLatin1String("INSERT INTO data_main")))
                throw StoreError(u"寫入失敗"_s);
        });
        QVERIFY_THROWS_EXCEPTION(StoreError, RecurringStore::post(postings));
        database_access::Set_Statement_Hook({});
        QCOMPARE(ledger.scalar(u"SELECT count(*) FROM data_main"_s).toInt(), 0);
        QCOMPARE(RecurringStore::due(QDate(2024, 3, 31)).size(), 4);
        const RecurringStore::Posted posted = RecurringStore::post(postings);
        QCOMPARE(std::make_pair(posted.keys.size(), posted.skipped), std::make_pair(qsizetype(3), 1));
        QCOMPARE(ledger
                     .rows(QStringLiteral(
                         "SELECT a_date, a_content, a_count, a_note, a_kind_name FROM data_main ORDER BY a_key"))
                     .last(),
            QVariantList({ "2024-03-31", "房租", 12000.5, "轉帳", "房租" }));
        // The same postings again (a second window), the same day, the clock back and forward.
        QCOMPARE(RecurringStore::post(postings).alreadyDone, 4);
        QVERIFY(dueDates("2024-03-31").isEmpty() && dueDates("2024-02-15").isEmpty());
        QCOMPARE(dueDates("2024-04-30"), QStringList({ "電費 2024-04-10", "房租 2024-04-30" }));
        QCOMPARE(ledger.scalar(u"SELECT count(*) FROM data_main"_s).toInt(), 3);

        // Taken back, the entries go and their occurrences are due again.
        RecurringStore::takeBack(posted.keys.mid(2));
        QCOMPARE(dueDates("2024-03-31"), QStringList { "房租 2024-03-31" });

        // A changed schedule applies after what was dealt with; deleting keeps the entries.
        RecurringStore::Item changed = *RecurringStore::item(id);
        changed.when = rule(R::MonthDay, 15, "2024-01-01");
        RecurringStore::saveItem(changed);
        QCOMPARE(RecurringStore::item(id)->when.first, QDate(2024, 3, 1));
        QCOMPARE(dueDates("2024-03-31").first(), u"房租 2024-03-15"_s);
        RecurringStore::deleteItem(id);
        QCOMPARE(RecurringStore::items().size(), 1);
        QCOMPARE(ledger.scalar(u"SELECT count(*) FROM data_main"_s).toInt(), 2);

        // A kind an item still files under goes only with its entries, and the item follows them.
        const qint64 home = ledger.addKind(u"居家"_s, 2);
        RecurringStore::Item moved = *RecurringStore::item(power);
        moved.kind = home;
        RecurringStore::saveItem(moved);
        QVERIFY_THROWS_EXCEPTION(StoreError, KindStore::deleteKind(home, std::nullopt, std::nullopt));
        KindStore::deleteKind(home, rent, std::nullopt);
        QCOMPARE(RecurringStore::item(power)->kind, rent);
    }
};

QUILLORY_TEST_MAIN(RecurringStoreTest)
#include "recurring_store_test.moc"
