// Ledger files made or altered by another tool, with tables of the right names that break
// what the program relies on: each is refused at start-up with a message naming the fault,
// and the file stays exactly as it was. Files of the right layout, however spelled, open.

#include "safety/RefusedStart.h"

#include "app/Startup.h"
#include "support/ScriptedBoxes.h"

#include <sqlite3.h>

using namespace safety;

namespace {

// Runs statements on path through the engine directly, as another tool would; empty when
// all went well.
QString alter(const QString &path, const QString &statements)
{
    sqlite3 *db = nullptr;
    QString failure;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) {
        failure = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        char *message = nullptr;
        if (sqlite3_exec(db, statements.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
            failure = QString::fromUtf8(message);
        sqlite3_free(message);
    }
    sqlite3_close(db);
    return failure;
}

const QString entries = QStringLiteral(
    "INSERT INTO data_main (a_date, a_kind, a_inout, a_content, a_count, a_note, a_key, a_kind_name) VALUES"
    " ('2024-03-01', 1, 0, '早餐', 65.5, '', 1, '餐費'),"
    " ('2024-03-02', 2, 0, '公車', 15, '', 2, '交通');");

// data_main made again with the columns given, holding the two entries.
QString remadeEntries(const QString &columns)
{
    return QStringLiteral("DROP TABLE data_main; CREATE TABLE data_main (%1);").arg(columns) + entries;
}

const QString usualColumns = QStringLiteral(
    "a_date TEXT, a_kind INTEGER, a_inout INTEGER, a_content TEXT, a_count REAL, a_note TEXT, a_key INTEGER, "
    "a_kind_name TEXT");

} // namespace

class ForeignLedgerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileThatBreaksTheLayoutIsRefusedUntouched_data();
    void fileThatBreaksTheLayoutIsRefusedUntouched();
    void fileOfTheRightLayoutOpens_data();
    void fileOfTheRightLayoutOpens();
};

void ForeignLedgerTest::fileThatBreaksTheLayoutIsRefusedUntouched_data()
{
    QTest::addColumn<QString>("statements");
    QTest::addColumn<QString>("named");
    QTest::newRow("two entries with one key") << QStringLiteral("DROP INDEX data_main_key;") + entries
            + QStringLiteral("INSERT INTO data_main VALUES ('2024-04-09', 1, 0, '午餐', 90, '', 2, '餐費');")
                                              << QStringLiteral("data_main 的 a_key 欄沒有設為主鍵或唯一");
    QTest::newRow("key declared as text") << remadeEntries(
        QString(usualColumns).replace(QStringLiteral("a_key INTEGER"), QStringLiteral("a_key TEXT UNIQUE")))
                                          << QStringLiteral("data_main 的 a_key 欄宣告為 TEXT，應該是整數");
    QTest::newRow("key holding a text") << QStringLiteral(
                                               "DROP INDEX data_main_key; CREATE UNIQUE INDEX k ON data_main (a_key);")
            + entries
            + QStringLiteral("INSERT INTO data_main VALUES ('2024-04-09', 1, 0, '午餐', 90, '', 'k3', '餐費');")
                                        << QStringLiteral("data_main 有 1 筆帳目的 a_key 不是整數");
    QTest::newRow("key unique only in part")
        << QStringLiteral("DROP INDEX data_main_key; CREATE UNIQUE INDEX k ON data_main (a_key) WHERE a_inout = 0;")
        << QStringLiteral("data_main 的 a_key 欄沒有設為主鍵或唯一");
    QTest::newRow("key unique only with the date")
        << QStringLiteral("DROP INDEX data_main_key; CREATE UNIQUE INDEX k ON data_main (a_date, a_key);")
        << QStringLiteral("data_main 的 a_key 欄沒有設為主鍵或唯一");
    QTest::newRow("columns in another order")
        << remadeEntries(QStringLiteral("a_key INTEGER PRIMARY KEY, a_date TEXT, a_kind INTEGER, a_inout INTEGER, "
                                        "a_content TEXT, a_count REAL, a_note TEXT, a_kind_name TEXT"))
        << QStringLiteral("資料表 data_main 的欄位不對：應該依序是 a_date、a_kind、a_inout、a_content、a_count、"
                          "a_note、a_key、a_kind_name，檔案裡是 a_key、a_date、");
    QTest::newRow("a column more") << QStringLiteral("ALTER TABLE kind ADD COLUMN colour TEXT;")
                                   << QStringLiteral(
                                          "資料表 kind 的欄位不對：應該依序是 a_kind、name、key_order，檔案裡是 "
                                          "a_kind、name、key_order、colour。");
    QTest::newRow("a computed column more")
        << QStringLiteral("ALTER TABLE data_note ADD COLUMN size INTEGER GENERATED ALWAYS AS (length(a_note));")
        << QStringLiteral("資料表 data_note 的欄位不對");
    QTest::newRow("a column missing") << QStringLiteral("ALTER TABLE data_main DROP COLUMN a_kind_name;")
                                      << QStringLiteral(
                                             "檔案裡是 a_date、a_kind、a_inout、a_content、a_count、a_note、a_key。");
    QTest::newRow("description that would turn into a number") << remadeEntries(
        QString(usualColumns).replace(QStringLiteral("a_content TEXT"), QStringLiteral("a_content NUMERIC"))
        + QStringLiteral(", UNIQUE (a_key)")) << QStringLiteral("data_main 的 a_content 欄宣告為 NUMERIC，應該是文字");
    QTest::newRow("kind number the engine does not give")
        << QStringLiteral("DROP TABLE kind; CREATE TABLE kind (a_kind INT PRIMARY KEY, name TEXT, key_order INTEGER);")
        << QStringLiteral("kind 的 a_kind 欄不是 INTEGER PRIMARY KEY");
    QTest::newRow("notes of one day twice") << QStringLiteral(
        "DROP INDEX data_note_date; INSERT INTO data_note VALUES ('2024-03-01', 'a'), ('2024-03-01', 'b');")
                                            << QStringLiteral("data_note 的 a_date 欄沒有設為主鍵或唯一");
    QTest::newRow("trigger") << entries
            + QStringLiteral("CREATE TRIGGER tidy AFTER INSERT ON data_main "
                             "BEGIN DELETE FROM data_main WHERE a_key <> new.a_key; END;")
                             << QStringLiteral("觸發程序（trigger）tidy（資料表 data_main）");
    QTest::newRow("trigger on the notes")
        << QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON data_note BEGIN SELECT RAISE(IGNORE); END;")
        << QStringLiteral("觸發程序（trigger）keep（資料表 data_note）");
    QTest::newRow("view in place of a table")
        << QStringLiteral("DROP TABLE inout; CREATE VIEW inout AS SELECT 0 AS inout, '支出' AS text;")
        << QStringLiteral("沒有帳本的資料表 inout");
}

void ForeignLedgerTest::fileThatBreaksTheLayoutIsRefusedUntouched()
{
    QFETCH(QString, statements);
    QFETCH(QString, named);
    LedgerFolder folder;
    const QString db = folder.path(QStringLiteral("db1.mdb"));
    QCOMPARE(alter(db, statements), QString());
    checkStartRefused(folder, named);
}

void ForeignLedgerTest::fileOfTheRightLayoutOpens_data()
{
    QTest::addColumn<QString>("statements");
    QTest::newRow("made by the program, with entries") << entries;
    QTest::newRow("spelt otherwise by another tool")
        << QStringLiteral("DROP TABLE data_main; DROP TABLE kind; DROP TABLE data_note; DROP TABLE inout;"
                          "CREATE TABLE DATA_MAIN (A_DATE VARCHAR(10), A_KIND BIGINT, A_INOUT TINYINT, A_CONTENT "
                          "NVARCHAR(255), A_COUNT DOUBLE, A_NOTE CLOB, A_KEY INTEGER PRIMARY KEY, A_KIND_NAME TEXT);"
                          "CREATE TABLE Kind (A_Kind integer primary key, Name varchar(50), Key_Order int);"
                          "CREATE TABLE data_note (a_date TEXT PRIMARY KEY, a_note);"
                          "CREATE TABLE inout (inout INTEGER UNIQUE, text TEXT);"
                          "INSERT INTO inout VALUES (0, '支出'), (1, '收入');"
                          "INSERT INTO Kind (Name, Key_Order) VALUES ('餐費', 1), ('交通', 2);")
            + entries;
    QTest::newRow("views and indexes of its own") << entries
            + QStringLiteral("CREATE VIEW spent AS SELECT a_date, sum(a_count) FROM data_main GROUP BY a_date;"
                             "CREATE INDEX by_note ON data_main (a_note);");
}

void ForeignLedgerTest::fileOfTheRightLayoutOpens()
{
    QFETCH(QString, statements);
    LedgerFolder folder;
    QCOMPARE(alter(folder.path(QStringLiteral("db1.mdb")), statements), QString());
    ScriptedBoxes boxes;
    QVERIFY(startUp());
    QCOMPARE(boxes.texts(), QStringList());
    const ResultSet day = database_access::Open_Query(
        QStringLiteral("SELECT a_content, a_key FROM data_main WHERE a_date = ?"), { QStringLiteral("2024-03-02") });
    QCOMPARE(day.rowCount(), 1);
    QCOMPARE(day.rows().first().at(0).toString(), QStringLiteral("公車"));
}

QUILLORY_TEST_MAIN(ForeignLedgerTest)
#include "foreign_ledger_test.moc"
