#include "app/Startup.h"
#include "store/Backup.h"
#include "store/database_access.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace database_access;

namespace {

const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0, 0));

// Opens a copy on a connection of its own and reads one number from it.
QVariant readCopy(const QString &path, const QString &sql)
{
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql) && query.next())
                value = query.value(0);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("copy"));
    return value;
}

} // namespace

class BackupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstRunMakesAVerifiedCopy();
    void oneCopyADayAndTheNewestTenKept();
    void aClockSetBackDoesNotStopCopies();
    void failureIsReportedAndLeavesNoPartialCopy();
    void startUpTellsOnceAndGoesOn();
    void backgroundCopyLeavesTheProgramFree();
};

void BackupTest::firstRunMakesAVerifiedCopy()
{
    TestLedger ledger(true);
    ledger.addEntry(QStringLiteral("2026-03-01"), 1, 0, QStringLiteral("午餐"), 80, {}, 1);
    const Backup::Outcome outcome = Backup::backupIfDue(QStringLiteral("db1.mdb"), monday);
    QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
    QVERIFY(outcome.made);
    QCOMPARE(QFileInfo(outcome.path).fileName(), QStringLiteral("db1-20260302-090000.mdb"));
    QCOMPARE(QFileInfo(outcome.path).dir().dirName(), QStringLiteral("backup"));
    QCOMPARE(readCopy(outcome.path, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(readCopy(outcome.path, QStringLiteral("SELECT a_content FROM data_main")).toString(), QStringLiteral("午餐"));
    // The ledger itself is still open and writable.
    ledger.addEntry(QStringLiteral("2026-03-02"), 1, 0, QStringLiteral("晚餐"), 120, {}, 2);
}

void BackupTest::oneCopyADayAndTheNewestTenKept()
{
    TestLedger ledger(true);
    QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), monday).made);
    QVERIFY(!Backup::backupIfDue(QStringLiteral("db1.mdb"), monday.addSecs(23 * 3600)).made);
    QCOMPARE(Backup::copies(QStringLiteral("db1.mdb")).size(), 1);
    for (int day = 1; day <= 12; ++day)
        QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), monday.addDays(day)).made);
    const QStringList kept = Backup::copies(QStringLiteral("db1.mdb"));
    QCOMPARE(kept.size(), Backup::keptCopies);
    QCOMPARE(QFileInfo(kept.first()).fileName(), QStringLiteral("db1-20260305-090000.mdb"));
    QCOMPARE(QFileInfo(kept.last()).fileName(), QStringLiteral("db1-20260314-090000.mdb"));
    // Files of the person's own in the folder are left alone.
    QFile own(QStringLiteral("backup/my-notes.txt"));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.close();
    // A piece of a copy that a kill cut short goes with the next copy.
    QFile piece(QStringLiteral("backup/db1-20260310-090000.mdb.partial"));
    QVERIFY(piece.open(QIODevice::WriteOnly));
    piece.write("half a page");
    piece.close();
    QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), monday.addDays(20)).made);
    QVERIFY(QFile::exists(QStringLiteral("backup/my-notes.txt")));
    QVERIFY(!piece.exists());
}

void BackupTest::aClockSetBackDoesNotStopCopies()
{
    TestLedger ledger(true);
    QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), monday.addDays(30)).made);
    QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), monday).made);
}

void BackupTest::failureIsReportedAndLeavesNoPartialCopy()
{
    TestLedger ledger(true);
    // A file where the folder should be.
    QFile blocker(QStringLiteral("backup"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Backup::Outcome outcome = Backup::backupIfDue(QStringLiteral("db1.mdb"), monday);
    QVERIFY(!outcome.made);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).size(), 2); // db1.mdb and the blocker
    QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM kind")).toInt(), 10);
}

void BackupTest::startUpTellsOnceAndGoesOn()
{
    TestLedger ledger(true);
    Close_DB();
    QFile blocker(QStringLiteral("backup"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    testing::FixedClock clock(monday);
    ScriptedBoxes boxes;
    QVERIFY(startUp());
    QCOMPARE(boxes.texts().size(), 1);
    QVERIFY(boxes.texts().first().startsWith(QStringLiteral("今天的自動備份沒有成功")));
    QVERIFY(Is_Open());
    QVERIFY(blocker.remove());
    Close_DB();
    QVERIFY(startUp());
    QCOMPARE(boxes.texts().size(), 1);
    QCOMPARE(Backup::copies(QStringLiteral("db1.mdb")).size(), 1);
}

void BackupTest::backgroundCopyLeavesTheProgramFree()
{
    TestLedger ledger(true);
    Close_DB();
    testing::FixedClock clock(monday);
    ScriptedBoxes boxes;
    QVERIFY(startUp(BackupTiming::AfterMenuShown));
    QVERIFY(Backup::copies(QStringLiteral("db1.mdb")).isEmpty());
    QWidget window;
    QPointer<QThread> worker = startDailyBackup(&window);
    // The ledger stays usable while the copy is made.
    ledger.addEntry(QStringLiteral("2026-03-02"), 1, 0, QStringLiteral("午餐"), 80, {}, 1);
    QTRY_VERIFY(worker.isNull());
    const QStringList copies = Backup::copies(QStringLiteral("db1.mdb"));
    QCOMPARE(copies.size(), 1);
    QCOMPARE(readCopy(copies.first(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QVERIFY(boxes.texts().isEmpty());

    // A failure is told once, on the window thread, and the program goes on.
    QVERIFY(QFile::rename(QStringLiteral("backup"), QStringLiteral("old-backup")));
    QFile blocker(QStringLiteral("backup"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    worker = startDailyBackup(&window);
    QTRY_VERIFY(worker.isNull());
    QCOMPARE(boxes.texts().size(), 1);
    QVERIFY(boxes.texts().first().startsWith(QStringLiteral("今天的自動備份沒有成功")));
    QVERIFY(Is_Open());
}

QUILLORY_TEST_MAIN(BackupTest)
#include "backup_test.moc"
