// A family's ledger of years brought over from the old Access file, its amounts in each type
// Access has: the new ledger holds every value of the old one bit for bit, the day view finds
// each entry, the report sums each year as the old values add up, and the check before the
// rename finds any value written wrongly, lost or added.
#include "ImportRun.h"

#include "import/ImportCheck.h"
#include "jet/JetDatabase.h"
#include "store/EntryStore.h"
#include "store/LedgerSchema.h"
#include "store/database_access.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace importrun;

class ImportLedgerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { database_access::Close_DB(); }

    void initTestCase() { jetcases::writeCases(m_cases.path()); }

    void everyValueAndEveryViewComeOver_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("elsewhere"); // into another folder than the old file's
        QTest::newRow("Double amounts, into the old file's folder") << "ledger" << false;
        QTest::newRow("Currency amounts and long memos, Integer order, elsewhere") << "ledger_currency" << true;
        QTest::newRow("5 % of the rows moved by edits") << "ledger_moved" << false;
        QTest::newRow("Single amounts, Byte order") << "ledger_single" << true;
        QTest::newRow("Decimal amounts and order") << "ledger_decimal" << true;
    }

    void everyValueAndEveryViewComeOver()
    {
        QFETCH(QString, name);
        QFETCH(bool, elsewhere);
        QTemporaryDir oldDir;
        QTemporaryDir newDir;
        const QString old = oldDir.filePath(QStringLiteral("db1.mdb"));
        const QString written = m_cases.filePath(name + QStringLiteral(".mdb"));
        QVERIFY(QFile::copy(written, old));
        const QJsonObject layout = jetcases::layoutOf(written);
        const QByteArray oldBytes = bytesOf(old);
        writeFile(oldDir.filePath(QStringLiteral("SKinds.txt")), "3,5,14,0\r\n");
        const QDir dir(elsewhere ? newDir.path() : oldDir.path());
        writeFile(dir.filePath(QStringLiteral("db1-import.mdb.partial")), "half"); // a try cut short, cleared

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

        // The report's line of each year holds the sum of the old values, old and new alike.
        const QString amountType = columnsOf(jetcases::tableOf(layout, QStringLiteral("data_main")))
                                       .value(QStringLiteral("a_count"))
                                       .value(QStringLiteral("type"))
                                       .toString();
        std::map<int, Decimal> spent;
        QMap<QDate, QList<qint64>> byDay;
        for (const QJsonValue &v : entries) {
            const QJsonArray row = v.toArray();
            byDay[dayOfWritten(row.at(0))].append(row.at(6).toInteger());
            if (row.at(2).toInt() == 0)
                spent[dayOfWritten(row.at(0)).year()] += amountOfWritten(row.at(4), amountType);
        }
        // Each day's entries are found where the day view looks for them (dates written as it reads them).
        for (auto day = byDay.begin(); day != byDay.end(); ++day) {
            std::sort(day->begin(), day->end());
            QList<qint64> shown;
            for (const EntryStore::Entry &e : EntryStore::entriesOfDay(day.key()))
                shown << e.key;
            QCOMPARE(shown, day.value());
        }
        QVERIFY(!spent.empty());
        for (const auto &[year, sum] : spent) {
            const QString line = QStringLiteral("%1 年支出 \\d+ 筆：%2 ／ %2\n").arg(year).arg(sum.text());
            QVERIFY2(report.contains(QRegularExpression(line)), qPrintable(line));
        }
    }

    // The check compares the plan read from the old file with the ledger written; any
    // difference stops the import.
    void theCheckFindsEveryKindOfDifference()
    {
        QTemporaryDir dir;
        const QString old = m_cases.filePath(QStringLiteral("ledger.mdb"));
        const qsizetype entries = rowsOf(jetcases::layoutOf(old), QStringLiteral("data_main")).size();
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
                QStringLiteral("data_main 讀 %1 筆，寫 %2 筆").arg(entries).arg(entries - 1) },
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

private:
    QTemporaryDir m_cases;
};

QTEST_GUILESS_MAIN(ImportLedgerTest)
#include "import_ledger_test.moc"
