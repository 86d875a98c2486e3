// What old ledgers really hold, brought over each in its own way and said so in the report, or
// refused with a message naming what is wrong; a refusal or failure leaves the folder as it was.
// A family's ledger of years, its amounts in each type Access has: the new ledger holds every
// value of the old one bit for bit, the day view finds each entry, the report sums each year as
// the old values add up, and the check before the rename finds any value written wrongly, lost
// or added.
#include "ImportRun.h"

#include "import/ImportCheck.h"
#include "jet/JetDatabase.h"
#include "store/LedgerSchema.h"
#include "store/database_access.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace importrun;

class ImportCasesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { jetcases::writeCases(m_dir.path()); }

    void cleanup() { database_access::Close_DB(); }

    // What cannot be brought over is refused with the reason, and every folder left as it was.
    void refusalsAndFailuresChangeNothing()
    {
        for (const auto &[name, says] : std::initializer_list<std::pair<const char *, const char *>> {
                 { "damaged.mdb", "損壞" }, { "bad_inout.mdb", "data_main 第 7 列（a_key 11）的收支（a_inout）是 7" },
                 { "huge_amount.mdb", "data_main 第 3 列（a_key 7）的金額 922337203685477.5807 超過 15 位有效數字" },
                 { "two_notes_a_day.mdb", "data_note 第 1 列和第 2 列" } }) {
            QTemporaryDir folder;
            QVERIFY(QFile::copy(m_dir.filePath(QString::fromLatin1(name)), folder.filePath(u"db1.mdb"_s)));
            writeFile(folder.filePath(u"SKinds.txt"_s), "1,2\n");
            const QMap<QString, QByteArray> before = snapshot(folder.path());
            const Run run = runImport({ u"--progress"_s, folder.filePath(u"db1.mdb"_s) });
            QVERIFY2(run.exitCode == 2 && run.lastError.contains(QString::fromUtf8(says))
                    && run.lastError.contains(u"資料夾裡的檔案都沒有更動"_s),
                qPrintable(run.lastError));
            QCOMPARE(snapshot(folder.path()), before);
        }

        // Steps that fail late, after the old file was copied aside and the new ledger written,
        // are undone too; a folder that already has a ledger of its own is never written over.
        QTemporaryDir oldDir, newDir;
        const QString old = oldDir.filePath(u"db1.mdb"_s);
        QVERIFY(QFile::copy(m_dir.filePath(u"memo_overflow.mdb"_s), old));
        writeFile(oldDir.filePath(u"SKinds.txt"_s), "4\n");
        QVERIFY(QDir(newDir.path()).mkdir(u"SKinds.txt"_s)); // SKinds.txt cannot be put there
        const QMap<QString, QByteArray> oldBefore = snapshot(oldDir.path());
        const QMap<QString, QByteArray> newBefore = snapshot(newDir.path());
        Run run = runImport({ old, newDir.path() });
        QVERIFY2(run.exitCode == 2 && run.lastError.contains(u"SKinds.txt"_s), qPrintable(run.lastError));
        QCOMPARE(snapshot(oldDir.path()), oldBefore);
        QCOMPARE(snapshot(newDir.path()), newBefore);

        QVERIFY(QDir(newDir.path()).rmdir(u"SKinds.txt"_s));
        QVERIFY(QFile::copy(m_dir.filePath(u"key_zero.mdb"_s), newDir.filePath(u"db1.mdb"_s)));
        const QMap<QString, QByteArray> occupied = snapshot(newDir.path());
        run = runImport({ old, newDir.path() });
        QVERIFY2(run.exitCode == 2 && run.lastError.contains(u"已經有 db1.mdb"_s), qPrintable(run.lastError));
        QCOMPARE(snapshot(newDir.path()), occupied);
        QCOMPARE(runImport({}).exitCode, 1);
        QCOMPARE(runImport({ old, newDir.path(), u"more"_s }).exitCode, 1);
    }

    // Each case with a line its report must hold; the whole ledgers with the sums of each year.
    void everyValueAndEveryViewComeOver_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("elsewhere"); // into another folder than the old file's
        for (const auto &[name, line, elsewhere] : std::initializer_list<std::tuple<const char *, const char *, bool>> {
                 { "nulls", "空白（NULL）的欄位：data_main.a_content 2 個", false },
                 { "duplicate_key", "2 筆帳目的 a_key 和前面的帳目重複", true },
                 { "key_zero", "1 筆帳目的 a_key 是 0", false },
                 { "vanished_kind", "分類編號 2（2 筆）、15（4 筆）、999（1 筆）），改歸新增的分類「舊分類」", false },
                 { "dates_out_of_range", "放在 1899-12-30（舊程式的第 0 天），查詢那一天就能找到並改正：第 9 列 a_key",
                     false },
                 { "kind_order", "依原來的順序重新編成 1 到 18", false },
                 { "deleted_rows", "data_main：讀 270 筆（檔案記錄 270 筆），寫 270 筆", false },
                 { "memo_overflow", "整段轉入", false },
                 { "column_order", "data_main 表的欄位順序和 Quillory 的不同", false },
                 { "column_history", "data_main.a_kind_name 25 個", false },
                 { "every_type", "轉入核對：全部相符", false },
                 { "fixed_kind_name",
                     "data_main.a_kind_name 是固定長度（12 個字）的文字欄位，照 Access 存放的樣子連同補齊的空格轉入",
                     false },
                 { "no_data_note", "舊檔沒有 data_note 表", false },
                 { "no_inout", "舊檔沒有 inout 表", false },
                 { "ledger", "", false },
                 { "ledger_currency", "", true },
                 { "ledger_moved", "", false },
                 { "ledger_single", "", true },
                 { "ledger_decimal", "", true },
             })
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(line) << elsewhere;
    }

    void everyValueAndEveryViewComeOver()
    {
        QFETCH(QString, name);
        QFETCH(QString, line);
        QFETCH(bool, elsewhere);
        QTemporaryDir oldDir, newDir;
        const QString old = oldDir.filePath(u"db1.mdb"_s);
        const QString written = m_dir.filePath(name + u".mdb"_s);
        QVERIFY(QFile::copy(written, old));
        const QJsonObject layout = jetcases::layoutOf(written);
        const QByteArray oldBytes = bytesOf(old);
        const QByteArray summaryKinds = name.startsWith(u"ledger") ? "3,5,14,0\r\n" : ""; // the cases have none
        if (!summaryKinds.isEmpty())
            writeFile(oldDir.filePath(u"SKinds.txt"_s), summaryKinds);
        const QDir dir(elsewhere ? newDir.path() : oldDir.path());
        writeFile(dir.filePath(u"db1-import.mdb.partial"_s), "half"); // a try cut short, cleared

        const Run run = runImport(
            QStringList { u"--progress"_s, old } + (elsewhere ? QStringList { dir.path() } : QStringList()));
        QVERIFY2(run.exitCode == 0, qPrintable(run.lastError));
        const QJsonArray entries = rowsOf(layout, u"data_main"_s);
        const qint64 allRows = entries.size() + rowsOf(layout, u"data_note"_s).size() + rowsOf(layout, u"kind"_s).size()
            + rowsOf(layout, u"inout"_s).size();
        QCOMPARE(run.progress.value(run.progress.size() - 1), std::make_pair(allRows, allRows));

        // The folder: the new ledger, the old file kept byte for byte, the report, the summary kinds.
        const QStringList copies = dir.entryList({ u"db1-jet-*.mdb"_s }, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(bytesOf(dir.filePath(copies.first())), oldBytes);
        QVERIFY(!dir.exists(u"db1-import.mdb.partial"_s));
        QCOMPARE(bytesOf(dir.filePath(u"SKinds.txt"_s)), summaryKinds);
        QVERIFY(!elsewhere || bytesOf(old) == oldBytes);
        const QString report = QString::fromUtf8(bytesOf(dir.filePath(u"import-report.txt"_s)));
        QVERIFY2(report.startsWith(u"轉入核對：全部相符\n"_s)
                && report.contains(u"data_main：讀 %1 筆（檔案記錄 %1 筆），寫 %1 筆"_s.arg(entries.size()))
                && report.contains(u"PRAGMA integrity_check）：ok"_s) && report.contains(line),
            qPrintable(report));

        database_access::Open_DB(dir.filePath(u"db1.mdb"_s));
        const ImportStore::Contents got = ImportStore::readAll();
        int compared = 0;
        QCOMPARE(differenceFromOld(layout, got, &compared), QString());
        QCOMPARE(compared, entries.size());
        QCOMPARE(got.entries.size(), entries.size());
        // The kinds keep their old order values when all are whole, else are numbered 1..N in
        // that order, blanks last.
        const auto cell = [&](const QJsonValue &row, const char *table, const char *column) {
            const QJsonObject at = columnsOf(jetcases::tableOf(layout, QLatin1String(table)))[QLatin1String(column)];
            return row.toArray().at(at[u"at"_s].toInt());
        };
        QVector<std::pair<double, qint64>> kinds;
        for (const QJsonValue &k : rowsOf(layout, u"kind"_s)) {
            const QJsonValue order = cell(k, "kind", "key_order");
            kinds.append(
                { order.isNull() ? qInf() : order.toVariant().toDouble(), cell(k, "kind", "a_kind").toInteger() });
        }
        std::sort(kinds.begin(), kinds.end());
        const bool whole = std::ranges::all_of(
            kinds, [](const auto &k) { return std::isfinite(k.first) && std::floor(k.first) == k.first; });
        QHash<qint64, qint64> orderOf;
        for (const KindStore::Kind &k : got.kinds)
            orderOf.insert(k.id, k.order);
        for (qsizetype n = 0; n < kinds.size(); ++n)
            QCOMPARE(orderOf.value(kinds[n].second), whole ? qint64(kinds[n].first) : n + 1);

        // Dates are written as the day view looks for them; the report's line of each year holds
        // the sum of the old values, old and new alike.
        const QString badDates = u"SELECT count(*) FROM data_main WHERE a_date IS NOT date(a_date)"_s;
        QCOMPARE(database_access::Open_Query(badDates).rows().value(0).value(0).toInt(), 0);
        const QString amountType
            = columnsOf(jetcases::tableOf(layout, u"data_main"_s)).value(u"a_count"_s).value(u"type"_s).toString();
        std::map<int, Decimal> spent;
        for (const QJsonValue &v : entries) {
            if (cell(v, "data_main", "a_inout").toInt() == 0)
                spent[dayOfWritten(cell(v, "data_main", "a_date")).year()]
                    += amountOfWritten(cell(v, "data_main", "a_count"), amountType);
        }
        QVERIFY(!spent.empty());
        for (const auto &[year, sum] : spent) {
            const QString sums = u"%1 年支出 \\d+ 筆：%2 ／ %2\n"_s.arg(year).arg(sum.text());
            QVERIFY2(report.contains(QRegularExpression(sums)), qPrintable(sums));
        }
    }

    // The check compares the plan read from the old file with the ledger written; any
    // difference stops the import.
    void theCheckFindsEveryKindOfDifference()
    {
        QTemporaryDir dir;
        const QString old = m_dir.filePath(u"ledger.mdb"_s);
        const qsizetype entries = rowsOf(jetcases::layoutOf(old), u"data_main"_s).size();
        const ImportPlan plan = planImport(JetDatabase::fromFile(old));
        LedgerSchema::createLedger(dir.filePath(u"new.mdb"_s), false);
        database_access::Open_DB(dir.filePath(u"new.mdb"_s));
        ImportStore::fill(plan.contents);
        const WrittenLedger written { ImportStore::readAll(), ImportStore::yearSums(), ImportStore::integrityCheck() };
        QCOMPARE(differencesOf(plan, written), QStringList());
        const QList<std::pair<std::function<void(WrittenLedger &)>, QString>> changes = {
            { [](WrittenLedger &w) {
                 w.contents.entries[17].count = std::nextafter(w.contents.entries[17].count, 1e300);
             },
                u"a_count"_s },
            { [](WrittenLedger &w) { w.contents.entries.removeAt(50); },
                u"data_main 讀 %1 筆，寫 %2 筆"_s.arg(entries).arg(entries - 1) },
            { [](WrittenLedger &w) { w.contents.entries[3].date = w.contents.entries[3].date.addDays(1); },
                u"a_date"_s },
            { [](WrittenLedger &w) { w.contents.kinds[2].name += u'x'; }, u"寫得不對"_s },
            { [](WrittenLedger &w) { w.contents.notes[0].note.chop(1); }, u"的日記寫得不對"_s },
            { [](WrittenLedger &w) { w.sums[0].sum += Decimal(1, -2); }, u"年支出"_s },
            { [](WrittenLedger &w) { w.integrity = u"row 3 missing"_s; }, u"資料庫檢查"_s },
            { [](WrittenLedger &w) { w.contents.directions[1].text = u"收"_s; }, u"inout"_s },
        };
        for (const auto &[change, found] : changes) {
            WrittenLedger w = written;
            change(w);
            const QStringList differences = differencesOf(plan, w);
            QVERIFY2(differences.join(u'\n').contains(found), qPrintable(found));
            QVERIFY(importReport(plan, w, differences, u"old.mdb"_s, QString())
                        .startsWith(u"轉入核對：有 %1 處不符，沒有轉入"_s.arg(differences.size())));
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(ImportCasesTest)
#include "import_cases_test.moc"
