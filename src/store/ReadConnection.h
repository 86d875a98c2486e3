#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

struct sqlite3;

namespace database_access {

// A read-only connection of its own to the open ledger, so that a long read can run on
// another thread while the windows stay live. The connection is opened and closed by run(),
// on the thread that reads, and sees only what the ledger's connection has committed. While
// run() works, Open_Query on that thread reads through it; Exec_SQL there is refused, since
// nothing may write through the main connection from another thread.
class Reader
{
public:
    // Takes the file of the ledger open now; opens nothing yet. Throws StoreError when no
    // ledger is open.
    Reader();
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // Opens the connection on the calling thread, runs work there with Open_Query reading
    // through it, and closes it again, whatever work throws. Throws StoreError.
    void run(const std::function<void()> &work);
    // From any thread: the statement running stops with a StoreError, and so does every
    // later one, also one that has not started yet.
    void interrupt();
    bool interrupted() const { return m_interrupted.load(); }

    // The reader whose work runs on the calling thread; null on every other thread.
    static Reader *current();
    // The connection, on the thread inside run(); null elsewhen.
    sqlite3 *handle() const { return m_db; }
    // Connections of readers open now, in the whole program (a leak shows here).
    static int openConnections();

private:
    void open();
    void close();

    QByteArray m_file;
    sqlite3 *m_db = nullptr;
    // Guards m_db against closing while another thread interrupts it.
    std::mutex m_lock;
    std::atomic<bool> m_interrupted { false };
};

// Test seam: called with each statement's text before Open_Query runs it, on the thread
// that runs it; may wait or throw StoreError. An empty function removes the hook.
void Set_Query_Hook(std::function<void(const QString &sql)> hook);
void Run_Query_Hook(const QString &sql);

} // namespace database_access
