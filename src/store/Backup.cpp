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

Outcome backupIfDue(const QString &ledgerPath, const QDateTime &now)
{
    Outcome outcome;
    const QStringList existing = copies(ledgerPath);
    const QRegularExpression pattern = copyPattern(ledgerPath);
    if (!existing.isEmpty()) {
        const QDateTime newest = stampOf(QFileInfo(existing.last()).fileName(), pattern);
        // A copy stamped in the future (a clock set back) does not hold the next one off.
        if (newest <= now && newest.secsTo(now) < 24 * 60 * 60)
            return outcome;
    }
    QDir folder = backupFolder(ledgerPath);
    const QString finalName = folder.filePath(baseName(ledgerPath) + QLatin1Char('-') + now.toString(stampFormat)
                                              + QStringLiteral(".mdb"));
    const QString partial = finalName + QStringLiteral(".partial");
    try {
        if (!folder.exists() && !QDir().mkpath(folder.path()))
            throw StoreError(QStringLiteral("無法建立資料夾 %1").arg(folder.path()));
        // Pieces of copies that a crash or a kill cut short are of no use to anyone.
        const QStringList leftovers = folder.entryList({baseName(ledgerPath) + QStringLiteral("-*.mdb.partial")}, QDir::Files);
        for (const QString &leftover : leftovers)
            QFile::remove(folder.filePath(leftover));
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
