// One running copy per ledger: the program itself is started in another process, and a second
// start here (also through another path to the same file) must end with the message and change
// nothing; a lock left by a killed copy, an empty one or one of this computer is taken over;
// another computer's is asked about; a copy that could write no lock still keeps others out; a
// run's end gives the ledger free.

#include "safety/SafetySupport.h"

#include "support/FullDisk.h"

#include "app/Form1.h"
#include "store/Backup.h"
#include "ui/PushButton.h"

#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>

using namespace safety;

namespace {

const QString alreadyOpen = QStringLiteral("已經在另一個 Quillory 視窗裡開著了");

// True when another process holds the ledger file's own lock.
bool fileLockedElsewhere()
{
    const int fd = ::open("db1.mdb", O_RDONLY);
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

const auto lockFile = [] { return LedgerLock::lockPath(QStringLiteral("db1.mdb")); };

// The program itself, started in the folder after its daily copy was made (so that it writes
// nothing more), running until the test ends it; true once it holds the ledger by its lock
// file, or by the file's own lock when it could write none.
bool startProgram(QProcess &program, const QString &folder, bool withLockFile = true)
{
    program.setWorkingDirectory(folder);
    program.start(QStringLiteral(QUILLORY_PROGRAM));
    for (int waited = 0; waited < 20000 && program.state() != QProcess::NotRunning; waited += 50) {
        if (withLockFile ? QFileInfo(lockFile()).size() > 0 : fileLockedElsewhere()) {
            QTest::qWait(300); // let it settle into its menu
            return true;
        }
        QTest::qWait(50);
    }
    return false;
}

} // namespace

class TwoCopiesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { LedgerLock::release(); }

    void aSecondStartSaysSoAndTouchesNothing()
    {
        LedgerFolder folder;
        writeFile(QStringLiteral("SKinds.txt"), "1,2\r\n");
        QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), QDateTime::currentDateTime()).made);
        QProcess first;
        QVERIFY2(startProgram(first, folder.folder()), first.readAllStandardError().constData());
        checkStartRefused(folder.folder(), { alreadyOpen, QFileInfo(QStringLiteral("db1.mdb")).absoluteFilePath() });
        // Through a symbolic or a hard link to the same file, from another folder.
        for (const bool symbolic : { true, false }) {
            QTemporaryDir other;
            const QString link = other.filePath(QStringLiteral("db1.mdb"));
            QVERIFY(symbolic ? QFile::link(folder.path(QStringLiteral("db1.mdb")), link)
                             : ::link(qPrintable(folder.path(QStringLiteral("db1.mdb"))), qPrintable(link)) == 0);
            QDir::setCurrent(other.path());
            checkStartRefused(other.path(), { alreadyOpen });
            QDir::setCurrent(folder.folder());
        }
        QCOMPARE(first.state(), QProcess::Running);
        // Killed without a chance to clean up: its lock is taken over, and becomes this process's.
        first.kill();
        QVERIFY(first.waitForFinished(5000) && QFile::exists(lockFile()));
        ScriptedBoxes boxes;
        QVERIFY(startUp() && boxes.texts().isEmpty());
        QCOMPARE(fileBytes(lockFile()).split('\n').value(0).toLongLong(), QCoreApplication::applicationPid());
        LedgerLock::release();
        QVERIFY(!QFile::exists(lockFile()));
    }

    // A copy that could write no lock file still keeps a second one out by the file's own lock;
    // a start here on a full disk opens the ledger to be read only, and holds that lock too.
    void aFullDiskKeepsTheLedgerToOneCopy()
    {
        LedgerFolder folder;
        QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), QDateTime::currentDateTime()).made);
        QProcess readOnly;
        {
            testing::FullDisk full;
            QVERIFY(startProgram(readOnly, folder.folder(), false));
        }
        QVERIFY(!QFile::exists(lockFile()));
        checkStartRefused(folder.folder(), { alreadyOpen });
        readOnly.kill();
        readOnly.waitForFinished(5000);
        ScriptedBoxes boxes;
        const bool started = [] {
            testing::FullDisk full;
            return startUp();
        }();
        QVERIFY2(started && boxes.texts().value(0).contains(QStringLiteral("只能查看，不能修改")),
            qPrintable(boxes.texts().join(u'|')));
        QVERIFY_THROWS_EXCEPTION(StoreError, database_access::Exec_SQL(QStringLiteral("DELETE FROM data_note")));
        QVERIFY(fileLockedElsewhere());
    }

    void leftoverLocksAreTakenOverOrAskedAbout()
    {
        LedgerFolder folder;
        const QString lock = lockFile();
        const auto start = [&](const QByteArray &lockBytes, bool answer) { // an answer not asked for is left
            if (fileBytes(lock) != lockBytes)
                writeFile(lock, lockBytes);
            ScriptedBoxes boxes;
            boxes.answer(answer);
            const bool started = startUp();
            database_access::Close_DB();
            LedgerLock::release();
            return std::make_pair(started, boxes.texts());
        };
        // Empty (a power cut while it was written), garbage, or naming this computer: taken quietly.
        for (const QByteArray &leftover :
            { QByteArray(), QByteArray("garbage"), "999999\nquillory\n" + QSysInfo::machineHostName().toUtf8() + "\n" })
            QCOMPARE(start(leftover, false), std::make_pair(true, QStringList()));
        // Another computer's: asked, naming it; that it still has the ledger open ends the start.
        const QByteArray there = "4242\nquillory\nliving-room-pc\n";
        writeFile(lock, there);
        const QStringList before = folderPicture(folder.folder());
        auto [started, texts] = start(there, true);
        QVERIFY2(
            !started && texts.size() == 2 && texts.first().contains(QStringLiteral("電腦「living-room-pc」現在還開著")),
            qPrintable(texts.join(u'|')));
        QCOMPARE(folderPicture(folder.folder()), before);
        std::tie(started, texts) = start(there, false);
        QVERIFY(started && texts.size() == 1 && !QFile::exists(lock));
        // A whole run holds the lock; leaving through 離開 once the menu is up gives the ledger free.
        ScriptedBoxes boxes;
        bool lockedWhileRunning = false;
        QTimer::singleShot(200, [&] {
            lockedWhileRunning = QFile::exists(lock);
            for (QWidget *window : QApplication::topLevelWidgets())
                if (auto *menu = qobject_cast<Form1 *>(window); menu && menu->isVisible())
                    testing::click(menu->exit);
        });
        QCOMPARE(runProgram(*qApp), 0);
        QVERIFY(lockedWhileRunning && !QFile::exists(lock) && boxes.texts().isEmpty());
    }
};

QUILLORY_TEST_MAIN(TwoCopiesTest)
#include "two_copies_test.moc"
