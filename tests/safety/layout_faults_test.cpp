// Ledger files laid out or altered by another tool: damaged, breaking what the program relies
// on, switched to write-ahead logging, or holding entries no window expects. Each is refused
// at start-up with a message naming the fault and every file as it was, or opened so that
// every window counts every entry. Files of the right layout, however spelled, open.

#include "safety/SafetySupport.h"

#include "entry/input_keyin.h"
#include "reports/QueryWindow.h"
#include "reports/chart_view.h"
#include "support/ModalDriver.h"
#include "ui/RichTextBox.h"

#include <QChart>
#include <QLabel>

using namespace safety;

namespace {

const QString entries = QStringLiteral(
    "INSERT INTO data_main (a_date, a_kind, a_inout, a_content, a_count, a_note, a_key, a_kind_name) VALUES"
    " ('2024-03-01', 1, 0, '早餐', 65.5, '', 1, '餐費'), ('2024-03-02', 2, 0, '公車', 15, '', 2, '交通');");
const QString usualColumns = QStringLiteral("a_date TEXT, a_kind INTEGER, a_inout INTEGER, a_content TEXT, "
                                            "a_count REAL, a_note TEXT, a_key INTEGER, a_kind_name TEXT");

// data_main made again with the columns given, holding the two entries.
QString remade(const QString &columns)
{
    return QStringLiteral("DROP TABLE data_main; CREATE TABLE data_main (%1);").arg(columns) + entries;
}

} // namespace

class LayoutFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void damagedOrForeignLedgerIsRefusedUntouched_data()
    {
        QTest::addColumn<QString>("damage"); // statements run by the engine, or what is done to the file
        QTest::addColumn<QString>("named");
        const auto row = [](const char *name, const QString &damage, const char *named) {
            QTest::newRow(name) << damage << QString::fromUtf8(named);
        };
        row("no ledger at all", "remove", ""); // and none made
        row("zero-byte file", "cut 0", "");
        row("garbage", "garbage", "");
        row("cut in half", "cut half", "");
        row("a pipe named db1.mdb", "pipe", ""); // opening it must not wait for a writer
        row("a folder named db1.mdb", "folder", "");
        row("ledger missing a table", "DROP TABLE inout", "沒有帳本的資料表 inout");
        row("two entries with one key",
            QStringLiteral("DROP INDEX data_main_key;") + entries
                + QStringLiteral("INSERT INTO data_main VALUES ('2024-04-09', 1, 0, '午餐', 90, '', 2, '餐費')"),
            "data_main 的 a_key 欄沒有設為主鍵或唯一");
        row("key declared as text",
            remade(QString(usualColumns).replace(QStringLiteral("a_key INTEGER"), QStringLiteral("a_key TEXT UNIQUE"))),
            "data_main 的 a_key 欄宣告為 TEXT，應該是整數");
        row("key holding a text",
            QStringLiteral("DROP INDEX data_main_key; CREATE UNIQUE INDEX k ON data_main (a_key);") + entries
                + QStringLiteral("INSERT INTO data_main VALUES ('2024-04-09', 1, 0, '午餐', 90, '', 'k3', '餐費')"),
            "data_main 有 1 筆帳目的 a_key 不是整數");
        row("key unique only in part",
            "DROP INDEX data_main_key; CREATE UNIQUE INDEX k ON data_main (a_key) WHERE a_inout = 0",
            "data_main 的 a_key 欄沒有設為主鍵或唯一");
        row("key unique only with the date",
            "DROP INDEX data_main_key; CREATE UNIQUE INDEX k ON data_main (a_date, a_key)",
            "data_main 的 a_key 欄沒有設為主鍵或唯一");
        row("columns in another order",
            remade(QStringLiteral("a_key INTEGER PRIMARY KEY, a_date TEXT, a_kind INTEGER, a_inout INTEGER, a_content "
                                  "TEXT, a_count REAL, a_note TEXT, a_kind_name TEXT")),
            "資料表 data_main 的欄位不對：應該依序是 "
            "a_date、a_kind、a_inout、a_content、a_count、a_note、a_key、a_kind_name，檔案裡是 a_key、a_date、");
        row("a computed column more",
            "ALTER TABLE data_note ADD COLUMN size INTEGER GENERATED ALWAYS AS (length(a_note))",
            "資料表 data_note 的欄位不對");
        row("kind number the engine does not give",
            "DROP TABLE kind; CREATE TABLE kind (a_kind INT PRIMARY KEY, name TEXT, key_order INTEGER)",
            "kind 的 a_kind 欄不是 INTEGER PRIMARY KEY");
        row("trigger",
            entries
                + QStringLiteral("CREATE TRIGGER tidy AFTER INSERT ON data_main BEGIN DELETE FROM data_main WHERE "
                                 "a_key <> new.a_key; END"),
            "觸發程序（trigger）tidy（資料表 data_main）");
    }

    void damagedOrForeignLedgerIsRefusedUntouched()
    {
        QFETCH(QString, damage);
        QFETCH(QString, named);
        LedgerFolder folder;
        const QString db = folder.path(QStringLiteral("db1.mdb"));
        // Big enough to span many pages, so that a cut file loses real data.
        onFile(db,
            QStringLiteral("INSERT INTO data_main WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n "
                           "WHERE k < 600) SELECT '2024-05-01', 1, 0, printf('帳目 %d %.*c', k, 80, 'x'), k, '', k + "
                           "1000, '' FROM n"));
        const QByteArray whole = fileBytes(db);
        QVERIFY(whole.size() > 16 * 4096);
        if (damage.startsWith(u"cut "))
            writeFile(db, whole.left(damage.endsWith(u"half") ? whole.size() / 2 : damage.mid(4).toInt()));
        else if (damage == QStringLiteral("garbage"))
            writeFile(db, QByteArray(whole.size(), '\x5a'));
        else if (damage == QStringLiteral("remove"))
            QVERIFY(QFile::remove(db));
        else if (damage == QStringLiteral("pipe"))
            QVERIFY(QFile::remove(db) && ::mkfifo(QFile::encodeName(db).constData(), 0600) == 0);
        else if (damage == QStringLiteral("folder"))
            QVERIFY(QFile::remove(db) && QDir().mkdir(db));
        else
            QCOMPARE(onFile(db, damage), QString());
        writeFile(folder.path(QStringLiteral("SKinds.txt")), "1,2\r\n"); // not read either
        checkStartRefused(folder.folder(), { QStringLiteral("無法開啟帳本資料庫 db1.mdb："), named });
    }

    void filesOfTheRightLayoutOpen()
    {
        const QStringList layouts = { entries,
            QStringLiteral("DROP TABLE data_main; DROP TABLE kind; DROP TABLE data_note; DROP TABLE inout;"
                           "CREATE TABLE DATA_MAIN (A_DATE VARCHAR(10), A_KIND BIGINT, A_INOUT TINYINT, A_CONTENT "
                           "NVARCHAR(255), A_COUNT DOUBLE, A_NOTE CLOB, A_KEY INTEGER PRIMARY KEY, A_KIND_NAME TEXT);"
                           "CREATE TABLE Kind (A_Kind integer primary key, Name varchar(50), Key_Order int);"
                           "CREATE TABLE data_note (a_date TEXT PRIMARY KEY, a_note);"
                           "CREATE TABLE inout (inout INTEGER UNIQUE, text TEXT);"
                           "INSERT INTO inout VALUES (0, '支出'), (1, '收入');"
                           "INSERT INTO Kind (Name, Key_Order) VALUES ('餐費', 1), ('交通', 2);")
                + entries,
            entries
                + QStringLiteral("CREATE VIEW spent AS SELECT a_date, sum(a_count) FROM data_main GROUP BY a_date;"
                                 "CREATE INDEX by_note ON data_main (a_note);") };
        for (const QString &layout : layouts) {
            LedgerFolder folder;
            QCOMPARE(onFile(folder.path(QStringLiteral("db1.mdb")), layout), QString());
            ScriptedBoxes boxes;
            QVERIFY2(startUp() && boxes.texts().isEmpty(), qPrintable(boxes.texts().join(u'|')));
            QCOMPARE(ledgerContent().filter(QStringLiteral("公車")), QStringList { "QString:公車" });
        }
    }

    // Another tool switched the ledger to write-ahead logging and left changes in db1.mdb-wal
    // alone: held open, the ledger is refused untouched; let go, it is put back to the rollback
    // journal with the changes folded in, so that db1.mdb again holds the whole ledger.
    void aWalLedgerGoesBackToTheRollbackJournal()
    {
        LedgerFolder folder;
        sqlite3 *other = nullptr;
        QCOMPARE(onFile(QStringLiteral("db1.mdb"),
                     QStringLiteral("PRAGMA wal_autocheckpoint = 0; PRAGMA journal_mode = WAL;") + entries, &other),
            QStringLiteral("wal"));
        sqlite3_db_config(other, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, static_cast<int *>(nullptr));
        const QString said = refusal([] { database_access::Open_DB(QStringLiteral("db1.mdb")); });
        QVERIFY2(said.contains(QStringLiteral("WAL")) && !database_access::Is_Open(), qPrintable(said));
        sqlite3_close(other);
        // What db1.mdb holds without its companions: a copy, read alone.
        const auto alone = [](const char *sql) {
            writeFile(QStringLiteral("alone.mdb"), fileBytes(QStringLiteral("db1.mdb")));
            return onFile(QStringLiteral("alone.mdb"), QString::fromLatin1(sql));
        };
        QVERIFY(QFileInfo(QStringLiteral("db1.mdb-wal")).size() > 0);
        QCOMPARE(alone("SELECT count(*) FROM data_main"), QStringLiteral("0"));
        database_access::Open_DB(QStringLiteral("db1.mdb"));
        // Every commit waits for the disk (FULL is 2), and a write waits a while for another process.
        const QString settings
            = QStringLiteral("SELECT * FROM pragma_synchronous, pragma_journal_mode, pragma_busy_timeout");
        QCOMPARE(database_access::Open_Query(settings).rows().value(0),
            ResultSet::Row({ 2, QStringLiteral("delete"), 3000 }));
        database_access::Exec_SQL(QStringLiteral("INSERT INTO data_note VALUES ('2024-03-01', '晴')"));
        database_access::Close_DB();
        QVERIFY(!QFile::exists(QStringLiteral("db1.mdb-wal")));
        QCOMPARE(alone("SELECT (SELECT * FROM pragma_journal_mode) || (SELECT count(*) FROM data_main) || (SELECT "
                       "count(*) FROM data_note)"),
            QStringLiteral("delete21"));
    }

    // Another tool's layout, without this program's check on it, lets in a kind that does not
    // exist and a direction that is neither: asked, and once gathered under 未分類, the day,
    // the range query, the year report and its chart all count every entry.
    void strayEntriesCountAlikeEverywhereOnceGathered()
    {
        LedgerFolder folder;
        onFile(QStringLiteral("db1.mdb"),
            remade(usualColumns + QStringLiteral(", UNIQUE (a_key)"))
                + QStringLiteral("DELETE FROM data_main; INSERT INTO data_main VALUES ('2024-05-15', 1, 0, 'x', 30, "
                                 "'', 1, ''), ('2024-05-15', 999, 0, 'x', 1000, '', 2, ''), ('2024-05-15', 1, 2, 'x', "
                                 "2000, '', 3, ''), ('2024-05-20', 1, 0, 'x', 45, '', 4, '')"));
        testing::FixedClock clock(QDate(2024, 5, 31));
        const auto start = [](bool gather) {
            ScriptedBoxes boxes;
            boxes.answer(gather);
            const QStringList texts = startUp() ? boxes.texts().filter(QStringLiteral("未分類")) : QStringList();
            return texts.size() == 1 && texts.first().contains(QStringLiteral("1 筆帳目的類別已經不在類別清單裡"))
                && texts.first().contains(QStringLiteral("1 筆帳目既不是支出也不是收入"));
        };
        QVERIFY(start(false)); // asked, and left as it is until the next start
        const QStringList before = ledgerContent();
        database_access::Close_DB();
        LedgerLock::release();
        QVERIFY(start(true));
        QVERIFY(ledgerContent() != before);
        ScriptedBoxes boxes;
        auto w = openEntryWindow();
        testing::retype(w->date_new, QStringLiteral("2024/5/15"));
        QTest::keyClick(w->date_new, Qt::Key_Return);
        check window;
        QVERIFY(querywindow::open(window));
        querywindow::runRange(window, QStringLiteral("2024/5/1"), QStringLiteral("2024/5/31"), true);
        QString shown = w->Label6->text() + u'|' + window.msg_field->text();
        querywindow::runYear(window, QStringLiteral("2024"));
        shown += window.msg_field->text();
        ModalDriver driver;
        driver.next([&](QDialog *dialog) { shown += qobject_cast<chart_view *>(dialog)->chartAt(0)->title(); });
        querywindow::press(window.cmd_chart);
        for (const char *total : { "今天支出 3030元|", "總支出 : 3075\n", "年支出: 3075 元", "支出 3075元" })
            QVERIFY2(shown.contains(QString::fromUtf8(total)), qPrintable(shown));
        QCOMPARE(boxes.texts(), QStringList());
    }
};

QUILLORY_TEST_MAIN(LayoutFaultsTest)
#include "layout_faults_test.moc"
