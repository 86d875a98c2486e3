// The day's backup: one verified copy a day (or whenever the ledger changed), the newest ten
// kept, a clock set back or a ledger copied in with its old time still copied, pieces of a
// copy cut short cleared, every failure told once while the program goes on; a damaged
// ledger found out by the copy is told plainly and not written in that run.

#include "app/DailyBackup.h"
#include "app/Startup.h"
#include "platform/Clock.h"
#include "store/Backup.h"
#include "store/EntryStore.h"
#include "store/LedgerSchema.h"
#include "store/database_access.h"
#include "support/LedgerFiles.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QRegularExpression>

#include <memory>

using namespace database_access;

namespace {

const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0, 0));
const QString db1 = QStringLiteral("db1.mdb");

void touch(const QString &path, const QByteArray &bytes = {}, const QDateTime &modified = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.write(bytes);
    if (modified.isValid())
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

} // namespace

class BackupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The clock set back a month: the copy is made, kept, and the person told; nothing goes.
    void aClockSetBackDoesNotStopCopies()
    {
        TestLedger ledger(true);
        for (int day = 30; day < 40; ++day)
            QVERIFY(Backup::backupIfDue(db1, monday.addDays(day)).made);
        touch(QStringLiteral("backup/my-notes.txt"));
        for (int day = 0; day < 2; ++day) {
            ledger.addEntry(QStringLiteral("2026-03-02"), 1, 0, QStringLiteral("午餐"), 80, {}, day + 1);
            const Backup::Outcome outcome = Backup::backupIfDue(db1, monday.addDays(day));
            QVERIFY(outcome.made && QFile::exists(outcome.path));
            QCOMPARE(outcome.clockBehind, monday.addDays(39));
            ScriptedBoxes boxes;
            tellBackupOutcome(nullptr, outcome);
            QVERIFY(boxes.texts().value(0).contains(QStringLiteral("比最新的一份備份（2026/4/10 09:00）還早")));
            QCOMPARE(Backup::copies(db1).size(), Backup::keptCopies + day + 1);
            QVERIFY(!Backup::backupIfDue(db1, monday.addDays(day).addSecs(60)).made);
        }
        const Backup::Outcome right = Backup::backupIfDue(db1, monday.addDays(41));
        QVERIFY(right.made && !right.clockBehind.isValid());
        QCOMPARE(Backup::copies(db1).size(), Backup::keptCopies);
        QCOMPARE(Backup::copies(db1).last(), right.path);
        QVERIFY(QFile::exists(QStringLiteral("backup/my-notes.txt"))); // the person's own file stays
    }

    // The real ledger copied over the new one the same day, perhaps with its old time kept
    // (cp -p) and the same size: each start sees it changed by its entries, not its time.
    void aLedgerChangedTheSameDayIsCopiedAtTheNextStart()
    {
        TestLedger ledger(true);
        testing::FixedClock clock(monday);
        ScriptedBoxes boxes;
        const auto start = [](int minutes) {
            Close_DB();
            Clock::set(monday.addSecs(minutes * 60));
            return startUp() ? Backup::copies(db1) : QStringList();
        };
        QCOMPARE(start(0).size(), 1);
        LedgerSchema::createLedger(QStringLiteral("real.mdb"));
        testing::onFile(QStringLiteral("real.mdb"),
            QStringLiteral("INSERT INTO data_main VALUES ('2025-01-01', 1, 0, '房租', 250, "
                           "'', 1, ''), ('2025-01-02', 1, 0, '房租', 250, '', 2, '')"));
        Close_DB();
        QVERIFY(QFile::remove(db1) && QFile::copy(QStringLiteral("real.mdb"), db1));
        const QStringList kept = start(60);
        QCOMPARE(kept.size(), 2);
        QCOMPARE(
            testing::onFile(kept.last(), QStringLiteral("SELECT total(a_count) FROM data_main")).toDouble(), 500.0);
        // Nothing changed: no copy, whatever the file's time says, its copy's very time too.
        // Changed in place with an old time or the newest copy's very time: a copy.
        const QDateTime copied = QFileInfo(kept.last()).lastModified();
        const QList<std::tuple<const char *, QDateTime, int>> changes = {
            { "", copied, 2 },
            { "", copied.addSecs(5), 2 },
            { "", copied.addSecs(-5), 2 },
            { "UPDATE data_main SET a_count = 300 WHERE a_key = 2", copied.addSecs(-60), 3 },
            { "UPDATE data_main SET a_content = '電費' WHERE a_key = 1", QDateTime(), 4 },
        };
        int minutes = 174;
        for (const auto &[sql, time, copies] : changes) {
            Close_DB();
            const qint64 size = QFileInfo(db1).size();
            testing::onFile(db1, QString::fromUtf8(sql));
            QCOMPARE(QFileInfo(db1).size(), size);
            touch(db1, {}, time.isValid() ? time : QFileInfo(Backup::copies(db1).last()).lastModified());
            QCOMPARE(start(minutes += 2).size(), copies);
        }
        QCOMPARE(testing::onFile(Backup::copies(db1).last(),
                     QStringLiteral("SELECT group_concat(a_content || a_count) FROM data_main")),
            QStringLiteral("電費250.0,房租300.0"));
        QCOMPARE(QFileInfo(Backup::copies(db1).last()).fileName(), QStringLiteral("db1-20260302-120400.mdb"));
        QVERIFY(boxes.texts().isEmpty());
    }

    // A file where the folder should be: the failure is logged and told once, at the start or
    // from the background copy (also when the menu has closed first), and the program goes on.
    void aFailedCopyIsToldOnceAndLeavesNothing()
    {
        TestLedger ledger(true);
        touch(QStringLiteral("backup"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^backup of .*db1\\.mdb.* failed: ")));
        const Backup::Outcome outcome = Backup::backupIfDue(db1, monday);
        QVERIFY(!outcome.made && !outcome.error.isEmpty());
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList({ "backup", "db1.mdb" }));
        testing::FixedClock clock(monday);
        ScriptedBoxes boxes;
        Close_DB();
        QVERIFY(startUp());
        QVERIFY(boxes.take().value(0).startsWith(QStringLiteral("今天的自動備份沒有成功")) && Is_Open());
        for (const bool menuClosesFirst : { false, true }) {
            auto window = std::make_unique<QWidget>();
            DailyBackup backup(window.get());
            if (menuClosesFirst)
                window.reset();
            else
                QTRY_COMPARE(boxes.texts().size(), 1);
            backup.finish();
            QCoreApplication::processEvents();
            QCOMPARE(boxes.take().size(), 1);
        }
        // The trouble gone: the copy is made in the background while the ledger stays usable.
        QVERIFY(QFile::remove(QStringLiteral("backup")));
        {
            QWidget window;
            DailyBackup backup(&window);
            ledger.addEntry(QStringLiteral("2026-03-02"), 1, 0, QStringLiteral("午餐"), 80, {}, 1);
            QTRY_VERIFY(!backup.running());
            backup.finish();
        }
        QCOMPARE(testing::onFile(Backup::copies(db1).value(0), QStringLiteral("PRAGMA integrity_check")),
            QStringLiteral("ok"));
        QVERIFY(boxes.texts().isEmpty());
        // Pieces of a copy cut short go at the next start, even when no copy is due.
        for (const char *suffix : { "", "-journal", "-wal" })
            touch(QStringLiteral("backup/db1-20260302-100000.mdb.partial") + QLatin1String(suffix), "half a page");
        Close_DB();
        QVERIFY(startUp());
        QCOMPARE(QDir(QStringLiteral("backup")).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // One page overwritten in the middle: the copy finds it out, the person is told plainly,
    // no good copy is pushed out, and the file is not written again in that run.
    void aDamagedLedgerIsToldAndNotWritten()
    {
        TestLedger ledger(true);
        Exec_SQL(QStringLiteral("INSERT INTO data_main (a_key, a_date, a_kind, a_inout, a_content, a_count, a_note) "
                                "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 4000) "
                                "SELECT k, date('2020-01-01', '+' || (k % 1000) || ' days'), 1, 0, '午餐' || k, k, '' "
                                "FROM n"));
        for (int day = 0; day < Backup::keptCopies; ++day)
            QVERIFY(Backup::backupIfDue(db1, monday.addDays(day)).made);
        const QStringList good = Backup::copies(db1);
        const int pageSize = ledger.scalar(QStringLiteral("PRAGMA page_size")).toInt();
        Close_DB();
        QByteArray damaged = testing::fileBytes(db1);
        damaged.replace(damaged.size() / pageSize / 2 * pageSize, pageSize, QByteArray(pageSize, '\x5a'));
        testing::writeFile(db1, damaged);

        testing::FixedClock clock(monday.addDays(Backup::keptCopies));
        ScriptedBoxes boxes;
        QVERIFY(startUp());
        const QString told = boxes.texts().join(u'|');
        QVERIFY2(told.startsWith(QStringLiteral("帳本 db1.mdb 已經損壞")) && !told.contains(u"沒有受到影響")
                && told.contains(QStringLiteral("backup/") + QFileInfo(good.last()).fileName())
                && told.contains(u"README"),
            qPrintable(told));
        QCOMPARE(Backup::copies(db1), good);
        QCOMPARE(QDir(QStringLiteral("backup")).entryList(QDir::Files | QDir::Hidden).size(), good.size());
        // Reading goes on; writing is refused and says why.
        QCOMPARE(EntryStore::entriesOfDay(QDate(2026, 3, 12)).size(), 0);
        const EntryStore::Entry entry { QDate(2026, 3, 12), 1, 0, {}, 0, {}, 5000, {} };
        QVERIFY(testing::refusal([&entry] { EntryStore::addEntry(entry); }).contains(QStringLiteral("已經損壞")));
        QVERIFY_THROWS_EXCEPTION(StoreError, Transaction());
        Close_DB();
        QVERIFY(testing::fileBytes(db1) == damaged && !QFile::exists(QStringLiteral("db1.mdb-journal")));
        // Restored from the newest copy, as the message says: the next start writes again.
        QVERIFY(QFile::remove(db1) && QFile::copy(good.last(), db1));
        QVERIFY(startUp());
        EntryStore::addEntry(entry);
        QCOMPARE(boxes.texts().size(), 1);
    }
};

QUILLORY_TEST_MAIN(BackupTest)
#include "backup_test.moc"
