#pragma once

#include <QString>

// What the program relies on in a ledger file, checked when it is opened: the four tables
// with their columns in their order, keys that are whole numbers and unique, and nothing in
// the file that changes data behind the program's back (triggers). A file made or altered
// by another tool may have tables of the right names that break one of these, and writing
// into it would overwrite or lose entries.
namespace LedgerLayout {

// Why the open ledger cannot be used, in words for the person; empty when it can. Only
// reads the file.
QString problem();

} // namespace LedgerLayout
