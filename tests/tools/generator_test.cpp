#include "LedgerGenerator.h"
#include "store/database_access.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>

using namespace database_access;

namespace {

// Everything a ledger holds, as one digest.
QByteArray digestOf(const QString &folder)
{
    Open_DB(QDir(folder).filePath(QStringLiteral("db1.mdb")));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char *sql : { "SELECT * FROM data_main ORDER BY a_key", "SELECT * FROM kind ORDER BY a_kind",
             "SELECT * FROM data_note ORDER BY a_date" }) {
        for (const ResultSet::Row &row : Open_Query(QString::fromLatin1(sql)).rows())
            for (const QVariant &v : row)
                hash.addData(v.toString().toUtf8() + '|');
    }
    Close_DB();
    return hash.result();
}

} // namespace

class GeneratorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameSeedSameLedger();
    void ledgerLooksLikeAHousehold();
};

void GeneratorTest::sameSeedSameLedger()
{
    QTemporaryDir dir;
    LedgerGenerator::Settings settings;
    settings.entries = 3000;
    settings.years = 3;
    settings.seed = 7;
    LedgerGenerator::generate(dir.filePath(QStringLiteral("a")), settings);
    LedgerGenerator::generate(dir.filePath(QStringLiteral("b")), settings);
    settings.seed = 8;
    LedgerGenerator::generate(dir.filePath(QStringLiteral("c")), settings);
    QCOMPARE(digestOf(dir.filePath(QStringLiteral("a"))), digestOf(dir.filePath(QStringLiteral("b"))));
    QVERIFY(digestOf(dir.filePath(QStringLiteral("a"))) != digestOf(dir.filePath(QStringLiteral("c"))));
    // An existing ledger is never overwritten.
    QVERIFY_THROWS_EXCEPTION(StoreError, LedgerGenerator::generate(dir.filePath(QStringLiteral("a")), settings));
}

void GeneratorTest::ledgerLooksLikeAHousehold()
{
    QTemporaryDir dir;
    LedgerGenerator::Settings settings;
    settings.entries = 5000;
    settings.years = 2;
    LedgerGenerator::generate(dir.path(), settings);
    QFile skinds(dir.filePath(QStringLiteral("SKinds.txt")));
    QVERIFY(skinds.open(QIODevice::ReadOnly));
    QVERIFY(skinds.readAll().endsWith("\r\n"));
    Open_DB(dir.filePath(QStringLiteral("db1.mdb")));
    const ResultSet::Row stats = Open_Query(
        QStringLiteral("SELECT count(*), sum(a_inout), min(a_date), max(a_date), count(DISTINCT a_kind), max(a_key),"
                       " sum(a_count <> round(a_count)), count(DISTINCT a_date) FROM data_main"))
                                     .rows()
                                     .first();
    QCOMPARE(stats.at(0).toInt(), 5000);
    const double incomeShare = stats.at(1).toDouble() / 5000;
    QVERIFY2(incomeShare > 0.15 && incomeShare < 0.25, qPrintable(QString::number(incomeShare)));
    QVERIFY(stats.at(2).toString() >= QStringLiteral("2025-01-01"));
    QCOMPARE(stats.at(3).toString().left(4), QStringLiteral("2026"));
    QVERIFY(stats.at(4).toInt() >= 24);
    QCOMPARE(stats.at(5).toInt(), 5000);
    QVERIFY(stats.at(6).toInt() > 0);
    QVERIFY(stats.at(7).toInt() < 5000); // several entries a day
    // Every entry names an existing kind, and keys rise with the dates.
    QCOMPARE(Open_Query(QStringLiteral("SELECT count(*) FROM data_main WHERE a_kind NOT IN (SELECT a_kind FROM kind)"))
                 .rows()
                 .first()
                 .first()
                 .toInt(),
        0);
    QCOMPARE(Open_Query(QStringLiteral("SELECT count(*) FROM data_main a JOIN data_main b ON b.a_key = a.a_key + 1"
                                       " WHERE b.a_date < a.a_date"))
                 .rows()
                 .first()
                 .first()
                 .toInt(),
        0);
    QVERIFY(Open_Query(QStringLiteral("SELECT count(*) FROM data_note")).rows().first().first().toInt() > 20);
    Close_DB();
}

QUILLORY_TEST_MAIN(GeneratorTest)
#include "generator_test.moc"
