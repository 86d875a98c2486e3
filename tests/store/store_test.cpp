// The ledger's store: statements and results on the engine, a ledger never written over; texts
// kept code unit for code unit; exact sums for the totals and the charts; the summary kinds' line.

#include "store/ChartStore.h"
#include "store/EntryStore.h"
#include "store/KindStore.h"
#include "store/LedgerSchema.h"
#include "store/NoteStore.h"
#include "store/ReportStore.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/LedgerFiles.h"
#include "support/QueryPlan.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "support/UnusualTexts.h"

using namespace database_access;

namespace {

const QDate day(2024, 5, 15);

EntryStore::Entry entryOf(qint64 kind, const QString &content, const QString &note, qint64 key)
{
    return { day, kind, 0, content, 120, note, key, {} };
}

// The descriptions a detailed range query finds, sorted.
QStringList found(const QString &description, std::optional<QString> kindName = std::nullopt, QDate last = day)
{
    const ResultSet result = ReportStore::rangeEntries(ReportStore::RangeMode::Detailed,
        ReportStore::RangeFilter { day, last, description, std::move(kindName) }, QStringLiteral("D.a_date"), false);
    QStringList texts;
    for (const ResultSet::Row &row : result.rows())
        texts << testing::units(row.value(int(result.columns().indexOf(QStringLiteral("帳目名")))).toString());
    texts.sort();
    return texts;
}

// Each kind's sum as "name=sum", sorted.
QStringList sumsByName(const ReportStore::RangeFilter &filter, ChartStore::Direction direction)
{
    QStringList out;
    for (const ChartStore::KindSum &k : ChartStore::kindSums(filter, direction))
        out << k.name + QLatin1Char('=') + k.sum.text();
    out.sort();
    return out;
}

} // namespace

class StoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Walked row by row; a copy kept by a caller stays valid after the original closes.
    // A description is found as itself: a wildcard, an escape or a quote taken for more than
    // itself would find the text after it too.
    void resultsAreWalkedAndDescriptionsFoundLiterally()
    {
        TestLedger ledger;
        const QStringList texts = { "100%", "1005", "a_b", "axb", "C:\\temp\\", "C:/temp/", "O'Neil", "O" };
        const qint64 kind = ledger.addKind(QStringLiteral("餐費"), 1);
        for (qint64 key = 1; key <= texts.size(); ++key)
            ledger.addEntry(day.toString(Qt::ISODate), kind, 0, texts.at(key - 1), 12.5, {}, key);
        for (int i = 0; i < texts.size(); i += 2)
            QCOMPARE(found(texts.at(i)), QStringList { testing::units(texts.at(i)) });
        ResultSet result = Open_Query(QStringLiteral("SELECT * FROM data_main WHERE a_key > 6 ORDER BY a_key"));
        result.moveFirst();
        QCOMPARE(
            result.text(QStringLiteral("A_CONTENT")) + u' ' + QString::number(result.number(QStringLiteral("a_count"))),
            QStringLiteral("O'Neil 12.5"));
        result.moveNext();
        result.moveNext();
        QVERIFY(result.atEnd());
        QVERIFY_THROWS_EXCEPTION(StoreError, result.value(QStringLiteral("a_key")));
        QVERIFY_THROWS_EXCEPTION(StoreError, Open_Query(QStringLiteral("SELECT 1 WHERE 0")).moveFirst());
        const ResultSet copy = result;
        result.close();
        QVERIFY(copy.rowCount() == 2 && result.rowCount() == 0);
    }

    // A statement the engine refuses, or one it would run only in part, is refused with the
    // engine's reason and nothing run; a null text is bound as an empty text; a ledger is never
    // written over, nor a missing one made.
    void statementsAreRefusedWithTheReason()
    {
        TestLedger ledger;
        ledger.addEntry(QStringLiteral("2024-05-01"), 1, 0, QStringLiteral("便當 'x'"), 85, QStringLiteral(""), 1);
        const QList<std::tuple<QString, QVariantList, QString>> refused = {
            { QStringLiteral("SELECT * FROM nowhere"), {}, QStringLiteral("no such table: nowhere") },
            { QStringLiteral("SELECT ?, ?"), { 1 }, QStringLiteral("Parameter count mismatch") },
            { QStringLiteral("SELECT ?"), { 1, 2 }, QStringLiteral("Parameter count mismatch") },
            { QStringLiteral("SELECT 1; DELETE FROM data_main"), {}, QStringLiteral("multiple statements") },
            { QStringLiteral("SELECT abs(-9223372036854775807 - 1)"), {}, QStringLiteral("integer overflow") },
            { QStringLiteral("INSERT INTO kind (nosuch) VALUES (1)"), {}, QStringLiteral("nosuch") },
        };
        for (const auto &[sql, values, reason] : refused) {
            const QString said = testing::refusal([&sql, &values] {
                sql.startsWith(QStringLiteral("INSERT")) ? void(Exec_SQL(sql, values)) : void(Open_Query(sql, values));
            });
            QVERIFY2(said.startsWith(QStringLiteral("資料庫錯誤：")) && said.contains(reason), qPrintable(said));
        }
        // A second entry with the key, or a direction that is neither, is refused; a ledger is
        // never made over one.
        QVERIFY_THROWS_EXCEPTION(StoreError, ledger.addEntry(QStringLiteral("2024-05-01"), 1, 0, {}, 1, {}, 1));
        QVERIFY_THROWS_EXCEPTION(StoreError, ledger.addEntry(QStringLiteral("2024-05-01"), 1, 2, {}, 1, {}, 2));
        QVERIFY_THROWS_EXCEPTION(StoreError, LedgerSchema::createLedger(ledger.path(QStringLiteral("db1.mdb"))));
        QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM data_main")).toInt(), 1);
        // A null text is bound as an empty text.
        QCOMPARE(Open_Query(QStringLiteral("SELECT ? IS NULL, length(?)"), { QString(), QString() }).rows().first(),
            ResultSet::Row({ 0, 0 }));
        Close_DB();
        const QString missing = ledger.path(QStringLiteral("none/db1.mdb"));
        QVERIFY_THROWS_EXCEPTION(StoreError, Open_DB(missing));
        QVERIFY(!QFile::exists(missing) && !Is_Open());
    }

    // A leading U+FEFF or U+FFFE is a character of the text; pairs stay pairs; on disk it is
    // plain UTF-8; the next run reads it back the same.
    void textsComeBackCodeUnitForCodeUnit_data() { testing::addUnusualTextRows(true); }
    void textsComeBackCodeUnitForCodeUnit()
    {
        QFETCH(QString, text);
        TestLedger ledger;
        const qint64 other = ledger.addKind(QStringLiteral("餐費"), 1);
        const qint64 kind = KindStore::addKind(text, 2);
        EntryStore::addEntry(entryOf(kind, text, text, 1));
        EntryStore::addEntry(entryOf(other, QStringLiteral("茶"), QStringLiteral("x"), 2));
        EntryStore::updateEntry(2, entryOf(other, QStringLiteral("茶") + text, text + QStringLiteral("熱"), 2));
        NoteStore::insertNote(day, QStringLiteral("舊"));
        NoteStore::updateNote(day, text + text);
        KindStore::renameKind(other, text + QStringLiteral("費"));
        for (int run = 0; run < 2; ++run) {
            const QVector<EntryStore::Entry> ofDay = EntryStore::entriesOfDay(day);
            COMPARE_UNITS(ofDay.at(0).content + u'|' + ofDay.at(0).note, text + u'|' + text);
            COMPARE_UNITS(EntryStore::entryByKey(2)->content + u'|' + ofDay.at(1).note,
                QStringLiteral("茶") + text + u'|' + text + QStringLiteral("熱"));
            COMPARE_UNITS(NoteStore::noteOfDay(day), text + text);
            COMPARE_UNITS(KindStore::kindById(kind)->name + u'|' + KindStore::kindById(other)->name,
                text + u'|' + text + QStringLiteral("費"));
            QCOMPARE(ledger.scalar(QStringLiteral("SELECT hex(a_content) FROM data_main WHERE a_key = 1")).toString(),
                QString::fromLatin1(text.toUtf8().toHex().toUpper()));
            ledger.reopen();
        }
        QVERIFY(KindStore::nameTaken(text) && !KindStore::nameTaken(text, kind));
        QCOMPARE(found(text, text), QStringList { testing::units(text) });
    }

    // Half a character, and in a UTF-16 file what the engine would turn into U+FFFD, are
    // refused before anything is written.
    void textsTheFileCannotHoldAreRefused()
    {
        TestLedger ledger;
        const qint64 kind = ledger.addKind(QStringLiteral("餐費"), 1);
        EntryStore::addEntry(entryOf(kind, QStringLiteral("午餐"), QStringLiteral("好吃"), 1));
        NoteStore::insertNote(day, QStringLiteral("晴"));
        const QStringList before = testing::ledgerContent();
        const auto refuseEverywhere = [&](const QString &broken) {
            QVERIFY_THROWS_EXCEPTION(StoreError, EntryStore::addEntry(entryOf(kind, broken, QString(), 2)));
            QVERIFY_THROWS_EXCEPTION(
                StoreError, EntryStore::updateEntry(1, entryOf(kind, QStringLiteral("午"), broken, 1)));
            QVERIFY_THROWS_EXCEPTION(StoreError, KindStore::addKind(broken, 2));
            QVERIFY_THROWS_EXCEPTION(StoreError, KindStore::renameKind(kind, broken));
            QVERIFY_THROWS_EXCEPTION(StoreError, NoteStore::updateNote(day, broken));
            QVERIFY_THROWS_EXCEPTION(StoreError, NoteStore::insertNote(day.addDays(1), broken));
        };
        for (const QString &broken : { QStringLiteral("午") + QChar(0xD83D), QChar(0xDE00) + QStringLiteral("餐"),
                 QString(QChar(0xDE00)) + QChar(0xD83D) }) {
            refuseEverywhere(broken);
            QVERIFY(testing::refusal([&broken] { found(broken); }).contains(QStringLiteral("代理字元")));
        }
        QCOMPARE(testing::ledgerContent(), before);

        // Another tool may have made the file with UTF-16 text.
        const QString path = ledger.path(QStringLiteral("utf16.mdb"));
        QString layout = QStringLiteral("PRAGMA encoding = 'UTF-16le';");
        for (const QVariantList &row : ledger.rows(QStringLiteral(
                 "SELECT sql FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite%' ORDER BY rowid")))
            layout += row.at(0).toString() + u';';
        QCOMPARE(testing::onFile(path, layout + QStringLiteral("INSERT INTO inout VALUES (0, '支出'), (1, '收入')")),
            QString());
        Open_DB(path);
        const QStringList texts
            = { QStringLiteral("\uFEFF\uFEFFab"), QStringLiteral("咖\uFEFF啡"), QStringLiteral("𠀀🍜") };
        for (int i = 0; i < texts.size(); ++i) {
            EntryStore::addEntry(entryOf(KindStore::addKind(texts.at(i), i + 1), texts.at(i), texts.at(i), i + 1));
            NoteStore::insertNote(day.addDays(i), texts.at(i));
        }
        Open_DB(path);
        for (int i = 0; i < texts.size(); ++i) {
            const EntryStore::Entry entry = EntryStore::entryByKey(i + 1).value();
            COMPARE_UNITS(entry.content + entry.note + KindStore::kindById(entry.kind)->name
                    + NoteStore::noteOfDay(day.addDays(i)),
                texts.at(i).repeated(4));
            QCOMPARE(found(texts.at(i), std::nullopt, day.addDays(9)), QStringList { testing::units(texts.at(i)) });
        }
        for (const QString &changed : { QStringLiteral("\uFFFEab"), QStringLiteral("a\uFFFF") })
            refuseEverywhere(changed);
        QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM data_main")).toInt(), int(texts.size()));
    }

    // The totals of a range: exact decimals of the amounts, whatever the engine hands back.
    void rangeTotalsAndChartSumsAreExact()
    {
        const QString in = QStringLiteral("收入");
        const QString out = QStringLiteral("支出");
        const auto totals = [](const QVector<std::pair<QString, QVariant>> &entries,
                                const QVector<ReportStore::KindExpense> &kinds = {},
                                const QString &amountColumn = QStringLiteral("帳目")) {
            QVector<ResultSet::Row> rows;
            for (const auto &[inout, amount] : entries)
                rows.append({ QStringLiteral("2025-05-01"), inout, amount });
            const ReportStore::RangeTotals t = ReportStore::rangeTotals(
                ResultSet({ QStringLiteral("日期"), QStringLiteral("收支"), amountColumn }, rows), kinds);
            return QStringList { t.income.text(), t.expense.text(), t.balance.text(), t.general.text() };
        };
        // A refund lowers the expense; a row that is neither, or holds nothing, counts for nothing.
        QCOMPARE(totals({ { in, 100 }, { out, 30.5 }, { out, -20.25 }, { QStringLiteral("其他"), 999 }, { out, {} },
                     { in, QStringLiteral("0.1") }, { in, qlonglong(3) } }),
            QStringList({ "103.1", "10.25", "92.85", "10.25" }));
        // Summary kinds come out of the general expense, refunds beyond spending too.
        QCOMPARE(totals({ { out, 500 }, { out, 0.2 } },
                     { { QStringLiteral("交通"), Decimal(12025, -2) }, { QStringLiteral("退款"), Decimal(-10) } },
                     QStringLiteral("日帳目")),
            QStringList({ "0", "500.2", "-500.2", "389.95" }));
        // The charts' sums: exact decimals of the amounts as typed, under the range query's
        // filters, read through the date index.
        TestLedger ledger;
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        const qint64 fun = ledger.addKind(QStringLiteral("娛樂"), 2);
        const qint64 food2 = ledger.addKind(QStringLiteral("餐費"), 3); // the same name twice
        const QList<std::tuple<const char *, qint64, int, const char *, const char *>> entries = {
            { "2021-12-31", fun, 0, "1000", "" },
            { "2022-01-31", food, 0, "0.1", "早餐" },
            { "2022-01-01", food2, 0, "0.2", "午餐 50%" },
            { "2022-01-05", food, 0, "0.005", "早 500" },
            { "2022-01-05", food, 0, "123456789012.35", "" },
            { "2022-01-15", fun, 0, "-0.3", "電影 早場" },
            { "2022-02-01", fun, 1, "5.555", "" },
            { "2024-06-15", fun, 0, "7", "" },
        };
        qint64 key = 0;
        for (const auto &[date, kind, inout, amount, content] : entries)
            ledger.addEntry(QString::fromLatin1(date), kind, inout, QString::fromUtf8(content),
                QString::fromLatin1(amount).toDouble(), {}, ++key);
        ReportStore::RangeFilter f { QDate(2022, 1, 1), QDate(2022, 1, 31), {}, {} };
        QCOMPARE(sumsByName(f, ChartStore::Expense), QStringList({ "娛樂=-0.3", "餐費=123456789012.655" }));
        f.description = QStringLiteral("早");
        QCOMPARE(sumsByName(f, ChartStore::Expense), QStringList({ "娛樂=-0.3", "餐費=0.105" }));
        f.description = QStringLiteral("50%");
        QCOMPARE(sumsByName(f, ChartStore::Expense), QStringList({ "餐費=0.2" }));
        f = { QDate(2022, 1, 1), QDate(2022, 12, 31), {}, QStringLiteral("娛樂") };
        QCOMPARE(sumsByName(f, ChartStore::Income), QStringList({ "娛樂=5.555" }));
        const QVector<ChartStore::Flow> months = ChartStore::monthFlows(2022);
        QCOMPARE(months.size(), 12);
        QCOMPARE(
            months.at(0).expense.text() + u' ' + months.at(1).income.text(), QStringLiteral("123456789012.355 5.555"));
        QVERIFY(months.at(2).income.isZero() && months.at(11).expense.isZero());
        QStringList years;
        for (const ChartStore::YearFlow &y : ChartStore::yearFlows())
            years << QStringLiteral("%1:%2/%3").arg(y.year).arg(y.flow.income.text(), y.flow.expense.text());
        QCOMPARE(years, QStringList({ "2021:0/1000", "2022:5.555/123456789012.355", "2023:0/0", "2024:0/7" }));
        for (const ChartStore::Part part : { ChartStore::Part::Sums, ChartStore::Part::OtherAmounts }) {
            for (const ReportStore::Statement &s : { ChartStore::kindSumsStatement(f, ChartStore::Expense, part),
                     ChartStore::monthFlowsStatement(2024, part), ChartStore::yearFlowsStatement(part) }) {
                const QString plan = testing::planOf(s);
                QVERIFY2(
                    plan.contains(QStringLiteral("USING INDEX data_main_date")) && !plan.contains(u"data_main_kind"),
                    qPrintable(plan));
            }
        }
        // The sums of every year read the whole ledger in the index's order, never sorting it.
        QVERIFY(!testing::planOf(ChartStore::yearFlowsStatement(ChartStore::Part::Sums)).contains(u"TEMP B-TREE"));
        Exec_SQL(QStringLiteral("DELETE FROM data_main"));
        QVERIFY(ChartStore::yearFlows().isEmpty());
    }

    // Another tool's kind table, without AUTOINCREMENT, reuses the highest id freed: a new kind
    // still never takes an id that SKinds.txt or an entry names.
    void aNewKindNeverTakesAnIdStillNamed()
    {
        TestLedger ledger;
        Exec_SQL(QStringLiteral("DROP TABLE kind"));
        Exec_SQL(QStringLiteral("CREATE TABLE kind (a_kind INTEGER PRIMARY KEY, name TEXT, key_order INTEGER)"));
        for (const QString &name : { QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙") })
            KindStore::addKind(name, KindStore::nextKeyOrder());
        ledger.writeSKinds("3\r\n");
        SKinds.clear();
        Exec_SQL(QStringLiteral("DELETE FROM kind WHERE a_kind = 3"));
        QCOMPARE(KindStore::addKind(QStringLiteral("丁"), 4), 4);
        ledger.addEntry(QStringLiteral("2024-05-01"), 9, 0, QStringLiteral("x"), 1, {}, 1);
        QCOMPARE(KindStore::addKind(QStringLiteral("戊"), 5), 10);
    }
};

QUILLORY_TEST_MAIN(StoreTest)
#include "store_test.moc"
