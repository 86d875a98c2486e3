#include "store/LedgerLock.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <memory>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LedgerLock {

namespace {

struct Held
{
    std::unique_ptr<QLockFile> file;
    int descriptor = -1; // the ledger file, flock-ed
};

Held &held()
{
    static Held h;
    return h;
}

enum class FileLock { Taken, Busy, NotAFile, Missing };

// flock on the ledger file itself. A pipe is opened without waiting for a writer and then
// refused, so it cannot hold start-up.
FileLock lockLedgerFile(const QString &ledgerPath)
{
    const int fd = ::open(QFile::encodeName(ledgerPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FileLock::Missing; // opening it reports what is wrong
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return FileLock::NotAFile;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return FileLock::Busy;
    }
    held().descriptor = fd;
    return FileLock::Taken;
}

Result lockFileInfo(const QString &path, Outcome outcome)
{
    Result r;
    r.outcome = outcome;
    QLockFile probe(path);
    QString application;
    if (!probe.getLockInfo(&r.process, &r.computer, &application)) {
        r.process = 0;
        r.computer.clear();
    }
    const QFileInfo info(path);
    if (info.exists())
        r.since = info.lastModified();
    return r;
}

Result takeLockFile(const QString &ledgerPath, bool overOtherComputer)
{
    const QString path = lockPath(ledgerPath);
    auto lock = std::make_unique<QLockFile>(path);
    // A lock is stale only when no copy has the file open, never because of its age: a run
    // may last for days.
    lock->setStaleLockTime(0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (lock->tryLock(0)) {
            held().file = std::move(lock);
            return {};
        }
        if (lock->error() != QLockFile::LockFailedError) {
            Result r;
            r.outcome = Outcome::NotPossible;
            r.why = QFileInfo(QFileInfo(path).absolutePath()).isWritable()
                ? QStringLiteral("無法寫入鎖定檔，磁碟可能已滿")
                : QStringLiteral("資料夾是唯讀的");
            return r;
        }
        Result found = lockFileInfo(path, Outcome::OtherComputer);
        // This process holds the ledger file's own lock, so no copy on this computer has it
        // open: a lock file naming this computer is left over, whatever process it names. One
        // that names no computer (empty, cut short by a power cut) is left over too.
        const bool thisComputer = found.computer == QSysInfo::machineHostName();
        if (!found.computer.isEmpty() && !thisComputer && !overOtherComputer)
            return found;
        if (!lock->removeStaleLockFile() && !QFile::remove(path)) {
            Result r;
            r.outcome = Outcome::NotPossible;
            r.why = QStringLiteral("留下的鎖定檔無法移除（資料夾可能是唯讀的）");
            return r;
        }
    }
    Result r;
    r.outcome = Outcome::NotPossible;
    r.why = QStringLiteral("無法寫入鎖定檔");
    return r;
}

Result takeBoth(const QString &ledgerPath, bool overOtherComputer)
{
    release();
    switch (lockLedgerFile(ledgerPath)) {
    case FileLock::Busy:
        return lockFileInfo(lockPath(ledgerPath), Outcome::HeldElsewhere);
    case FileLock::NotAFile: {
        Result r;
        r.outcome = Outcome::NotAFile;
        return r;
    }
    case FileLock::Taken:
    case FileLock::Missing:
        break;
    }
    Result r = takeLockFile(ledgerPath, overOtherComputer);
    if (r.outcome == Outcome::OtherComputer)
        release();
    return r;
}

} // namespace

QString lockPath(const QString &ledgerPath)
{
    const QFileInfo info(ledgerPath);
    const QString real = info.canonicalFilePath();
    return (real.isEmpty() ? info.absoluteFilePath() : real) + QStringLiteral(".lock");
}

Result take(const QString &ledgerPath)
{
    return takeBoth(ledgerPath, false);
}

Result takeOver(const QString &ledgerPath)
{
    return takeBoth(ledgerPath, true);
}

void release()
{
    Held &h = held();
    if (h.file)
        h.file->unlock();
    h.file.reset();
    if (h.descriptor >= 0)
        ::close(h.descriptor);
    h.descriptor = -1;
}

} // namespace LedgerLock
