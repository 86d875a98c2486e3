#include "store/LedgerLock.h"

#include <QFileInfo>
#include <QLockFile>

#include <memory>

namespace LedgerLock {

namespace {

std::unique_ptr<QLockFile> &held()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

} // namespace

QString lockPath(const QString &ledgerPath)
{
    return QFileInfo(ledgerPath).absoluteFilePath() + QStringLiteral(".lock");
}

Outcome take(const QString &ledgerPath)
{
    release();
    auto lock = std::make_unique<QLockFile>(lockPath(ledgerPath));
    // A lock is stale only when the process named in it is gone, never because of its age:
    // a run may last for days.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        held() = std::move(lock);
        return Outcome::Taken;
    }
    // tryLock has already taken over a lock whose process is gone.
    if (lock->error() == QLockFile::LockFailedError)
        return Outcome::HeldElsewhere;
    return Outcome::NotPossible;
}

void release()
{
    if (held())
        held()->unlock();
    held().reset();
}

} // namespace LedgerLock
