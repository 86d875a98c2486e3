// A ledger that another tool switched to write-ahead logging: the program puts it back to the
// rollback journal when it opens it, folding in the changes that lay only in db1.mdb-wal, so
// that db1.mdb (with db1.mdb-journal after a crash) again holds the whole ledger.

#include "store/database_access.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <sqlite3.h>

using namespace database_access;

namespace {

// One value of a statement run on a connection of the test's own ("<failed: …>" on failure).
QString answer(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        value = QStringLiteral("<failed: %1>").arg(QString::fromUtf8(sqlite3_errmsg(db)));
    else if (const int rc = sqlite3_step(statement); rc == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    else if (rc != SQLITE_DONE)
        value = QStringLiteral("<failed: %1>").arg(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_finalize(statement);
    return value;
}

// What a file alone holds: its journal mode and its entries' count and sum, read from a copy of
// just that file, as a person who copies only db1.mdb would get.
QString fileAlone(const QString &path)
{
    const QString alone = QStringLiteral("alone.mdb");
    QFile::remove(alone);
    if (!QFile::copy(path, alone))
        return QStringLiteral("<no copy>");
    sqlite3 *db = nullptr;
    sqlite3_open_v2("alone.mdb", &db, SQLITE_OPEN_READONLY, nullptr);
    const QString text = answer(db, "PRAGMA journal_mode") + QLatin1Char(' ')
        + answer(db, "SELECT count(*) || ' ' || total(a_count) FROM data_main");
    sqlite3_close(db);
    QFile::remove(alone);
    return text;
}

// Switches the closed ledger to WAL as another tool would, and adds two entries that stay in
// db1.mdb-wal: no checkpoint runs, not even when that tool closes the file. With keep, the
// tool's connection stays open and is handed back.
bool switchToWal(sqlite3 **keep = nullptr)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open("db1.mdb", &db) != SQLITE_OK || answer(db, "PRAGMA journal_mode = WAL") != QLatin1String("wal")) {
        sqlite3_close(db);
        return false;
    }
    answer(db, "PRAGMA wal_autocheckpoint = 0");
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, static_cast<int *>(nullptr));
    const QString added = answer(db,
        "INSERT INTO data_main (a_key, a_date, a_kind, a_inout, a_content, a_count, a_note) "
        "VALUES (2, '2026-03-02', 1, 0, '晚餐', 120, ''), (3, '2026-03-03', 1, 0, '早餐', 35.5, '')");
    if (keep != nullptr)
        *keep = db;
    else
        sqlite3_close(db);
    return added.isEmpty();
}

} // namespace

class WalLedgerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aWalLedgerGoesBackToTheRollbackJournal();
    void aWalLedgerHeldByAnotherToolIsRefusedUntouched();
};

void WalLedgerTest::aWalLedgerGoesBackToTheRollbackJournal()
{
    TestLedger ledger(true);
    ledger.addEntry(QStringLiteral("2026-03-01"), 1, 0, QStringLiteral("午餐"), 80, {}, 1);
    Close_DB();
    QVERIFY(switchToWal());
    QVERIFY(QFileInfo(QStringLiteral("db1.mdb-wal")).size() > 0);
    // The two new entries are not in db1.mdb itself.
    QCOMPARE(fileAlone(QStringLiteral("db1.mdb")), QStringLiteral("wal 1 80.0"));

    Open_DB(QStringLiteral("db1.mdb"));
    QCOMPARE(ledger.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
    QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) || ' ' || total(a_count) FROM data_main")).toString(),
        QStringLiteral("3 235.5"));
    QVERIFY(!QFile::exists(QStringLiteral("db1.mdb-wal")));
    QCOMPARE(fileAlone(QStringLiteral("db1.mdb")), QStringLiteral("delete 3 235.5"));

    // The program goes on through the rollback journal, and so does the next run.
    ledger.addEntry(QStringLiteral("2026-03-04"), 1, 0, QStringLiteral("點心"), 4.5, {}, 4);
    ledger.reopen();
    QCOMPARE(ledger.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
    Close_DB();
    QVERIFY(!QFile::exists(QStringLiteral("db1.mdb-wal")));
    QCOMPARE(fileAlone(QStringLiteral("db1.mdb")), QStringLiteral("delete 4 240.0"));
}

void WalLedgerTest::aWalLedgerHeldByAnotherToolIsRefusedUntouched()
{
    TestLedger ledger(true);
    ledger.addEntry(QStringLiteral("2026-03-01"), 1, 0, QStringLiteral("午餐"), 80, {}, 1);
    Close_DB();
    sqlite3 *other = nullptr;
    QVERIFY(switchToWal(&other));
    // While the other tool holds the file in WAL, the journal cannot change: say so, open nothing.
    try {
        Open_DB(QStringLiteral("db1.mdb"));
        QFAIL("a ledger held in WAL mode by another tool was opened");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("WAL")), qPrintable(error.message()));
    }
    QVERIFY(!Is_Open());
    QCOMPARE(answer(other, "SELECT count(*) || ' ' || total(a_count) FROM data_main"), QStringLiteral("3 235.5"));
    sqlite3_close(other);
    // Once it has let go, the next start folds its changes in.
    Open_DB(QStringLiteral("db1.mdb"));
    QCOMPARE(ledger.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
    QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM data_main")).toInt(), 3);
}

QUILLORY_TEST_MAIN(WalLedgerTest)
#include "wal_ledger_test.moc"
