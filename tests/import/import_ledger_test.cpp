// A family's ledger of years brought over from the old Access file, its amounts in each type
// Access has: the new ledger holds every value of the old one, the day view, range totals and
// month sums come out as the old values add up, and the check before the rename finds any
// value written wrongly, lost or added.
#include "ImportRun.h"

#include "import/ImportCheck.h"
#include "jet/JetDatabase.h"
#include "store/EntryStore.h"
#include "store/LedgerSchema.h"
#include "store/ReportStore.h"
#include "store/database_access.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace importrun;

class ImportLedgerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { database_access::Close_DB(); }

    void everyValueAndEveryViewComeOver_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("elsewhere"); // into another folder than the old file's
        QTest::newRow("Double amounts, into the old file's folder") << QStringList() << false;
        QTest::newRow("Currency amounts and long memos, Integer order, elsewhere")
            << QStringList({ "--amount", "currency", "--memo-overflow", "--seed", "9", "--order", "int" }) << true;
        QTest::newRow("5 % of the rows moved by edits") << QStringList({ "--moved", "5" }) << false;
        QTest::newRow("Single amounts, Byte order") << QStringList({ "--amount", "single", "--order", "byte" }) << true;
        QTest::newRow("Decimal amounts and order")
            << QStringList({ "--amount", "decimal", "--order", "decimal", "--seed", "4" }) << true;
    }

    void everyValueAndEveryViewComeOver()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, elsewhere);
        QTemporaryDir oldDir;
        QTemporaryDir newDir;
        const QString old = oldDir.filePath(QStringLiteral("db1.mdb"));
        QString error;
        QVERIFY2(jetcases::runPython(
                     QStringList { jetcases::script(QStringLiteral("ledger_jet.py")), old } + options, &error),
            qPrintable(error));
        const QJsonObject layout = jetcases::layoutOf(old);
        const QByteArray oldBytes = bytesOf(old);
        QFile summary(oldDir.filePath(QStringLiteral("SKinds.txt")));
        QVERIFY(summary.open(QIODevice::WriteOnly) && summary.write("3,5,14,0\r\n") == 10);
        summary.close();
        const QDir dir(elsewhere ? newDir.path() : oldDir.path());
        // A leftover of a try cut short is cleared.
        QFile leftover(dir.filePath(QStringLiteral("db1-import.mdb.partial")));
        QVERIFY(leftover.open(QIODevice::WriteOnly) && leftover.write("half") == 4);
        leftover.close();

        const Run run = runImport(QStringList { QStringLiteral("--progress"), old }
            + (elsewhere ? QStringList { dir.path() } : QStringList()));
        QVERIFY2(run.exitCode == 0, qPrintable(run.lastError));
        const QJsonArray entries = rowsOf(layout, QStringLiteral("data_main"));
        const qint64 allRows = entries.size() + rowsOf(layout, QStringLiteral("data_note")).size() + 18 + 2;
        QCOMPARE(run.progress.value(run.progress.size() - 1), std::make_pair(allRows, allRows));

        // The folder: the new ledger, the old file kept byte for byte, the report, the summary kinds.
        const QStringList copies = dir.entryList({ QStringLiteral("db1-jet-*.mdb") }, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^db1-jet-\\d{8}-\\d{6}\\.mdb$")).match(copies.first()).hasMatch());
        QCOMPARE(bytesOf(dir.filePath(copies.first())), oldBytes);
        QVERIFY(!dir.exists(QStringLiteral("db1-import.mdb.partial")));
        QCOMPARE(bytesOf(dir.filePath(QStringLiteral("SKinds.txt"))), QByteArray("3,5,14,0\r\n"));
        QVERIFY(!elsewhere || bytesOf(old) == oldBytes);
        const QString report = QString::fromUtf8(bytesOf(dir.filePath(QStringLiteral("import-report.txt"))));
        QVERIFY2(report.startsWith(QStringLiteral("轉入核對：全部相符\n"))
                && report.contains(
                    QStringLiteral("data_main：讀 %1 筆（檔案記錄 %1 筆），寫 %1 筆").arg(entries.size()))
                && report.contains(QStringLiteral("PRAGMA integrity_check）：ok")),
            qPrintable(report));

        database_access::Open_DB(dir.filePath(QStringLiteral("db1.mdb")));
        const ImportStore::Contents got = ImportStore::readAll();
        int compared = 0;
        QCOMPARE(differenceFromOld(layout, got, &compared), QString());
        QCOMPARE(compared, entries.size());
        QCOMPARE(got.entries.size(), entries.size());
        const QJsonArray kinds = rowsOf(layout, QStringLiteral("kind"));
        for (qsizetype i = 0; i < kinds.size(); ++i)
            QCOMPARE(double(got.kinds.at(i).order), kinds.at(i).toArray().at(2).toVariant().toDouble());

        // What the windows show, against sums of the old values.
        const QString amountType = columnsOf(jetcases::tableOf(layout, QStringLiteral("data_main")))
                                       .value(QStringLiteral("a_count"))
                                       .value(QStringLiteral("type"))
                                       .toString();
        QMap<QDate, QList<qint64>> byDay;
        QMap<int, std::array<std::optional<Decimal>, 2>> perMonth; // year * 100 + month
        for (const QJsonValue &v : entries) {
            const QJsonArray row = v.toArray();
            const QDate date = dayOfWritten(row.at(0));
            byDay[date].append(row.at(6).toInteger());
            for (const int month : { date.year() * 100, date.year() * 100 + date.month() }) {
                std::optional<Decimal> &sum = perMonth[month][row.at(2).toInt()];
                sum = sum.value_or(Decimal()) + amountOfWritten(row.at(4), amountType);
            }
        }
        for (auto day = byDay.begin(); day != byDay.end(); ++day) {
            std::sort(day->begin(), day->end());
            QList<qint64> shown;
            for (const EntryStore::Entry &e : EntryStore::entriesOfDay(day.key()))
                shown << e.key;
            QCOMPARE(shown, day.value());
        }
        const auto text = [](const std::optional<Decimal> &d) { return d ? d->text() : QStringLiteral("-"); };
        for (const int year : { 2023, 2024, 2025 }) {
            const ReportStore::RangeTotals totals
                = ReportStore::rangeTotals(ReportStore::rangeEntries(ReportStore::RangeMode::Detailed,
                    ReportStore::RangeFilter { QDate(year, 1, 1), QDate(year, 12, 31), {}, {} },
                    QStringLiteral("D.a_date"), false));
            const auto want = perMonth.value(year * 100);
            QCOMPARE(totals.expense.text() + u' ' + totals.income.text(),
                want[0].value_or(Decimal()).text() + u' ' + want[1].value_or(Decimal()).text());
            const QVector<ReportStore::MonthSums> months = ReportStore::monthSums(year);
            for (int m = 1; m <= 12; ++m) {
                QCOMPARE(text(months.at(m - 1).expense) + u' ' + text(months.at(m - 1).income),
                    text(perMonth.value(year * 100 + m)[0]) + u' ' + text(perMonth.value(year * 100 + m)[1]));
            }
            // The report's line of the year, old and new alike.
            QVERIFY(!want[0]
                || (report.contains(QStringLiteral("%1 年支出").arg(year))
                    && report.contains(QStringLiteral("：%1 ／ %1\n").arg(want[0]->text()))));
        }
    }

    // The check compares the plan read from the old file with the ledger written; any
    // difference stops the import.
    void theCheckFindsEveryKindOfDifference()
    {
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("old.mdb"));
        QString error;
        QVERIFY2(
            jetcases::runPython({ jetcases::script(QStringLiteral("ledger_jet.py")), old, QStringLiteral("--entries"),
                                    QStringLiteral("200"), QStringLiteral("--seed"), QStringLiteral("4") },
                &error),
            qPrintable(error));
        const ImportPlan plan = planImport(JetDatabase::fromFile(old));
        LedgerSchema::createLedger(dir.filePath(QStringLiteral("new.mdb")), false);
        database_access::Open_DB(dir.filePath(QStringLiteral("new.mdb")));
        ImportStore::fill(plan.contents);
        const WrittenLedger written { ImportStore::readAll(), ImportStore::yearSums(), ImportStore::integrityCheck() };
        QCOMPARE(differencesOf(plan, written), QStringList());
        QVERIFY(importReport(plan, written, {}, QStringLiteral("old.mdb"), QStringLiteral("db1-jet-x.mdb"))
                    .startsWith(QStringLiteral("轉入核對：全部相符\n")));
        const QList<std::pair<std::function<void(WrittenLedger &)>, QString>> changes = {
            { [](WrittenLedger &w) {
                 w.contents.entries[17].count = std::nextafter(w.contents.entries[17].count, 1e300);
             },
                QStringLiteral("a_count") },
            { [](WrittenLedger &w) { w.contents.entries.removeAt(50); },
                QStringLiteral("data_main 讀 200 筆，寫 199 筆") },
            { [](WrittenLedger &w) { w.contents.entries[3].date = w.contents.entries[3].date.addDays(1); },
                QStringLiteral("a_date") },
            { [](WrittenLedger &w) { w.contents.kinds[2].name += u'x'; }, QStringLiteral("寫得不對") },
            { [](WrittenLedger &w) { w.contents.notes[0].note.chop(1); }, QStringLiteral("的日記寫得不對") },
            { [](WrittenLedger &w) { w.sums[0].sum += Decimal(1, -2); }, QStringLiteral("年支出") },
            { [](WrittenLedger &w) { w.integrity = QStringLiteral("row 3 missing"); }, QStringLiteral("資料庫檢查") },
            { [](WrittenLedger &w) { w.contents.directions[1].text = QStringLiteral("收"); }, QStringLiteral("inout") },
        };
        for (const auto &[change, found] : changes) {
            WrittenLedger w = written;
            change(w);
            const QStringList differences = differencesOf(plan, w);
            QVERIFY2(differences.join(u'\n').contains(found), qPrintable(found));
            QVERIFY(importReport(plan, w, differences, QStringLiteral("old.mdb"), QString())
                        .startsWith(QStringLiteral("轉入核對：有 %1 處不符，沒有轉入").arg(differences.size())));
        }
    }
};

QTEST_GUILESS_MAIN(ImportLedgerTest)
#include "import_ledger_test.moc"
