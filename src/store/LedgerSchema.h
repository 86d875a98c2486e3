#pragma once

#include <QString>
#include <QStringList>

// The ledger's tables and the making of a new, empty ledger file.
namespace LedgerSchema {

// The four tables a ledger file must hold.
QStringList tableNames();

// The index of the entries' descriptions, made where it is missing: ledgers made before
// descriptions were indexed get it when first opened.
QString contentIndex();

// The kinds a new ledger starts with, in their order.
QStringList starterKinds();

// Creates a new ledger file at path: the four tables, their indexes, the two direction
// rows and the starter kinds (none when withKinds is false). Refuses, with StoreError, to
// touch a file that already exists. Uses its own connection, so it works with or without
// an open ledger.
void createLedger(const QString &path, bool withKinds = true);

} // namespace LedgerSchema
