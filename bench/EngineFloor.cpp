#include "EngineFloor.h"

#include "store/DecimalFunctions.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <sqlite3.h>

#include <stdexcept>

namespace {

[[noreturn]] void fail(sqlite3 *db, const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

} // namespace

EngineFloor::EngineFloor(const QString &path)
{
    const QByteArray name = path.toUtf8();
    if (sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(m_db, "open");
    // The program's statements add amounts with these.
    if (!DecimalFunctions::install(m_db))
        fail(m_db, "decimal functions");
}

EngineFloor::~EngineFloor()
{
    sqlite3_close(m_db);
}

EngineFloor::Run EngineFloor::run(const ReportStore::Statement &statement)
{
    if (statement.sql.isEmpty())
        return {};
    QElapsedTimer timer;
    timer.start();
    const QByteArray sql = statement.sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        fail(m_db, "prepare");
    int index = 0;
    for (const QVariant &value : statement.values) {
        ++index;
        switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
            sqlite3_bind_int64(stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(stmt, index, value.toDouble());
            break;
        default: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    }
    volatile qint64 touched = 0;
    qint64 rows = 0;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ++rows;
        const int columns = sqlite3_column_count(stmt);
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_TEXT)
                touched = touched + sqlite3_column_bytes(stmt, c);
            else
                touched = touched + qint64(sqlite3_column_double(stmt, c));
        }
    }
    if (rc != SQLITE_DONE) {
        sqlite3_finalize(stmt);
        fail(m_db, "step");
    }
    sqlite3_finalize(stmt);
    return { double(timer.nsecsElapsed()) / 1e6, rows };
}

double EngineFloor::durableCommitMs(const QString &path)
{
    sqlite3 *db = nullptr;
    const QByteArray name = path.toUtf8();
    if (sqlite3_open(name.constData(), &db) != SQLITE_OK)
        fail(db, "open");
    const auto exec = [db](const char *sql) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(db, sql);
    };
    exec("PRAGMA synchronous = FULL");
    exec("CREATE TABLE IF NOT EXISTS t (x INTEGER)");
    exec("INSERT INTO t (x) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM t)");
    QElapsedTimer timer;
    timer.start();
    exec("UPDATE t SET x = x + 1");
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    sqlite3_close(db);
    return ms;
}
