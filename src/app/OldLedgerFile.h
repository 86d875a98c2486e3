#pragma once

#include <QString>

// What the first page of a ledger folder's db1.mdb says it is, for the files that are not a
// Quillory ledger but an Access database from the ledger's earlier years.
enum class OldLedgerFormat {
    NotAccess, // anything else: SQLite, damaged, missing; the normal opening decides
    Jet4, // Access 2000 to 2003: can be brought over
    Jet3, // Access 97
    Ace, // Access 2007 and later
};

OldLedgerFormat oldLedgerFormatOf(const QString &path);
