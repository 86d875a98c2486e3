#include "store/LedgerSchema.h"
#include "store/database_access.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>

using namespace database_access;

class StoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newLedgerHasTheSchema();
    void newLedgerToolRefusesToOverwrite();
    void emptyResultIsAtEndWithNoRows();
    void resultWalksRowsAndReadsByName();
    void bindsTextsExactlyAsTyped();
    void highestKeyPlusOne();
    void engineErrorsCarryTheEngineMessage();
    void transactionRollsBackOnFailure();
    void transactionCommits();
    void statementHookCanFailAStatement();
    void openRefusesMissingFileWithoutCreatingIt();
};

void StoreTest::newLedgerHasTheSchema()
{
    TestLedger ledger(true);
    const QStringList columns = [&] {
        QStringList names;
        for (const QVariantList &row : ledger.rows(QStringLiteral("PRAGMA table_info(data_main)")))
            names << row.at(1).toString();
        return names;
    }();
    QCOMPARE(columns,
        QStringList({ "a_date", "a_kind", "a_inout", "a_content", "a_count", "a_note", "a_key", "a_kind_name" }));
    QCOMPARE(ledger.rows(QStringLiteral("SELECT inout, text FROM inout ORDER BY inout")),
        QList<QVariantList>({ { 0, QStringLiteral("支出") }, { 1, QStringLiteral("收入") } }));
    const QList<QVariantList> kinds = ledger.rows(QStringLiteral("SELECT name, key_order FROM kind ORDER BY a_kind"));
    QCOMPARE(kinds.size(), LedgerSchema::starterKinds().size());
    for (int i = 0; i < kinds.size(); ++i) {
        QCOMPARE(kinds.at(i).at(0).toString(), LedgerSchema::starterKinds().at(i));
        QCOMPARE(kinds.at(i).at(1).toInt(), i + 1);
    }
    const QStringList indexes = [&] {
        QStringList names;
        for (const QVariantList &row :
            ledger.rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL")))
            names << row.at(0).toString();
        return names;
    }();
    QVERIFY(indexes.contains(QStringLiteral("data_main_key")));
    QVERIFY(indexes.contains(QStringLiteral("data_main_date")));
    QVERIFY(indexes.contains(QStringLiteral("data_note_date")));
    // Keys are unique; an inout word other than the two cannot be stored.
    ledger.addEntry(QStringLiteral("2024-05-01"), 1, 0, QStringLiteral("a"), 1, {}, 1);
    QVERIFY_THROWS_EXCEPTION(StoreError, ledger.addEntry(QStringLiteral("2024-05-01"), 1, 0, {}, 1, {}, 1));
    QVERIFY_THROWS_EXCEPTION(StoreError, ledger.addEntry(QStringLiteral("2024-05-01"), 1, 2, {}, 1, {}, 2));
}

void StoreTest::newLedgerToolRefusesToOverwrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db1.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    QVERIFY_THROWS_EXCEPTION(StoreError, LedgerSchema::createLedger(path));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void StoreTest::emptyResultIsAtEndWithNoRows()
{
    TestLedger ledger;
    ResultSet result
        = Open_Query(QStringLiteral("SELECT * FROM data_main WHERE a_date = ?"), { QStringLiteral("2024-05-01") });
    QVERIFY(result.atEnd());
    QCOMPARE(result.rowCount(), 0);
    QVERIFY_THROWS_EXCEPTION(StoreError, result.moveFirst());
    QVERIFY_THROWS_EXCEPTION(StoreError, result.value(QStringLiteral("a_key")));
    QCOMPARE(result.columns().size(), 8);
}

void StoreTest::resultWalksRowsAndReadsByName()
{
    TestLedger ledger;
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    ledger.addEntry(QStringLiteral("2024-05-01"), food, 0, QStringLiteral("午餐"), 80, {}, 1);
    ledger.addEntry(QStringLiteral("2024-05-01"), food, 1, QStringLiteral("退款"), 12.5, {}, 2);
    ResultSet result = Open_Query(QStringLiteral("SELECT * FROM data_main ORDER BY a_key"));
    QCOMPARE(result.rowCount(), 2);
    result.moveFirst();
    QCOMPARE(result.text(QStringLiteral("A_CONTENT")), QStringLiteral("午餐"));
    QCOMPARE(result.number(QStringLiteral("a_count")), 80.0);
    result.moveNext();
    QCOMPARE(result.integer(QStringLiteral("a_key")), 2);
    QCOMPARE(result.number(QStringLiteral("a_count")), 12.5);
    result.moveNext();
    QVERIFY(result.atEnd());
    QVERIFY_THROWS_EXCEPTION(StoreError, result.value(QStringLiteral("no_such_column")));
    // A copy kept by a caller stays valid after the original closes.
    ResultSet again = Open_Query(QStringLiteral("SELECT a_key FROM data_main"));
    ResultSet copy = again;
    again.close();
    QCOMPARE(copy.rowCount(), 2);
    QCOMPARE(again.rowCount(), 0);
}

void StoreTest::bindsTextsExactlyAsTyped()
{
    TestLedger ledger;
    const QString nasty = QStringLiteral("O'Brien \"x\" 100% _a\\b; -- DROP TABLE kind;\n\t\u3000😀 שלום");
    Exec_SQL(QStringLiteral("INSERT INTO kind (name, key_order) VALUES (?, ?)"), { nasty, 1 });
    QCOMPARE(ledger.scalar(QStringLiteral("SELECT name FROM kind")).toString(), nasty);
    QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM kind WHERE name = ?"), { nasty }).toInt(), 1);
    QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'kind'")).toInt(), 1);
}

void StoreTest::highestKeyPlusOne()
{
    TestLedger ledger;
    const auto nextKey = [] {
        const ResultSet r = Open_Query(QStringLiteral("SELECT a_key FROM data_main ORDER BY a_key DESC LIMIT 1"));
        return r.rows().isEmpty() ? qint64(1) : r.rows().first().first().toLongLong() + 1;
    };
    QCOMPARE(nextKey(), 1);
    for (int k = 1; k <= 41; ++k)
        ledger.addEntry(QStringLiteral("2024-05-01"), 1, 0, QStringLiteral("e"), 1, {}, k);
    Exec_SQL(QStringLiteral("DELETE FROM data_main WHERE a_key = ?"), { 41 });
    QCOMPARE(nextKey(), 41);
    Exec_SQL(QStringLiteral("DELETE FROM data_main WHERE a_key = ?"), { 20 });
    QCOMPARE(nextKey(), 41);
    // Keys are 64-bit: no ceiling at 32767.
    ledger.addEntry(QStringLiteral("2024-05-01"), 1, 0, QStringLiteral("e"), 1, {}, 5000000000LL);
    QCOMPARE(nextKey(), 5000000001LL);
}

void StoreTest::engineErrorsCarryTheEngineMessage()
{
    TestLedger ledger;
    try {
        Open_Query(QStringLiteral("SELECT * FROM no_such_table"));
        QFAIL("a bad statement must throw");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("no_such_table")), qPrintable(error.message()));
    }
    try {
        Exec_SQL(QStringLiteral("INSERT INTO kind (nosuch) VALUES (?)"), { 1 });
        QFAIL("a bad statement must throw");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("nosuch")), qPrintable(error.message()));
    }
    // The connection goes on working after an error.
    QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM inout")).toInt(), 2);
}

void StoreTest::transactionRollsBackOnFailure()
{
    TestLedger ledger;
    ledger.addEntry(QStringLiteral("2024-05-01"), 1, 0, QStringLiteral("a"), 1, {}, 1);
    ledger.addEntry(QStringLiteral("2024-05-01"), 1, 0, QStringLiteral("b"), 1, {}, 2);
    try {
        Transaction transaction;
        Exec_SQL(QStringLiteral("UPDATE data_main SET a_key = 0 WHERE a_key = ?"), { 1 });
        Exec_SQL(QStringLiteral("UPDATE data_main SET a_key = ? WHERE a_key = ?"), { 1, 2 });
        Exec_SQL(QStringLiteral("UPDATE no_such_table SET x = 1"));
        transaction.commit();
        QFAIL("the third statement must fail");
    } catch (const StoreError &) {
    }
    QCOMPARE(ledger.rows(QStringLiteral("SELECT a_content, a_key FROM data_main ORDER BY a_key")),
        QList<QVariantList>({ { QStringLiteral("a"), 1 }, { QStringLiteral("b"), 2 } }));
}

void StoreTest::transactionCommits()
{
    TestLedger ledger;
    {
        Transaction transaction;
        ledger.addKind(QStringLiteral("甲"), 1);
        ledger.addKind(QStringLiteral("乙"), 2);
        transaction.commit();
    }
    ledger.reopen();
    QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM kind")).toInt(), 2);
}

void StoreTest::statementHookCanFailAStatement()
{
    TestLedger ledger;
    int seen = 0;
    Set_Statement_Hook([&](const QString &sql) {
        if (++seen == 2)
            throw StoreError(QStringLiteral("injected: ") + sql);
    });
    ledger.addKind(QStringLiteral("甲"), 1);
    QVERIFY_THROWS_EXCEPTION(StoreError, ledger.addKind(QStringLiteral("乙"), 2));
    Set_Statement_Hook({});
    QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM kind")).toInt(), 1);
}

void StoreTest::openRefusesMissingFileWithoutCreatingIt()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db1.mdb"));
    try {
        Open_DB(path);
        QFAIL("a missing ledger must not open");
    } catch (const StoreError &error) {
        QVERIFY(error.message().contains(QStringLiteral("db1.mdb")));
    }
    QVERIFY(!QFile::exists(path));
    QVERIFY(!Is_Open());
}

QUILLORY_TEST_MAIN(StoreTest)
#include "store_test.moc"
