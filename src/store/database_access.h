#pragma once

#include "store/ResultSet.h"
#include "store/StoreError.h"

#include <QString>
#include <QVariantList>

#include <functional>

struct sqlite3;

// The one connection to the ledger and the routines every window reads and writes
// through. Values always travel as bound parameters, never inside the SQL text.
// Engine errors are thrown as StoreError, carrying the engine's message.
namespace database_access {

// Folder prefix of the ledger path (empty: the working directory) and the path itself.
extern QString Base_Dir;
extern QString DB_Path;

// Opens the ledger at path. A missing file is not created; a file that is not a SQLite
// database, or lacks the ledger's tables, is refused. Throws StoreError.
void Open_DB(const QString &path);
// Releases the connection. Safe to call when nothing is open.
void Close_DB();
bool Is_Open();

// Runs a query and returns its whole result.
ResultSet Open_Query(const QString &sql, const QVariantList &values = {});
// Whether the ledger holds a table of this name (the tables a later version added are made
// only when first written).
bool Table_Exists(QLatin1String table);
// Runs a statement that changes data; returns the number of rows it changed.
qint64 Exec_SQL(const QString &sql, const QVariantList &values = {});
// Runs one change statement for each of count lists of values, prepared once, as Exec_SQL
// would run it count times: for bringing many rows in at a time.
void Exec_SQL_Rows(const QString &sql, qsizetype count, const std::function<QVariantList(qsizetype)> &valuesOf);

// Several changes as one: everything between construction and commit() is applied
// together, or, if commit() is not reached (an exception), not at all.
class Transaction
{
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    bool m_open = false;
};

// From now until the ledger is opened again every change is refused with why (the file
// was found damaged and must not be written until it is restored); reading goes on.
void Refuse_Writes(const QString &why);

// The engine's own handle of the open connection, for what Qt's driver does not offer
// (the online backup). Throws StoreError when nothing is open.
sqlite3 *Native_Handle();

// Test seam: called with each statement's text before Exec_SQL runs it; may throw
// StoreError to make that statement fail. An empty function removes the hook.
void Set_Statement_Hook(std::function<void(const QString &sql)> hook);

// Test seam: called when a Transaction is about to commit; may throw StoreError to make the
// commit fail, which then rolls the whole transaction back. An empty function removes it.
void Set_Commit_Hook(std::function<void()> hook);

} // namespace database_access
