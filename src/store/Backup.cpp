#include "store/Backup.h"

#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

namespace Backup {

namespace {

const QString stampFormat = QStringLiteral("yyyyMMdd-HHmmss");

QDir backupFolder(const QString &ledgerPath)
{
    return QDir(QFileInfo(ledgerPath).absoluteDir().filePath(QStringLiteral("backup")));
}

QString baseName(const QString &ledgerPath)
{
    return QFileInfo(ledgerPath).completeBaseName();
}

QRegularExpression copyPattern(const QString &ledgerPath)
{
    return QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(baseName(ledgerPath))
                              + QStringLiteral("-([0-9]{8}-[0-9]{6})\\.mdb$"));
}

QDateTime stampOf(const QString &fileName, const QRegularExpression &pattern)
{
    const auto m = pattern.match(fileName);
    return m.hasMatch() ? QDateTime::fromString(m.captured(1), stampFormat) : QDateTime();
}

QString sqliteMessage(sqlite3 *db, int code)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

// Copies the ledger at source into a new file at target through the online backup. The
// source is read on a connection of its own, so the copy may run beside the program's
// connection (on another thread too) and still be a consistent picture of one moment.
void copyLedger(const QString &source, const QString &target)
{
    sqlite3 *from = nullptr;
    const QByteArray sourceName = QFile::encodeName(source);
    int rc = sqlite3_open_v2(sourceName.constData(), &from, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = sqliteMessage(from, rc);
        sqlite3_close(from);
        throw StoreError(why);
    }
    sqlite3_busy_timeout(from, 3000);
    sqlite3 *copy = nullptr;
    const QByteArray name = QFile::encodeName(target);
    rc = sqlite3_open_v2(name.constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = sqliteMessage(copy, rc);
        sqlite3_close(copy);
        sqlite3_close(from);
        throw StoreError(why);
    }
    sqlite3_backup *backup = sqlite3_backup_init(copy, "main", from, "main");
    if (backup == nullptr) {
        const QString why = sqliteMessage(copy, SQLITE_ERROR);
        sqlite3_close(copy);
        sqlite3_close(from);
        throw StoreError(why);
    }
    int attempts = 0;
    do {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(50);
    } while (rc == SQLITE_OK || ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++attempts < 100));
    sqlite3_backup_finish(backup);
    const QString why = rc == SQLITE_DONE ? QString() : sqliteMessage(copy, rc);
    sqlite3_close(copy);
    sqlite3_close(from);
    if (!why.isEmpty())
        throw StoreError(why);
}

// Opens a copy on its own and asks the engine whether every page of it is sound.
void verify(const QString &path)
{
    sqlite3 *db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QString problem;
    if (rc != SQLITE_OK) {
        problem = sqliteMessage(db, rc);
    } else {
        sqlite3_stmt *statement = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
        if (rc != SQLITE_OK) {
            problem = sqliteMessage(db, rc);
        } else {
            rc = sqlite3_step(statement);
            const auto *text = rc == SQLITE_ROW ? sqlite3_column_text(statement, 0) : nullptr;
            const QString answer = text ? QString::fromUtf8(reinterpret_cast<const char *>(text)) : QString();
            if (answer != QLatin1String("ok"))
                problem = answer.isEmpty() ? sqliteMessage(db, rc) : answer;
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    if (!problem.isEmpty())
        throw StoreError(QStringLiteral("備份檢查未通過：%1").arg(problem));
}

} // namespace

QStringList copies(const QString &ledgerPath)
{
    const QDir folder = backupFolder(ledgerPath);
    const QRegularExpression pattern = copyPattern(ledgerPath);
    QStringList found;
    const QStringList names = folder.entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (stampOf(name, pattern).isValid())
            found << folder.filePath(name);
    }
    return found; // the stamp sorts by time
}

namespace {

// What a ledger holds, in a few numbers: enough to tell two ledgers apart cheaply.
QStringList fingerprint(const QString &path)
{
    sqlite3 *db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QStringList values;
    QString problem;
    sqlite3_stmt *statement = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db,
                                "SELECT (SELECT count(*) || ' ' || total(a_count) || ' ' || ifnull(max(a_key), 0) "
                                "|| ' ' || ifnull(max(a_date), '') FROM data_main), "
                                "(SELECT count(*) || ' ' || total(length(a_content)) FROM data_main), "
                                "(SELECT count(*) || ' ' || ifnull(max(a_kind), 0) FROM kind), "
                                "(SELECT count(*) || ' ' || total(length(a_note)) FROM data_note)",
                                -1, &statement, nullptr);
    if (rc == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
        for (int column = 0; column < sqlite3_column_count(statement); ++column)
            values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)));
    } else {
        problem = sqliteMessage(db, rc);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (!problem.isEmpty())
        throw StoreError(problem);
    return values;
}

// Pieces of copies that a crash or a kill cut short (the copy and its journal) are of no
// use to anyone; they go at every start, whether a copy is due or not.
void clearLeftovers(const QString &ledgerPath)
{
    const QDir folder = backupFolder(ledgerPath);
    const QString base = baseName(ledgerPath);
    const QStringList leftovers = folder.entryList(
        {base + QStringLiteral("-*.mdb.partial"), base + QStringLiteral("-*.mdb.partial-*")}, QDir::Files | QDir::Hidden);
    for (const QString &leftover : leftovers)
        QFile::remove(folder.filePath(leftover));
}

bool sameContents(const QString &ledgerPath, const QString &copyPath)
{
    const QFileInfo ledger(ledgerPath);
    const QFileInfo copy(copyPath);
    // The online backup gives the copy as many pages as the ledger, and the copy is written
    // after the ledger's last change: anything else means the ledger changed or was replaced.
    if (ledger.size() != copy.size() || ledger.lastModified() >= copy.lastModified())
        return false;
    // A ledger copied in with its old time kept still shows in its entries.
    try {
        return fingerprint(ledgerPath) == fingerprint(copyPath);
    } catch (const StoreError &) {
        return false; // a ledger that cannot be read is worth a copy attempt (and its check)
    }
}

} // namespace

bool isDue(const QString &ledgerPath, const QDateTime &now)
{
    const QStringList existing = copies(ledgerPath);
    if (existing.isEmpty())
        return true;
    const QDateTime newest = stampOf(QFileInfo(existing.last()).fileName(), copyPattern(ledgerPath));
    // A copy stamped in the future (a clock set back) does not hold the next one off.
    if (newest > now || newest.date() < now.date())
        return true;
    return !sameContents(ledgerPath, existing.last());
}

Outcome backupIfDue(const QString &ledgerPath, const QDateTime &now)
{
    Outcome outcome;
    clearLeftovers(ledgerPath);
    if (!isDue(ledgerPath, now))
        return outcome;
    QDir folder = backupFolder(ledgerPath);
    const QString finalName = folder.filePath(baseName(ledgerPath) + QLatin1Char('-') + now.toString(stampFormat)
                                              + QStringLiteral(".mdb"));
    const QString partial = finalName + QStringLiteral(".partial");
    try {
        if (!folder.exists() && !QDir().mkpath(folder.path()))
            throw StoreError(QStringLiteral("無法建立資料夾 %1").arg(folder.path()));
        copyLedger(ledgerPath, partial);
        verify(partial);
        if (QFile::exists(finalName))
            QFile::remove(finalName);
        if (!QFile::rename(partial, finalName))
            throw StoreError(QStringLiteral("無法把備份命名為 %1").arg(finalName));
    } catch (const StoreError &error) {
        QFile::remove(partial);
        outcome.error = error.message();
        return outcome;
    }
    outcome.made = true;
    outcome.path = finalName;
    QStringList all = copies(ledgerPath);
    while (all.size() > keptCopies)
        QFile::remove(all.takeFirst());
    return outcome;
}

} // namespace Backup
