#include "app/Startup.h"
#include "store/Backup.h"
#include "store/EntryStore.h"
#include "store/database_access.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

using namespace database_access;

namespace {

const QDateTime firstDay(QDate(2026, 3, 2), QTime(9, 0, 0));

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// A ledger with one page overwritten in the middle: the day's backup finds it out, the
// person is told plainly, and the file is not written again in that run.
class DamagedLedgerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void damagedLedgerIsToldAndNotWritten();
};

void DamagedLedgerTest::damagedLedgerIsToldAndNotWritten()
{
    TestLedger ledger(true);
    Exec_SQL(
        QStringLiteral("INSERT INTO data_main (a_key, a_date, a_kind, a_inout, a_content, a_count, a_note) "
                       "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 4000) "
                       "SELECT k, date('2020-01-01', '+' || (k % 1000) || ' days'), 1, 0, '午餐' || k, k, '' FROM n"));
    // Ten good copies, one a day.
    for (int day = 0; day < Backup::keptCopies; ++day)
        QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), firstDay.addDays(day)).made);
    const QStringList good = Backup::copies(QStringLiteral("db1.mdb"));
    const int pageSize = ledger.scalar(QStringLiteral("PRAGMA page_size")).toInt();
    Close_DB();

    QFile file(QStringLiteral("db1.mdb"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 pages = file.size() / pageSize;
    QVERIFY(pages > 20);
    QVERIFY(file.seek((pages / 2) * pageSize));
    QCOMPARE(file.write(QByteArray(pageSize, '\x5a')), qint64(pageSize));
    file.close();
    const QByteArray damaged = bytesOf(QStringLiteral("db1.mdb"));

    testing::FixedClock clock(firstDay.addDays(Backup::keptCopies));
    ScriptedBoxes boxes;
    QVERIFY(startUp());
    QCOMPARE(boxes.texts().size(), 1);
    const QString told = boxes.texts().first();
    QVERIFY2(told.startsWith(QStringLiteral("帳本 db1.mdb 已經損壞")), qPrintable(told));
    QVERIFY(!told.contains(QStringLiteral("沒有受到影響")));
    QVERIFY2(told.contains(QStringLiteral("backup/") + QFileInfo(good.last()).fileName()), qPrintable(told));
    QVERIFY(told.contains(QStringLiteral("README")));
    // The failed copy pushed no good one out, and left nothing of itself in the folder.
    QCOMPARE(Backup::copies(QStringLiteral("db1.mdb")), good);
    QCOMPARE(QDir(QStringLiteral("backup")).entryList(QDir::Files | QDir::Hidden).size(), good.size());

    // Reading goes on; an entry cannot be added, and says why.
    QCOMPARE(EntryStore::entriesOfDay(QDate(2026, 3, 12)).size(), 0);
    EntryStore::Entry entry;
    entry.date = QDate(2026, 3, 12);
    entry.kind = 1;
    entry.content = QStringLiteral("晚餐");
    entry.count = 120;
    entry.key = 5000;
    try {
        EntryStore::addEntry(entry);
        QFAIL("an entry was written into the damaged ledger");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("已經損壞")), qPrintable(error.message()));
    }
    QVERIFY_THROWS_EXCEPTION(StoreError, Transaction());
    Close_DB();
    QVERIFY(bytesOf(QStringLiteral("db1.mdb")) == damaged);
    QVERIFY(!QFile::exists(QStringLiteral("db1.mdb-journal")));

    // Restored from the newest copy, as the message says: the next start writes again.
    QVERIFY(QFile::rename(QStringLiteral("db1.mdb"), QStringLiteral("db1-damaged.mdb")));
    QVERIFY(QFile::copy(good.last(), QStringLiteral("db1.mdb")));
    QVERIFY(startUp());
    QCOMPARE(boxes.texts().size(), 1);
    EntryStore::addEntry(entry);
    QCOMPARE(EntryStore::entriesOfDay(QDate(2026, 3, 12)).size(), 1);
}

QUILLORY_TEST_MAIN(DamagedLedgerTest)
#include "damaged_ledger_test.moc"
