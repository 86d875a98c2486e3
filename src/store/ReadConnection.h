#pragma once

#include <QString>

#include <atomic>
#include <functional>

struct sqlite3;

namespace database_access {

// A read-only connection of its own to the open ledger, so that a long read can run on
// another thread while the windows stay live. While run() works, Open_Query on that thread
// reads through this connection; Exec_SQL there is refused, since nothing may write through
// the main connection from another thread.
class Reader
{
public:
    // Opens the ledger that is open now. Throws StoreError.
    Reader();
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // Runs work on the calling thread with Open_Query reading through this connection.
    void run(const std::function<void()> &work);
    // From any thread: the statement running stops with a StoreError, and so does every
    // later one.
    void interrupt();
    bool interrupted() const { return m_interrupted.load(); }

    // The reader whose work runs on the calling thread; null on every other thread.
    static Reader *current();
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
    std::atomic<bool> m_interrupted { false };
};

// Test seam: called with each statement's text before Open_Query runs it, on the thread
// that runs it; may wait or throw StoreError. An empty function removes the hook.
void Set_Query_Hook(std::function<void(const QString &sql)> hook);
void Run_Query_Hook(const QString &sql);

} // namespace database_access
