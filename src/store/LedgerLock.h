#pragma once

#include <QDateTime>
#include <QString>

// One running copy per ledger file. Two copies on one file would each put back what the other
// saved, so a copy holds two locks while it runs:
// - a lock on db1.mdb itself (flock), which follows the file whatever path reaches it, a
//   symbolic or a hard link, and ends with the process however it ends;
// - a lock file beside the file's real path (db1.mdb.lock) naming the computer and process,
//   for copies on other computers that reach the file through a shared or synced folder, which
//   the first lock cannot see.
namespace LedgerLock {

enum class Outcome {
    Taken, // this process now holds the ledger
    HeldElsewhere, // another running copy on this computer holds it
    OtherComputer, // a lock file written on another computer: ask before taking it over
    NotPossible, // no lock file can be written (a read-only folder, a full disk): read only
    NotAFile, // the ledger's name is not an ordinary file (a pipe, a device, a folder)
};

struct Result
{
    Outcome outcome = Outcome::Taken;
    QString computer; // the computer named in the lock file, when known
    qint64 process = 0; // the process named in it, when known
    QDateTime since; // when the lock file was written, when known
    QString why; // why no lock file could be written
};

// Takes the locks of the ledger at ledgerPath, giving up any taken before. A lock file left on
// this computer by a copy that no longer runs, and an empty or unreadable one, is taken over.
Result take(const QString &ledgerPath);

// Takes over the lock file another computer left, once the person has said that computer no
// longer has the ledger open.
Result takeOver(const QString &ledgerPath);

// Gives the locks up (removing the lock file). Safe to call when none is held. Call it only
// once the ledger is closed: closing the file's lock closes a descriptor of the ledger file.
void release();

// The lock file's path for a ledger: beside the file the path leads to.
QString lockPath(const QString &ledgerPath);

} // namespace LedgerLock
