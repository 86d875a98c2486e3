#pragma once

#include "store/ReportStore.h"

#include <QString>

struct sqlite3;

// A second, read-only connection to the same ledger file through the engine's own
// interface, with nothing of the program in between: what a statement costs at the least.
class EngineFloor
{
public:
    explicit EngineFloor(const QString &path);
    ~EngineFloor();
    EngineFloor(const EngineFloor &) = delete;
    EngineFloor &operator=(const EngineFloor &) = delete;

    struct Run
    {
        double ms = 0;
        qint64 rows = 0;
    };
    // Prepares, binds and steps through every row, reading every column as the program's
    // grid would. Empty sql costs nothing.
    Run run(const ReportStore::Statement &statement);

    // One change committed as the program commits it (rollback journal, full sync), on a
    // scratch file at path: what the disk alone makes every editing action wait for.
    static double durableCommitMs(const QString &path);

private:
    sqlite3 *m_db = nullptr;
};
