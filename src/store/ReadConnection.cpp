#include "store/ReadConnection.h"

#include "store/DecimalFunctions.h"
#include "store/StoreError.h"
#include "store/database_access.h"

#include <sqlite3.h>

namespace database_access {

namespace {

thread_local Reader *readerOfThread = nullptr;

std::function<void(const QString &)> &queryHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

} // namespace

Reader::Reader()
{
    const char *file = sqlite3_db_filename(Native_Handle(), "main");
    if (file == nullptr || *file == '\0')
        throw StoreError(QStringLiteral("帳本資料庫尚未開啟。"));
    if (sqlite3_open_v2(file, &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const QString why = QString::fromUtf8(m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw StoreError(QStringLiteral("資料庫錯誤：%1").arg(why));
    }
    sqlite3_busy_timeout(m_db, 3000);
    // Every few thousand steps of the engine ask whether the person gave up waiting.
    sqlite3_progress_handler(
        m_db, 4000, [](void *self) { return static_cast<Reader *>(self)->interrupted() ? 1 : 0; }, this);
    if (!DecimalFunctions::install(m_db)) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw StoreError(QStringLiteral("無法在資料庫連線上登記金額的加總函式。"));
    }
}

Reader::~Reader()
{
    sqlite3_close(m_db);
}

void Reader::run(const std::function<void()> &work)
{
    Reader *previous = readerOfThread;
    readerOfThread = this;
    try {
        work();
    } catch (...) {
        readerOfThread = previous;
        throw;
    }
    readerOfThread = previous;
}

void Reader::interrupt()
{
    m_interrupted.store(true);
    sqlite3_interrupt(m_db);
}

Reader *Reader::current()
{
    return readerOfThread;
}

void Set_Query_Hook(std::function<void(const QString &sql)> hook)
{
    queryHook() = std::move(hook);
}

void Run_Query_Hook(const QString &sql)
{
    if (queryHook())
        queryHook()(sql);
}

} // namespace database_access
