#include "store/ReadConnection.h"

#include "store/DecimalFunctions.h"
#include "store/StoreError.h"
#include "store/database_access.h"

#include <sqlite3.h>

namespace database_access {

namespace {

thread_local Reader *readerOfThread = nullptr;
std::atomic<int> openReaders { 0 };

std::function<void(const QString &)> &queryHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

QString engineText(sqlite3 *db)
{
    return QString::fromUtf8(db != nullptr ? sqlite3_errmsg(db) : "out of memory");
}

} // namespace

Reader::Reader()
{
    const char *file = sqlite3_db_filename(Native_Handle(), "main");
    if (file == nullptr || *file == '\0')
        throw StoreError(QStringLiteral("帳本資料庫尚未開啟。"));
    m_file = QByteArray(file);
}

Reader::~Reader()
{
    // run() closes what it opens; this is only a last guard.
    close();
}

void Reader::open()
{
    sqlite3 *db = nullptr;
    // A private cache (never the shared one) so that nothing uncommitted is ever read.
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_PRIVATECACHE;
    if (sqlite3_open_v2(m_file.constData(), &db, flags, nullptr) != SQLITE_OK) {
        const QString why = engineText(db);
        sqlite3_close(db);
        throw StoreError(QStringLiteral("資料庫錯誤：%1").arg(why));
    }
    ++openReaders;
    sqlite3_busy_timeout(db, 3000);
    // Every few thousand steps of the engine ask whether the person gave up waiting.
    sqlite3_progress_handler(
        db, 4000, [](void *self) { return static_cast<Reader *>(self)->interrupted() ? 1 : 0; }, this);
    if (!DecimalFunctions::install(db)) {
        sqlite3_close(db);
        --openReaders;
        throw StoreError(QStringLiteral("無法在資料庫連線上登記金額的加總函式。"));
    }
    const std::lock_guard<std::mutex> hold(m_lock);
    m_db = db;
}

void Reader::close()
{
    sqlite3 *db = nullptr;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        db = m_db;
        m_db = nullptr;
    }
    if (db != nullptr) {
        // Every statement of Open_Query is finalized before it returns or throws.
        sqlite3_close(db);
        --openReaders;
    }
}

void Reader::run(const std::function<void()> &work)
{
    if (interrupted())
        throw StoreError(QStringLiteral("資料庫錯誤：interrupted"));
    open();
    Reader *previous = readerOfThread;
    readerOfThread = this;
    try {
        work();
    } catch (...) {
        readerOfThread = previous;
        close();
        throw;
    }
    readerOfThread = previous;
    close();
}

void Reader::interrupt()
{
    m_interrupted.store(true);
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_db != nullptr)
        sqlite3_interrupt(m_db);
}

Reader *Reader::current()
{
    return readerOfThread;
}

int Reader::openConnections()
{
    return openReaders.load();
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
