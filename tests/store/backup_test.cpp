#include "app/DailyBackup.h"
#include "app/Startup.h"
#include "store/Backup.h"
#include "store/LedgerSchema.h"
#include "store/database_access.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QWidget>

#include <memory>

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

// Runs a change on a ledger file through a connection of its own.
void changeFile(const QString &path, const QString &sql)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY2(query.exec(sql), qPrintable(sql));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

// Another ledger, as a person would copy in their real one: four entries of 250 元.
QString otherLedger(const QString &name)
{
    LedgerSchema::createLedger(name);
    for (int key = 1; key <= 4; ++key)
        changeFile(name,
            QStringLiteral("INSERT INTO data_main (a_key, a_date, a_kind, a_inout, a_content, a_count, a_note) "
                           "VALUES (%1, '2025-01-0%1', 1, 0, '房租', 250, '')")
                .arg(key));
    return name;
}

// Gives a file the modification time a copy tool or a busy clock tick would have left.
void setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

class BackupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstRunMakesAVerifiedCopy();
    void oneCopyADayAndTheNewestTenKept();
    void aClockSetBackDoesNotStopCopies();
    void aLedgerReplacedTheSameDayIsCopied();
    void failureIsReportedAndLeavesNoPartialCopy();
    void startUpTellsOnceAndGoesOn();
    void backgroundCopyLeavesTheProgramFree();
    void aFailureIsToldWhenTheMenuClosesFirst();
    void piecesOfACutShortCopyGoAtTheNextStart();
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
    QCOMPARE(
        readCopy(outcome.path, QStringLiteral("SELECT a_content FROM data_main")).toString(), QStringLiteral("午餐"));
    // The ledger itself is still open and writable.
    ledger.addEntry(QStringLiteral("2026-03-02"), 1, 0, QStringLiteral("晚餐"), 120, {}, 2);
}

void BackupTest::oneCopyADayAndTheNewestTenKept()
{
    TestLedger ledger(true);
    QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), monday).made);
    QVERIFY(!Backup::backupIfDue(QStringLiteral("db1.mdb"), monday.addSecs(14 * 3600)).made);
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
    for (int day = 30; day < 40; ++day)
        QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), monday.addDays(day)).made);
    // The clock is set back a month: the copy is made, kept, and the person told; nothing goes.
    for (int day = 0; day < 3; ++day) {
        ledger.addEntry(QStringLiteral("2026-03-02"), 1, 0, QStringLiteral("午餐"), 80, {}, day + 1);
        const Backup::Outcome outcome = Backup::backupIfDue(QStringLiteral("db1.mdb"), monday.addDays(day));
        QVERIFY(outcome.made);
        QVERIFY(QFile::exists(outcome.path));
        QCOMPARE(outcome.clockBehind, monday.addDays(39));
        ScriptedBoxes boxes;
        tellBackupOutcome(nullptr, outcome);
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY2(boxes.texts().first().contains(QStringLiteral("比最新的一份備份（2026/4/10 09:00）還早")),
            qPrintable(boxes.texts().first()));
        QCOMPARE(Backup::copies(QStringLiteral("db1.mdb")).size(), Backup::keptCopies + day + 1);
        // Started again the same day with nothing changed: no second copy.
        QVERIFY(!Backup::backupIfDue(QStringLiteral("db1.mdb"), monday.addDays(day).addSecs(60)).made);
    }
    // The clock right again: the newest ten by their names stay, the new copy among them.
    const Backup::Outcome right = Backup::backupIfDue(QStringLiteral("db1.mdb"), monday.addDays(41));
    QVERIFY(right.made && !right.clockBehind.isValid());
    QCOMPARE(Backup::copies(QStringLiteral("db1.mdb")).size(), Backup::keptCopies);
    QCOMPARE(Backup::copies(QStringLiteral("db1.mdb")).last(), right.path);
}

void BackupTest::aLedgerReplacedTheSameDayIsCopied()
{
    TestLedger ledger(true);
    Close_DB();
    testing::FixedClock clock(monday);
    ScriptedBoxes boxes;
    QVERIFY(startUp());
    QCOMPARE(Backup::copies(QStringLiteral("db1.mdb")).size(), 1);
    Close_DB();

    // The real ledger copied over the new one, an hour later the same day.
    QVERIFY(QFile::remove(QStringLiteral("db1.mdb")));
    QVERIFY(QFile::copy(otherLedger(QStringLiteral("real.mdb")), QStringLiteral("db1.mdb")));
    Clock::set(monday.addSecs(3600));
    QVERIFY(startUp());
    QStringList kept = Backup::copies(QStringLiteral("db1.mdb"));
    QCOMPARE(kept.size(), 2);
    QCOMPARE(readCopy(kept.last(), QStringLiteral("SELECT total(a_count) FROM data_main")).toDouble(), 1000.0);
    QCOMPARE(readCopy(kept.first(), QStringLiteral("SELECT count(*) FROM data_main")).toInt(), 0);

    // Started again with nothing changed: no new copy, whatever the file times say, also when
    // the ledger carries the very time of its copy (both written in one clock tick) or a later one.
    const QDateTime copied = QFileInfo(kept.last()).lastModified();
    for (const QDateTime &time : { copied, copied.addSecs(5), copied.addSecs(-5) }) {
        Close_DB();
        setModified(QStringLiteral("db1.mdb"), time);
        Clock::set(monday.addSecs(7200));
        QVERIFY(startUp());
        QCOMPARE(Backup::copies(QStringLiteral("db1.mdb")), kept);
    }

    // Copied in with its old time kept (cp -p) and the same size: the entries still tell, an
    // amount and a description of the same length alike, and with the copy's very time too.
    struct Change
    {
        QString sql;
        QDateTime time;
        QString check;
        QVariant expected;
    };
    const QList<Change> changes = {
        { QStringLiteral("UPDATE data_main SET a_count = 300 WHERE a_key = 2"), copied.addSecs(-60),
            QStringLiteral("SELECT total(a_count) FROM data_main"), 1050.0 },
        { QStringLiteral("UPDATE data_main SET a_content = '水費' WHERE a_key = 3"), copied.addSecs(-60),
            QStringLiteral("SELECT a_content FROM data_main WHERE a_key = 3"), QStringLiteral("水費") },
        { QStringLiteral("UPDATE data_main SET a_content = '電費' WHERE a_key = 3"), QDateTime(),
            QStringLiteral("SELECT a_content FROM data_main WHERE a_key = 3"), QStringLiteral("電費") },
    };
    for (qsizetype i = 0; i < changes.size(); ++i) {
        Close_DB();
        const qint64 size = QFileInfo(QStringLiteral("db1.mdb")).size();
        changeFile(QStringLiteral("db1.mdb"), changes[i].sql);
        QCOMPARE(QFileInfo(QStringLiteral("db1.mdb")).size(), size);
        // No time given: the newest copy's own.
        setModified(QStringLiteral("db1.mdb"),
            changes[i].time.isValid() ? changes[i].time
                                      : QFileInfo(Backup::copies(QStringLiteral("db1.mdb")).last()).lastModified());
        Clock::set(monday.addSecs((3 + i) * 60 + 3 * 3600));
        QVERIFY(startUp());
        kept = Backup::copies(QStringLiteral("db1.mdb"));
        QCOMPARE(kept.size(), 3 + i);
        QCOMPARE(readCopy(kept.last(), changes[i].check), changes[i].expected);
    }

    // A change made in the program counts too, and a busy day keeps only the newest ten.
    for (int hour = 4; hour <= 14; ++hour) {
        ledger.addEntry(QStringLiteral("2026-03-02"), 1, 0, QStringLiteral("午餐"), hour, {}, 100 + hour);
        Close_DB();
        Clock::set(monday.addSecs(hour * 3600));
        QVERIFY(startUp());
    }
    kept = Backup::copies(QStringLiteral("db1.mdb"));
    QCOMPARE(kept.size(), Backup::keptCopies);
    QCOMPARE(QFileInfo(kept.last()).fileName(), QStringLiteral("db1-20260302-230000.mdb"));
    QCOMPARE(readCopy(kept.last(), QStringLiteral("SELECT a_count FROM data_main WHERE a_key = 114")).toDouble(), 14.0);
    QVERIFY(boxes.texts().isEmpty());
}

void BackupTest::failureIsReportedAndLeavesNoPartialCopy()
{
    TestLedger ledger(true);
    // A file where the folder should be.
    QFile blocker(QStringLiteral("backup"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // The failure is logged as well as handed back to be shown.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^backup of .*db1\\.mdb.* failed: ")));
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
    {
        DailyBackup backup(&window);
        // The ledger stays usable while the copy is made.
        ledger.addEntry(QStringLiteral("2026-03-02"), 1, 0, QStringLiteral("午餐"), 80, {}, 1);
        QTRY_VERIFY(!backup.running());
        backup.finish();
    }
    const QStringList copies = Backup::copies(QStringLiteral("db1.mdb"));
    QCOMPARE(copies.size(), 1);
    QCOMPARE(readCopy(copies.first(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QVERIFY(boxes.texts().isEmpty());

    // A failure is told once, on the window thread, and the program goes on; closing the
    // menu afterwards does not tell it again.
    QVERIFY(QFile::rename(QStringLiteral("backup"), QStringLiteral("old-backup")));
    QFile blocker(QStringLiteral("backup"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    {
        DailyBackup backup(&window);
        QTRY_COMPARE(boxes.texts().size(), 1);
        backup.finish();
    }
    QCOMPARE(boxes.texts().size(), 1);
    QVERIFY(boxes.texts().first().startsWith(QStringLiteral("今天的自動備份沒有成功")));
    QVERIFY(Is_Open());
}

void BackupTest::aFailureIsToldWhenTheMenuClosesFirst()
{
    TestLedger ledger(true);
    QFile blocker(QStringLiteral("backup"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    testing::FixedClock clock(monday);
    ScriptedBoxes boxes;
    {
        auto window = std::make_unique<QWidget>();
        DailyBackup backup(window.get());
        // The menu closes, and the run's event loop with it, before the copy's end is seen.
        window.reset();
        backup.finish();
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY(boxes.texts().first().startsWith(QStringLiteral("今天的自動備份沒有成功")));
    }
    QCoreApplication::processEvents();
    QCOMPARE(boxes.texts().size(), 1);
}

void BackupTest::piecesOfACutShortCopyGoAtTheNextStart()
{
    TestLedger ledger(true);
    testing::FixedClock clock(monday);
    QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), monday).made);
    // What a copy killed halfway leaves: the piece and its journal, and for a WAL copy more.
    const QStringList pieces = { QStringLiteral("backup/db1-20260302-100000.mdb.partial"),
        QStringLiteral("backup/db1-20260302-100000.mdb.partial-journal"),
        QStringLiteral("backup/db1-20260302-100000.mdb.partial-wal") };
    for (const QString &name : pieces) {
        QFile piece(name);
        QVERIFY(piece.open(QIODevice::WriteOnly));
        piece.write("half a page");
    }
    QFile own(QStringLiteral("backup/db1-notes.txt"));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.close();
    Close_DB();
    ScriptedBoxes boxes;
    // The same day, nothing changed: no copy is due, the pieces go all the same.
    QVERIFY(startUp());
    QCOMPARE(Backup::copies(QStringLiteral("db1.mdb")).size(), 1);
    for (const QString &name : pieces)
        QVERIFY2(!QFile::exists(name), qPrintable(name));
    QVERIFY(own.exists());
    QVERIFY(boxes.texts().isEmpty());
}

QUILLORY_TEST_MAIN(BackupTest)
#include "backup_test.moc"
