// What old ledgers really hold, brought over each in its own way and said so in the report, or
// refused with a message naming what is wrong; a refusal or failure leaves the folder as it was.
#include "ImportRun.h"

#include "store/database_access.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace importrun;

namespace {

const QString orphan = QStringLiteral("舊分類");

QJsonArray rowsOf(const QJsonObject &layout, const QString &table)
{
    return jetcases::tableOf(layout, table).value(QStringLiteral("rows")).toArray();
}

// Every entry of the old file whose key is its own comes over with its values, NULLs as the
// ledger's empty text and 0, a kind that is gone as 舊分類; kinds and day notes likewise.
void compareWithOld(const QJsonObject &layout, const ImportStore::Contents &got)
{
    const QJsonObject main = jetcases::tableOf(layout, QStringLiteral("data_main"));
    const QMap<QString, int> c = columnsOf(main);
    const QString amountType = main.value(QStringLiteral("columns"))
                                   .toArray()
                                   .at(c.value(QStringLiteral("a_count")))
                                   .toObject()
                                   .value(QStringLiteral("type"))
                                   .toString();
    QHash<qint64, int> keyUses;
    for (const QJsonValue &row : main.value(QStringLiteral("rows")).toArray())
        if (!row.toArray().at(c.value(QStringLiteral("a_key"))).isNull())
            ++keyUses[row.toArray().at(c.value(QStringLiteral("a_key"))).toInteger()];
    QHash<qint64, QString> kindNames;
    qint64 orphanId = 0;
    for (const KindStore::Kind &k : got.kinds) {
        kindNames.insert(k.id, k.name);
        if (k.name == orphan)
            orphanId = k.id;
    }
    QHash<qint64, EntryStore::Entry> byKey;
    for (const EntryStore::Entry &e : got.entries)
        byKey.insert(e.key, e);
    int compared = 0;
    for (const QJsonValue &v : main.value(QStringLiteral("rows")).toArray()) {
        const QJsonArray row = v.toArray();
        const auto at = [&](const char *name) { return row.at(c.value(QString::fromLatin1(name))); };
        const qint64 key = at("a_key").toInteger();
        if (at("a_key").isNull() || key == 0 || keyUses.value(key) > 1)
            continue;
        QVERIFY2(byKey.contains(key), qPrintable(QString::number(key)));
        const EntryStore::Entry e = byKey.value(key);
        const qint64 kind = at("a_kind").isNull() ? -1 : at("a_kind").toInteger();
        QCOMPARE(e.kind, kind >= 0 && kindNames.contains(kind) && kindNames.value(kind) != orphan ? kind : orphanId);
        QCOMPARE(e.date, dayOfWritten(at("a_date")));
        QCOMPARE(e.inout, int(at("a_inout").toInteger()));
        QCOMPARE(e.content, at("a_content").toString());
        QCOMPARE(e.note, at("a_note").toString());
        const QJsonObject nameColumn
            = main.value(QStringLiteral("columns")).toArray().at(c.value(QStringLiteral("a_kind_name"))).toObject();
        // Fixed-length text comes over padded as it was stored.
        QCOMPARE(e.kindName,
            nameColumn.value(QStringLiteral("fixed")).toBool()
                ? at("a_kind_name").toString().leftJustified(nameColumn.value(QStringLiteral("size")).toInt())
                : at("a_kind_name").toString());
        QVERIFY2(sameAmount(at("a_count"), amountType, e.count), qPrintable(QString::number(key)));
        ++compared;
    }
    QVERIFY(compared >= 30);
    const QJsonObject kindTable = jetcases::tableOf(layout, QStringLiteral("kind"));
    const QMap<QString, int> kc = columnsOf(kindTable);
    for (const QJsonValue &v : kindTable.value(QStringLiteral("rows")).toArray()) {
        const qint64 id = v.toArray().at(kc.value(QStringLiteral("a_kind"))).toInteger();
        QVERIFY2(kindNames.contains(id), qPrintable(QString::number(id)));
        QCOMPARE(kindNames.value(id), v.toArray().at(kc.value(QStringLiteral("name"))).toString());
    }
    const QJsonArray notes = rowsOf(layout, QStringLiteral("data_note"));
    QCOMPARE(got.notes.size(), notes.size());
    QMap<QDate, QString> noteByDay;
    for (const ImportStore::DayNote &n : got.notes)
        noteByDay.insert(n.date, n.note);
    for (const QJsonValue &n : notes)
        QCOMPARE(
            noteByDay.value(dayOfWritten(n.toArray().at(0)), QStringLiteral("<none>")), n.toArray().at(1).toString());
    QCOMPARE(got.directions.size(), 2);
}

qint64 largestKey(const QJsonObject &layout)
{
    qint64 largest = 0;
    const int k = columnsOf(jetcases::tableOf(layout, QStringLiteral("data_main"))).value(QStringLiteral("a_key"));
    for (const QJsonValue &row : rowsOf(layout, QStringLiteral("data_main")))
        largest = std::max(largest, row.toArray().at(k).toInteger());
    return largest;
}

QString contentAt(const QJsonObject &layout, int row)
{
    const int c = columnsOf(jetcases::tableOf(layout, QStringLiteral("data_main"))).value(QStringLiteral("a_content"));
    return rowsOf(layout, QStringLiteral("data_main")).at(row).toArray().at(c).toString();
}

} // namespace

class ImportCasesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(jetcases::runPython({ jetcases::script(QStringLiteral("make_cases.py")), m_dir.path() }, &error),
            qPrintable(error));
        // Variants that no import can bring over exactly, written from the plain small ledger.
        QJsonObject base = jetcases::layoutOf(m_dir.filePath(QStringLiteral("key_zero.mdb")));
        const auto variant = [&](const QString &name, const QString &tableName,
                                 const std::function<void(QJsonObject & table)> &change) {
            QJsonObject layout = base;
            QJsonArray tables = layout.value(QStringLiteral("tables")).toArray();
            for (int t = 0; t < tables.size(); ++t) {
                QJsonObject table = tables.at(t).toObject();
                if (table.value(QStringLiteral("name")).toString() == tableName)
                    change(table);
                tables.replace(t, table);
            }
            layout.insert(QStringLiteral("tables"), tables);
            QFile json(m_dir.filePath(name + QStringLiteral(".json")));
            QVERIFY(json.open(QIODevice::WriteOnly));
            json.write(QJsonDocument(layout).toJson());
            json.close();
            QString failure;
            QVERIFY2(
                jetcases::runPython(
                    { jetcases::script(QStringLiteral("jet4.py")), json.fileName(), m_dir.filePath(name) }, &failure),
                qPrintable(failure));
        };
        const auto setCell = [](QJsonObject &table, int row, int column, const QJsonValue &value) {
            QJsonArray rows = table.value(QStringLiteral("rows")).toArray();
            QJsonArray r = rows.at(row).toArray();
            r.replace(column, value);
            rows.replace(row, r);
            table.insert(QStringLiteral("rows"), rows);
        };
        const QString entries = QStringLiteral("data_main");
        variant(QStringLiteral("bad_inout.mdb"), entries, [&](QJsonObject &t) { setCell(t, 6, 2, 7); });
        // Amounts as Currency, one with more digits than a ledger's amount can hold exactly.
        variant(QStringLiteral("huge_amount.mdb"), entries, [&](QJsonObject &t) {
            QJsonArray columns = t.value(QStringLiteral("columns")).toArray();
            columns.replace(4,
                QJsonObject { { QStringLiteral("name"), QStringLiteral("a_count") },
                    { QStringLiteral("type"), QStringLiteral("currency") } });
            t.insert(QStringLiteral("columns"), columns);
            const QJsonArray rows = t.value(QStringLiteral("rows")).toArray();
            for (int r = 0; r < rows.size(); ++r)
                setCell(t, r, 4, QString::number(rows.at(r).toArray().at(4).toDouble(), 'f', 2));
            setCell(t, 2, 4, QStringLiteral("922337203685477.5807"));
        });
        variant(QStringLiteral("fixed_kind_name.mdb"), entries, [&](QJsonObject &t) {
            QJsonArray columns = t.value(QStringLiteral("columns")).toArray();
            columns.replace(7,
                QJsonObject { { QStringLiteral("name"), QStringLiteral("a_kind_name") },
                    { QStringLiteral("type"), QStringLiteral("text") }, { QStringLiteral("size"), 12 },
                    { QStringLiteral("fixed"), true } });
            t.insert(QStringLiteral("columns"), columns);
        });
        variant(QStringLiteral("two_notes_a_day.mdb"), QStringLiteral("data_note"),
            [&](QJsonObject &t) { setCell(t, 1, 0, t.value(QStringLiteral("rows")).toArray().at(0).toArray().at(0)); });
    }

    void cleanup() { database_access::Close_DB(); }

    void broughtOverAndSaidHow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("line");
        QTest::newRow("NULLs") << "nulls"
                               << "空白（NULL）的欄位：data_main.a_content 2 個";
        QTest::newRow("duplicate keys") << "duplicate_key"
                                        << "2 筆帳目的 a_key 和前面的帳目重複";
        QTest::newRow("key 0") << "key_zero"
                               << "1 筆帳目的 a_key 是 0";
        QTest::newRow("kinds gone") << "vanished_kind"
                                    << "分類編號 2（2 筆）、15（4 筆）、999（1 筆）），改歸新增的分類「舊分類」";
        QTest::newRow("dates") << "dates_out_of_range"
                               << "放在 1899-12-30（舊程式的第 0 天），查詢那一天就能找到並改正：第 9 列 a_key";
        QTest::newRow("key_order") << "kind_order"
                                   << "依原來的順序重新編成 1 到 18";
        QTest::newRow("deleted rows") << "deleted_rows"
                                      << "data_main：讀 270 筆（檔案記錄 270 筆），寫 270 筆";
        QTest::newRow("long memos") << "memo_overflow"
                                    << "整段轉入";
        QTest::newRow("column order") << "column_order"
                                      << "data_main 表的欄位順序和 Quillory 的不同";
        QTest::newRow("columns deleted and added") << "column_history"
                                                   << "data_main.a_kind_name 25 個";
        QTest::newRow("Decimal, fixed text and OLE beside the ledger") << "every_type"
                                                                       << "轉入核對：全部相符";
        QTest::newRow("fixed-length text")
            << "fixed_kind_name"
            << "data_main.a_kind_name 是固定長度（12 個字）的文字欄位，照 Access 存放的樣子連同補齊的空格轉入";
        QTest::newRow("no data_note") << "no_data_note"
                                      << "舊檔沒有 data_note 表";
        QTest::newRow("no inout") << "no_inout"
                                  << "舊檔沒有 inout 表";
    }

    void broughtOverAndSaidHow()
    {
        QFETCH(QString, name);
        QFETCH(QString, line);
        QTemporaryDir folder;
        const QString file = m_dir.filePath(name + QStringLiteral(".mdb"));
        QVERIFY(QFile::copy(file, folder.filePath(QStringLiteral("db1.mdb"))));
        const Run run = runImport({ folder.filePath(QStringLiteral("db1.mdb")) });
        QVERIFY2(run.exitCode == 0, qPrintable(run.lastError));
        const QString report = textOf(folder.filePath(QStringLiteral("import-report.txt")));
        QVERIFY2(report.startsWith(QStringLiteral("轉入核對：全部相符")), qPrintable(report));
        QVERIFY2(report.contains(line), qPrintable(report));

        const QJsonObject layout = jetcases::layoutOf(file);
        database_access::Open_DB(folder.filePath(QStringLiteral("db1.mdb")));
        const ImportStore::Contents got = ImportStore::readAll();
        compareWithOld(layout, got);
        QCOMPARE(got.entries.size(), rowsOf(layout, QStringLiteral("data_main")).size());

        QHash<qint64, QString> contentOfKey;
        for (const EntryStore::Entry &e : got.entries)
            contentOfKey.insert(e.key, e.content);
        const qint64 next = largestKey(layout) + 1;
        if (name == QLatin1String("duplicate_key")) {
            // The first of the three keeps the key; the others follow the largest key.
            QCOMPARE(contentOfKey.value(rowsOf(layout, QStringLiteral("data_main")).at(3).toArray().at(6).toInteger()),
                contentAt(layout, 3));
            QCOMPARE(contentOfKey.value(next), contentAt(layout, 5));
            QCOMPARE(contentOfKey.value(next + 1), contentAt(layout, 20));
        } else if (name == QLatin1String("key_zero")) {
            QVERIFY(!contentOfKey.contains(0));
            QCOMPARE(contentOfKey.value(next), contentAt(layout, 10));
        } else if (name == QLatin1String("nulls")) {
            const EntryStore::Entry blank
                = *std::find_if(got.entries.cbegin(), got.entries.cend(), [](const auto &e) { return e.key == 9001; });
            QCOMPARE(blank.date, QDate(1899, 12, 30));
            QVERIFY(blank.content.isEmpty() && blank.note.isEmpty() && blank.count == 0 && blank.inout == 0);
            QCOMPARE(got.kinds.last().name, orphan);
            QCOMPARE(blank.kind, got.kinds.last().id);
        } else if (name == QLatin1String("kind_order")) {
            // Numbered 1..N in the order the old values gave.
            QVector<std::pair<double, qint64>> old;
            for (const QJsonValue &k : rowsOf(layout, QStringLiteral("kind")))
                old.append({ k.toArray().at(2).toDouble(), k.toArray().at(0).toInteger() });
            std::sort(old.begin(), old.end());
            for (const KindStore::Kind &k : got.kinds) {
                const auto at = std::find_if(old.cbegin(), old.cend(), [&](const auto &o) { return o.second == k.id; });
                QCOMPARE(k.order, qint64(at - old.cbegin()) + 1);
            }
        } else if (name == QLatin1String("deleted_rows")) {
            QVERIFY(std::none_of(got.kinds.cbegin(), got.kinds.cend(), [](const auto &k) { return k.id == 99; }));
            for (const QJsonValue &dead :
                jetcases::tableOf(layout, QStringLiteral("data_main")).value(QStringLiteral("deleted_rows")).toArray())
                QVERIFY(!contentOfKey.contains(dead.toArray().at(6).toInteger()));
        } else if (name == QLatin1String("vanished_kind")) {
            QCOMPARE(got.kinds.last().name, orphan);
            QCOMPARE(got.kinds.last().id, 19);
        }
    }

    void refusedWithTheReasonAndNothingChanged_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("says");
        QTest::newRow("Access 97") << "jet3.mdb"
                                   << "Access 97";
        QTest::newRow(".accdb") << "ace.accdb"
                                << "ACE";
        QTest::newRow(".accdb named .mdb") << "ace_as_mdb.mdb"
                                           << "ACE";
        QTest::newRow("password") << "password.mdb"
                                  << "密碼";
        QTest::newRow("damaged") << "damaged.mdb"
                                 << "損壞";
        QTest::newRow("cut short") << "damaged_truncated.mdb"
                                   << "損壞";
        QTest::newRow("direction 7") << "bad_inout.mdb"
                                     << "data_main 第 7 列（a_key 11）的收支（a_inout）是 7";
        QTest::newRow("amount of 19 digits")
            << "huge_amount.mdb"
            << "data_main 第 3 列（a_key 7）的金額 922337203685477.5807 超過 15 位有效數字";
        QTest::newRow("two notes a day") << "two_notes_a_day.mdb"
                                         << "data_note 第 1 列和第 2 列";
    }

    void refusedWithTheReasonAndNothingChanged()
    {
        QFETCH(QString, name);
        QFETCH(QString, says);
        QTemporaryDir folder;
        QVERIFY(QFile::copy(m_dir.filePath(name), folder.filePath(QStringLiteral("db1.mdb"))));
        QFile sk(folder.filePath(QStringLiteral("SKinds.txt")));
        QVERIFY(sk.open(QIODevice::WriteOnly) && sk.write("1,2\n") == 4);
        sk.close();
        const QMap<QString, QByteArray> before = snapshot(folder.path());
        const Run run = runImport({ QStringLiteral("--progress"), folder.filePath(QStringLiteral("db1.mdb")) });
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.lastError.contains(says), qPrintable(run.lastError));
        QVERIFY2(run.lastError.contains(QStringLiteral("資料夾裡的檔案都沒有更動")), qPrintable(run.lastError));
        QCOMPARE(snapshot(folder.path()), before);
    }

    // Steps that fail late, after the old file was copied aside and the new ledger written,
    // are undone too; a folder that already has a ledger of its own is never written over.
    void failuresLeaveBothFoldersAsTheyWere()
    {
        QTemporaryDir oldDir;
        QTemporaryDir newDir;
        const QString old = oldDir.filePath(QStringLiteral("db1.mdb"));
        QVERIFY(QFile::copy(m_dir.filePath(QStringLiteral("memo_overflow.mdb")), old));
        QFile sk(oldDir.filePath(QStringLiteral("SKinds.txt")));
        QVERIFY(sk.open(QIODevice::WriteOnly) && sk.write("4\n") == 2);
        sk.close();
        // SKinds.txt cannot be put where a folder of that name stands.
        QVERIFY(QDir(newDir.path()).mkdir(QStringLiteral("SKinds.txt")));
        const QMap<QString, QByteArray> oldBefore = snapshot(oldDir.path());
        const QMap<QString, QByteArray> newBefore = snapshot(newDir.path());
        Run run = runImport({ old, newDir.path() });
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.lastError.contains(QStringLiteral("SKinds.txt")), qPrintable(run.lastError));
        QCOMPARE(snapshot(oldDir.path()), oldBefore);
        QCOMPARE(snapshot(newDir.path()), newBefore);

        QVERIFY(QDir(newDir.path()).rmdir(QStringLiteral("SKinds.txt")));
        QVERIFY(
            QFile::copy(m_dir.filePath(QStringLiteral("key_zero.mdb")), newDir.filePath(QStringLiteral("db1.mdb"))));
        const QMap<QString, QByteArray> occupied = snapshot(newDir.path());
        run = runImport({ old, newDir.path() });
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.lastError.contains(QStringLiteral("已經有 db1.mdb")), qPrintable(run.lastError));
        QCOMPARE(snapshot(newDir.path()), occupied);

        QCOMPARE(runImport({}).exitCode, 1);
        QCOMPARE(runImport({ old, newDir.path(), QStringLiteral("more") }).exitCode, 1);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(ImportCasesTest)
#include "import_cases_test.moc"
