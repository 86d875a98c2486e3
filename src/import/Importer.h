#pragma once

#include <QString>

#include <functional>

// Bringing an old Access ledger over into a new Quillory ledger, with every step checked:
//
//  1. the old file is read whole and every row worked out (nothing is written before);
//  2. it is copied aside, byte for byte, as db1-jet-YYYYMMDD-HHMMSS.mdb in the folder;
//  3. the new ledger is written as db1-import.mdb.partial, read back and compared with the
//     old file's rows and sums, and checked by the engine;
//  4. SKinds.txt is carried over, import-report.txt written, and only then the new ledger is
//     renamed to db1.mdb (over the old file when that was the folder's db1.mdb).
//
// A failure at any step undoes the steps before it, so the folder is left as it was.
struct ImportRequest
{
    QString oldFile;
    QString folder; // empty: the old file's folder
    std::function<void(qint64 read, qint64 total)> progress;
};

struct ImportOutcome
{
    bool ok = false;
    QString message; // for the person when not ok
    QString report; // import-report.txt's text, also when the check found differences
};

ImportOutcome importOldLedger(const ImportRequest &request);

// Whether an Access file holds an old ledger at all: the tables the import needs (data_main and
// kind) by name in its catalogue, nothing else read. Empty when it does; else the message for
// the person, naming what is missing. Throws JetError for a file that cannot be read.
QString notALedgerBecause(const QString &oldFile);

// The name the unfinished new ledger has while it is written and checked.
QString partialLedgerName();
