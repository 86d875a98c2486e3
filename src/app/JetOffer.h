#pragma once

#include <QString>

// Start-up's answer to a db1.mdb that is an old Access ledger: offer to bring it over into a
// new Quillory ledger in the same folder, with the old file kept as a copy.
enum class OldLedgerStep {
    NotOld, // not an Access file: open it as usual
    BroughtOver, // db1.mdb is now the new ledger: open it
    Ended, // not brought over; the person has been told; the run ends
};

OldLedgerStep offerToBringOver(const QString &ledgerPath);
