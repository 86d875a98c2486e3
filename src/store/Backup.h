#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Daily copies of the ledger in a folder "backup" beside it. Each copy is taken with
// the engine's online backup (consistent even while the program runs), checked with an
// integrity check, and only then given its final name; the newest ten are kept.
namespace Backup {

constexpr int keptCopies = 10;

struct Outcome
{
    bool made = false; // a new copy was written and verified
    QString path; // the new copy
    QString error; // why no copy could be made; empty when all went well
    // The ledger itself failed its integrity check: it must not be written until restored.
    bool ledgerDamaged = false;
    QString newestCopy; // the newest verified copy, when no new one was made
    // The stamp of the newest copy when it is later than now: the computer's clock is behind.
    // Nothing is removed then, since the names no longer tell which copy is the newest.
    QDateTime clockBehind;
};

// Whether a new copy is due: there is none yet, the newest not stamped later than now is from
// an earlier day, or the ledger no longer holds what that copy holds (a change since, or
// another ledger put in its place). Copies stamped later than now (the clock is behind) are
// not asked.
bool isDue(const QString &ledgerPath, const QDateTime &now);

// Clears the pieces of copies cut short, then backs up the ledger at ledgerPath when a
// copy is due. Reads the ledger on a connection of its own, so it may run on a worker thread while
// the program goes on. Never throws: a failure is returned in Outcome::error and leaves no
// partial copy.
Outcome backupIfDue(const QString &ledgerPath, const QDateTime &now);

// The verified copies beside ledgerPath, oldest first.
QStringList copies(const QString &ledgerPath);

} // namespace Backup
