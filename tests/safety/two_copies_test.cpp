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
#include <QTimer>

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

} // namespace

class TwoCopiesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { LedgerLock::release(); }
    void secondStartSaysSoAndTouchesNothing();
    void lockOfAKilledCopyIsTakenOver();
    void endOfTheRunGivesTheLedgerFree();
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

QUILLORY_TEST_MAIN(TwoCopiesTest)
#include "two_copies_test.moc"
