#pragma once

#include <QString>

// One running copy per ledger: a lock file beside the ledger (db1.mdb.lock) says which
// process has it open. Two copies on one file would each put back what the other saved.
namespace LedgerLock {

enum class Outcome {
    Taken, // this process now holds the ledger
    HeldElsewhere, // another running copy holds it
    NotPossible, // no lock can be made here (a read-only folder); the run goes on without one
};

// Takes the lock of the ledger at ledgerPath, giving up any lock taken before. A lock left by
// a process that is no longer running is taken over.
Outcome take(const QString &ledgerPath);

// Gives the lock up (removing the lock file). Safe to call when none is held.
void release();

// The lock file's path for a ledger.
QString lockPath(const QString &ledgerPath);

} // namespace LedgerLock
