#include "store/database_access.h"

#include "store/DecimalFunctions.h"
#include "store/EngineStatement.h"
#include "store/LedgerLayout.h"
#include "store/LedgerSchema.h"
#include "store/ReadConnection.h"
#include "store/StoreLog.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include <sqlite3.h>

namespace database_access {

QString Base_Dir;
QString DB_Path;

namespace {

const QString connectionName = QStringLiteral("quillory");

std::function<void(const QString &)> &statementHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

// Why changes are refused; empty while the ledger may be written.
QString &writeRefusal()
{
    static QString why;
    return why;
}

void checkWritesAllowed()
{
    if (!writeRefusal().isEmpty())
        throw StoreError(writeRefusal());
}

std::function<void()> &commitHook()
{
    static std::function<void()> hook;
    return hook;
}

QSqlDatabase connection()
{
    if (!QSqlDatabase::contains(connectionName))
        throw StoreError(QStringLiteral("帳本資料庫尚未開啟。"));
    return QSqlDatabase::database(connectionName, false);
}

QString engineMessage(const QSqlError &error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    if (text.isEmpty())
        text = error.driverText();
    return text;
}

// Rolls back the transaction open on db. Empty when that is done, or when the engine had
// already rolled it back on its own (as it does after some failed writes); otherwise why not.
QString rollBack(QSqlDatabase &db)
{
    if (sqlite3_get_autocommit(Native_Handle()) != 0)
        return {};
    if (db.rollback())
        return {};
    const QString why = engineMessage(db.lastError());
    return why.isEmpty() ? QStringLiteral("rollback refused") : why;
}

[[noreturn]] void refuseOpen(const QString &path, const QString &why)
{
    Close_DB();
    throw StoreError(QStringLiteral("無法開啟帳本資料庫 %1：%2").arg(path, why));
}

} // namespace

void Open_DB(const QString &path)
{
    Close_DB();
    writeRefusal().clear();
    // A missing file must not be created: open read-write only, through a file URI.
    const QString uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded)
        + QStringLiteral("?mode=rw");
    QString openError;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(uri);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
        if (!db.open()) {
            openError = engineMessage(db.lastError());
            if (openError.isEmpty())
                openError = QStringLiteral("unable to open database file");
        }
    }
    // Refused only once the handle above is gone, so the connection can be removed cleanly.
    if (!openError.isEmpty())
        refuseOpen(path, openError);
    // A file that is not SQLite still opens; the first read tells.
    try {
        const ResultSet tables = Open_Query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
        QStringList names;
        for (const ResultSet::Row &row : tables.rows())
            names << row.value(0).toString().toLower();
        for (const QString &required : LedgerSchema::tableNames()) {
            if (!names.contains(required))
                refuseOpen(path, QStringLiteral("檔案裡沒有帳本的資料表 %1。").arg(required));
        }
        // Checked before anything is written, so that a file refused here stays as it was.
        const QString layoutProblem = LedgerLayout::problem();
        if (!layoutProblem.isEmpty())
            refuseOpen(path, layoutProblem);
        // Every committed change is on disk before the statement returns.
        Exec_SQL(QStringLiteral("PRAGMA synchronous = FULL"));
        // A ledger that another tool switched to write-ahead logging goes back to the rollback
        // journal, its logged changes folded into the file: then db1.mdb, with db1.mdb-journal
        // after a crash, holds the whole ledger again.
        if (Open_Query(QStringLiteral("PRAGMA journal_mode")).rows().value(0).value(0).toString().toLower()
            == QLatin1String("wal")) {
            QString mode;
            try {
                mode = Open_Query(QStringLiteral("PRAGMA journal_mode = DELETE")).rows().value(0).value(0).toString();
            } catch (const StoreError &error) {
                mode = error.message();
            }
            if (mode.toLower() != QLatin1String("delete"))
                refuseOpen(path,
                    QStringLiteral("帳本被其他程式改成 WAL 模式，而且現在無法改回一般的日誌模式"
                                   "（可能另一個程式正開著它）。請關閉其他程式後再開啟。%1")
                        .arg(mode.toLower() == QLatin1String("wal") ? QString() : mode));
        }
    } catch (const StoreError &error) {
        if (!Is_Open())
            throw;
        refuseOpen(path, error.message());
    }
    // Every sum of amounts the windows ask for is added up exactly, by these.
    if (!DecimalFunctions::install(Native_Handle()))
        refuseOpen(path, QStringLiteral("無法在資料庫連線上登記金額的加總函式。"));
    // Ledgers made before descriptions were indexed get the index once; one that cannot be
    // written (read-only) simply goes without it.
    try {
        Exec_SQL(LedgerSchema::contentIndex());
    } catch (const StoreError &error) {
        qCInfo(lcStore).noquote() << "descriptions left without their index:" << error.message();
    }
    DB_Path = path;
}

void Close_DB()
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

bool Is_Open()
{
    return QSqlDatabase::contains(connectionName) && QSqlDatabase::database(connectionName, false).isOpen();
}

bool Table_Exists(QLatin1String table)
{
    return Open_Query(
               QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"), { QString(table) })
               .rowCount()
        > 0;
}

ResultSet Open_Query(const QString &sql, const QVariantList &values)
{
    // Straight on the engine's own interface rather than through QSqlQuery: a range query of
    // a whole ledger returns hundreds of thousands of values, and the driver's caching row by
    // row cost more than the engine's work.
    Run_Query_Hook(sql);
    Reader *reader = Reader::current();
    if (reader != nullptr && reader->interrupted())
        throw StoreError(QStringLiteral("資料庫錯誤：interrupted"));
    EngineStatement statement(reader != nullptr ? reader->handle() : Native_Handle(), sql, values);
    if (!statement.isStatement())
        return ResultSet();
    const int width = statement.columnCount();
    QStringList columns;
    columns.reserve(width);
    for (int i = 0; i < width; ++i)
        columns << statement.columnName(i).remove(QLatin1Char('"'));

    QVector<ResultSet::Row> rows;
    while (statement.next()) {
        ResultSet::Row row;
        row.reserve(width);
        for (int i = 0; i < width; ++i)
            row.append(statement.value(i));
        rows.append(std::move(row));
    }
    return ResultSet(std::move(columns), std::move(rows));
}

qint64 Exec_SQL(const QString &sql, const QVariantList &values)
{
    if (Reader::current() != nullptr)
        throw StoreError(QStringLiteral("資料庫錯誤：唯讀的連線不能寫入。"));
    checkWritesAllowed();
    if (statementHook())
        statementHook()(sql);
    // On the engine's interface too, not QSqlQuery: the driver binds texts as UTF-16, which
    // loses a leading U+FEFF and byte-swaps a text that starts with U+FFFE.
    sqlite3 *db = Native_Handle();
    EngineStatement statement(db, sql, values);
    while (statement.next()) { }
    return statement.isStatement() ? qint64(sqlite3_changes64(db)) : 0;
}

void Exec_SQL_Rows(const QString &sql, qsizetype count, const std::function<QVariantList(qsizetype)> &valuesOf)
{
    if (count == 0)
        return;
    if (Reader::current() != nullptr)
        throw StoreError(QStringLiteral("資料庫錯誤：唯讀的連線不能寫入。"));
    checkWritesAllowed();
    EngineStatement statement(Native_Handle(), sql, valuesOf(0));
    for (qsizetype i = 0; i < count; ++i) {
        if (statementHook())
            statementHook()(sql);
        if (i > 0)
            statement.rebind(valuesOf(i));
        while (statement.next()) { }
    }
}

Transaction::Transaction()
{
    checkWritesAllowed();
    QSqlDatabase db = connection();
    if (!db.transaction())
        throw StoreError(QStringLiteral("資料庫錯誤：%1").arg(engineMessage(db.lastError())));
    m_open = true;
}

Transaction::~Transaction()
{
    if (!m_open || !Is_Open())
        return;
    // Nothing may be thrown from here; the engine also rolls back what is still open when
    // the connection closes.
    try {
        QSqlDatabase db = connection();
        const QString stuck = rollBack(db);
        if (!stuck.isEmpty())
            qCWarning(lcStore) << "rolling back an unfinished transaction failed:" << stuck;
    } catch (...) {
        // Out of memory while telling it: the connection's close still rolls back.
    }
}

void Transaction::commit()
{
    Q_ASSERT_X(m_open, "Transaction::commit", "a transaction is committed once");
    QSqlDatabase db = connection();
    // A failure here leaves the transaction open, so the destructor rolls it back.
    if (commitHook())
        commitHook()();
    if (!db.commit()) {
        const QString why = engineMessage(db.lastError());
        m_open = false;
        const QString stuck = rollBack(db);
        if (!stuck.isEmpty()) {
            qCWarning(lcStore) << "rolling back after a failed commit failed:" << stuck;
            throw StoreError(QStringLiteral("資料庫錯誤：%1\n變更也無法復原：%2").arg(why, stuck));
        }
        throw StoreError(QStringLiteral("資料庫錯誤：%1").arg(why));
    }
    m_open = false;
}

void Refuse_Writes(const QString &why)
{
    writeRefusal() = why;
    // The engine refuses too, so that no way round the routines above can write.
    EngineStatement statement(Native_Handle(), QStringLiteral("PRAGMA query_only = ON"), {});
    while (statement.next()) { }
}

sqlite3 *Native_Handle()
{
    const QVariant handle = connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw StoreError(QStringLiteral("資料庫驅動程式沒有提供 SQLite 的連線。"));
    sqlite3 *native = *static_cast<sqlite3 *const *>(handle.constData());
    if (native == nullptr)
        throw StoreError(QStringLiteral("帳本資料庫尚未開啟。"));
    return native;
}

void Set_Statement_Hook(std::function<void(const QString &sql)> hook)
{
    statementHook() = std::move(hook);
}

void Set_Commit_Hook(std::function<void()> hook)
{
    commitHook() = std::move(hook);
}

} // namespace database_access
