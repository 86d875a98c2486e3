// One running copy per ledger: the program itself is started in another process, and a second
// start here must end with the message and change nothing; a lock left by a killed copy must
// not keep the ledger closed.

#include "safety/SafetySupport.h"

#include "app/Form1.h"
#include "app/Startup.h"
#include "store/Backup.h"
#include "store/LedgerLock.h"
#include "support/ScriptedBoxes.h"
#include "ui/PushButton.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTimer>

#include <csignal>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace safety;

namespace {

// Every file under the folder with its size, modification time and content.
QStringList folderPicture(const QString &folder)
{
    QStringList lines;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(info.fileName())
                     .arg(info.size())
                     .arg(info.lastModified().toMSecsSinceEpoch())
                     .arg(QString::fromLatin1(
                         QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256).toHex()));
    }
    lines.sort();
    return lines;
}

// The program itself, started in folder, running until the test ends it. Its daily copy is
// made by the test beforehand, so that once its lock is there it writes nothing more.
class RunningCopy
{
public:
    explicit RunningCopy(const QString &folder)
    {
        m_process.setProgram(QStringLiteral(QUILLORY_PROGRAM));
        m_process.setWorkingDirectory(folder);
        m_process.start();
    }
    ~RunningCopy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool waitForLock(const QString &lockFile)
    {
        for (int waited = 0; waited < 20000; waited += 50) {
            if (QFile::exists(lockFile) && QFileInfo(lockFile).size() > 0)
                return m_process.state() == QProcess::Running;
            if (m_process.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(50);
        }
        return false;
    }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

// Files may not grow past a few bytes while it lives, as on a full disk: no lock file can be
// written. A program started meanwhile keeps the limit.
class FullDisk
{
public:
    FullDisk()
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_handler = std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead
        rlimit full = m_before;
        full.rlim_cur = 3;
        ::setrlimit(RLIMIT_FSIZE, &full);
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_handler);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

private:
    rlimit m_before {};
    void (*m_handler)(int) = nullptr;
};

// True when another process holds the ledger file's own lock.
bool fileLockedElsewhere(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (fd >= 0)
        ::close(fd);
    return locked;
}

// Start-up here must refuse with the one message and leave every file as it was.
void checkRefusedHere(const QString &folder, const QString &message)
{
    const QStringList before = folderPicture(folder);
    ScriptedBoxes boxes;
    QVERIFY(!startUp());
    QCOMPARE(boxes.texts().size(), 1);
    QVERIFY2(boxes.texts().first().contains(message), qPrintable(boxes.texts().first()));
    QVERIFY(!database_access::Is_Open());
    QCOMPARE(folderPicture(folder), before);
}

} // namespace

class TwoCopiesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { LedgerLock::release(); }
    void secondStartSaysSoAndTouchesNothing();
    void lockOfAKilledCopyIsTakenOver();
    void endOfTheRunGivesTheLedgerFree();
    void anotherPathToTheSameFileIsRefused();
    void leftoverLocksAreTakenOverOrAskedAbout();
    void aFullDiskAtTheStartOpensToReadOnly();
};

void TwoCopiesTest::secondStartSaysSoAndTouchesNothing()
{
    LedgerFolder folder;
    writeFile(folder.path(QStringLiteral("SKinds.txt")), "1,2\r\n");
    QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), QDateTime::currentDateTime()).made);
    const QString lock = LedgerLock::lockPath(QStringLiteral("db1.mdb"));

    RunningCopy first(folder.folder());
    QVERIFY2(first.waitForLock(lock), qPrintable(QString::fromUtf8(first.process().readAllStandardError())));
    // Let the copy settle into its menu before the picture is taken.
    QTest::qWait(300);
    const QStringList before = folderPicture(folder.folder());

    {
        ScriptedBoxes boxes;
        QVERIFY(!startUp());
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY2(boxes.texts().first().contains(QStringLiteral("已經在另一個 Quillory 視窗裡開著")),
            qPrintable(boxes.texts().first()));
        QVERIFY(boxes.texts().first().contains(QFileInfo(QStringLiteral("db1.mdb")).absoluteFilePath()));
    }
    QVERIFY(!database_access::Is_Open());
    QVERIFY(database_access::SKinds.isEmpty());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(folderPicture(folder.folder()), before);
    QCOMPARE(first.process().state(), QProcess::Running);
}

void TwoCopiesTest::lockOfAKilledCopyIsTakenOver()
{
    LedgerFolder folder;
    QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), QDateTime::currentDateTime()).made);
    const QString lock = LedgerLock::lockPath(QStringLiteral("db1.mdb"));
    {
        RunningCopy killed(folder.folder());
        QVERIFY(killed.waitForLock(lock));
        killed.process().kill(); // SIGKILL: no chance to clean up
        QVERIFY(killed.process().waitForFinished(5000));
    }
    QVERIFY(QFile::exists(lock));

    ScriptedBoxes boxes;
    QVERIFY(startUp());
    QCOMPARE(boxes.texts(), QStringList());
    QVERIFY(database_access::Is_Open());
    // The lock is this process's now.
    QLockFile probe(lock);
    qint64 pid = 0;
    QString host;
    QString application;
    QVERIFY(probe.getLockInfo(&pid, &host, &application));
    QCOMPARE(pid, QCoreApplication::applicationPid());
    LedgerLock::release();
    QVERIFY(!QFile::exists(lock));
}

void TwoCopiesTest::endOfTheRunGivesTheLedgerFree()
{
    LedgerFolder folder;
    const QString lock = LedgerLock::lockPath(QStringLiteral("db1.mdb"));
    ScriptedBoxes boxes;
    bool lockedWhileRunning = false;
    // Leave through 離開 once the menu is up, as a person would.
    QTimer::singleShot(200, [&] {
        lockedWhileRunning = QFile::exists(lock);
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *menu = qobject_cast<Form1 *>(window); menu && menu->isVisible())
                testing::click(menu->exit);
        }
    });
    QCOMPARE(runProgram(*qApp), 0);
    QVERIFY(lockedWhileRunning);
    QVERIFY(!QFile::exists(lock));
    // The next start finds the ledger free.
    QVERIFY(startUp());
    QCOMPARE(boxes.texts().filter(QStringLiteral("已經在另一個")), QStringList());
    database_access::Close_DB();
}

void TwoCopiesTest::anotherPathToTheSameFileIsRefused()
{
    LedgerFolder a;
    QVERIFY(Backup::backupIfDue(QStringLiteral("db1.mdb"), QDateTime::currentDateTime()).made);
    RunningCopy first(a.folder());
    QVERIFY(first.waitForLock(LedgerLock::lockPath(QStringLiteral("db1.mdb"))));
    QTest::qWait(300);
    for (const bool symbolic : { true, false }) {
        QTemporaryDir b;
        const QString target = a.path(QStringLiteral("db1.mdb"));
        const QString link = b.filePath(QStringLiteral("db1.mdb"));
        QVERIFY(symbolic ? QFile::link(target, link) : ::link(qPrintable(target), qPrintable(link)) == 0);
        QDir::setCurrent(b.path());
        checkRefusedHere(b.path(), QStringLiteral("已經在另一個 Quillory 視窗裡開著了"));
        checkRefusedHere(a.folder(), QStringLiteral("已經在另一個 Quillory 視窗裡開著了"));
        QDir::setCurrent(a.folder());
    }
    QCOMPARE(first.process().state(), QProcess::Running);

    // A copy that could write no lock file (a full disk) still keeps a second one out.
    first.process().kill();
    first.process().waitForFinished(5000);
    QFile::remove(LedgerLock::lockPath(QStringLiteral("db1.mdb")));
    std::optional<RunningCopy> readOnly;
    {
        FullDisk full;
        readOnly.emplace(a.folder());
    }
    for (int waited = 0; waited < 20000 && !fileLockedElsewhere(QStringLiteral("db1.mdb")); waited += 50)
        QTest::qWait(50);
    QVERIFY(fileLockedElsewhere(QStringLiteral("db1.mdb")));
    checkRefusedHere(a.folder(), QStringLiteral("已經在另一個 Quillory 視窗裡開著了"));
}

void TwoCopiesTest::leftoverLocksAreTakenOverOrAskedAbout()
{
    LedgerFolder folder;
    const QString lock = LedgerLock::lockPath(QStringLiteral("db1.mdb"));
    const auto start = [&](const QByteArray &lockBytes, std::optional<bool> answer) {
        if (fileBytes(lock) != lockBytes)
            writeFile(lock, lockBytes);
        ScriptedBoxes boxes;
        if (answer)
            boxes.answer(*answer);
        const bool started = startUp();
        database_access::Close_DB();
        LedgerLock::release();
        return std::make_pair(started, boxes.texts());
    };
    // Empty (a power cut while it was written) or naming this computer: left over, taken quietly.
    const QByteArray here = "999999\nquillory\n" + QSysInfo::machineHostName().toUtf8() + "\n";
    for (const QByteArray &leftover : { QByteArray(), QByteArray("garbage"), here })
        QCOMPARE(start(leftover, std::nullopt), std::make_pair(true, QStringList()));

    // Another computer's: asked, naming it; that it still has the ledger open ends the start.
    const QByteArray there = "4242\nquillory\nliving-room-pc\n";
    writeFile(lock, there);
    const QStringList before = folderPicture(folder.folder());
    auto [started, texts] = start(there, true);
    QVERIFY(!started);
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts.first().contains(QStringLiteral("電腦「living-room-pc」"))
            && texts.first().contains(QStringLiteral("還開著")),
        qPrintable(texts.first()));
    QCOMPARE(folderPicture(folder.folder()), before);
    std::tie(started, texts) = start(there, false);
    QVERIFY(started);
    QCOMPARE(texts.size(), 1);
    QVERIFY(!QFile::exists(lock)); // released by start()
}

void TwoCopiesTest::aFullDiskAtTheStartOpensToReadOnly()
{
    LedgerFolder folder;
    ScriptedBoxes boxes;
    bool started = false;
    {
        FullDisk full;
        started = startUp();
    }
    QVERIFY(started);
    QVERIFY2(
        boxes.texts().value(0).contains(QStringLiteral("只能查看，不能修改")), qPrintable(boxes.texts().join('|')));
    QVERIFY_THROWS_EXCEPTION(StoreError, database_access::Exec_SQL(QStringLiteral("DELETE FROM data_note")));
    // The ledger file's own lock is held all the same: a second copy stays out.
    QVERIFY(fileLockedElsewhere(QStringLiteral("db1.mdb")));
}

QUILLORY_TEST_MAIN(TwoCopiesTest)
#include "two_copies_test.moc"
