#include "store/Backup.h"

#include "store/StoreError.h"
#include "store/StoreLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <memory>

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

// The engine's handles, each given back to it when it goes out of scope, however the
// function holding it ends.
struct CloseConnection
{
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};
struct FinishBackup
{
    void operator()(sqlite3_backup *backup) const { sqlite3_backup_finish(backup); }
};
struct FinalizeStatement
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, CloseConnection>;
using BackupRun = std::unique_ptr<sqlite3_backup, FinishBackup>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// Opens a file on a connection of its own. Empty, with why it failed in problem, when the
// engine cannot open it.
Connection openFile(const QString &path, int flags, QString &problem)
{
    sqlite3 *handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(name.constData(), &handle, flags, nullptr);
    // The engine hands out a handle even when the open fails; it is closed all the same.
    Connection db(handle);
    if (rc == SQLITE_OK)
        return db;
    problem = sqliteMessage(db.get(), rc);
    return {};
}

// Copies the ledger at source into a new file at target through the online backup. The
// source is read on a connection of its own, so the copy may run beside the program's
// connection (on another thread too) and still be a consistent picture of one moment.
void copyLedger(const QString &source, const QString &target)
{
    QString problem;
    const Connection from = openFile(source, SQLITE_OPEN_READONLY, problem);
    if (!from)
        throw StoreError(problem);
    sqlite3_busy_timeout(from.get(), 3000);
    const Connection copy = openFile(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, problem);
    if (!copy)
        throw StoreError(problem);
    BackupRun backup(sqlite3_backup_init(copy.get(), "main", from.get(), "main"));
    if (!backup)
        throw StoreError(sqliteMessage(copy.get(), SQLITE_ERROR));
    int rc = SQLITE_OK;
    int attempts = 0;
    do {
        rc = sqlite3_backup_step(backup.get(), -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(50);
    } while (rc == SQLITE_OK || ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++attempts < 100));
    // Finished before the message is read: finishing leaves the copy's connection with the
    // backup's own error.
    backup.reset();
    if (rc != SQLITE_DONE)
        throw StoreError(sqliteMessage(copy.get(), rc));
}

// Why the copy at path is not sound, empty when it is: the engine opens it on its own and
// checks every page.
QString integrityProblem(const QString &path)
{
    QString problem;
    const Connection db = openFile(path, SQLITE_OPEN_READONLY, problem);
    if (!db)
        return problem;
    sqlite3_stmt *prepared = nullptr;
    int rc = sqlite3_prepare_v2(db.get(), "PRAGMA integrity_check", -1, &prepared, nullptr);
    const Statement statement(prepared);
    if (rc != SQLITE_OK)
        return sqliteMessage(db.get(), rc);
    rc = sqlite3_step(statement.get());
    const auto *text = rc == SQLITE_ROW ? sqlite3_column_text(statement.get(), 0) : nullptr;
    const QString answer = text ? QString::fromUtf8(reinterpret_cast<const char *>(text)) : QString();
    if (answer == QLatin1String("ok"))
        return {};
    return answer.isEmpty() ? sqliteMessage(db.get(), rc) : answer;
}

void verify(const QString &path)
{
    const QString problem = integrityProblem(path);
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

// Pieces of copies that a crash or a kill cut short (the copy and its journal) are of no
// use to anyone; they go at every start, whether a copy is due or not.
void clearLeftovers(const QString &ledgerPath)
{
    const QDir folder = backupFolder(ledgerPath);
    const QString base = baseName(ledgerPath);
    const QStringList leftovers
        = folder.entryList({ base + QStringLiteral("-*.mdb.partial"), base + QStringLiteral("-*.mdb.partial-*") },
            QDir::Files | QDir::Hidden);
    for (const QString &leftover : leftovers)
        QFile::remove(folder.filePath(leftover));
}

// The header fields that the engine rewrites in every file it commits to: the change
// counter and the version it is valid for, and the schema cookie that the online backup
// moves on in the copy on purpose. Everything else in the file is the ledger's content.
bool headerByteDiffers(int offset)
{
    return (offset >= 24 && offset < 28) || (offset >= 40 && offset < 44) || (offset >= 92 && offset < 96);
}

// Whether the ledger holds exactly what the copy holds. The online backup copies every page
// as it is, so an unchanged ledger and its copy agree byte for byte outside those header
// fields, whatever their times say: a change or another ledger put in its place always shows,
// even one that kept the size and the old time. Times are not asked at all, since two files
// written in the same clock tick carry the same time.
bool sameContents(const QString &ledgerPath, const QString &copyPath)
{
    QFile ledger(ledgerPath);
    QFile copy(copyPath);
    if (ledger.size() != copy.size() || !ledger.open(QIODevice::ReadOnly) || !copy.open(QIODevice::ReadOnly))
        return false; // a ledger that cannot be read is worth a copy attempt (and its check)
    // Changes still waiting in a write-ahead log are not in the file itself.
    if (QFileInfo(ledgerPath + QStringLiteral("-wal")).size() > 0)
        return false;
    constexpr qint64 chunk = 1 << 16;
    qint64 offset = 0;
    while (true) {
        const QByteArray mine = ledger.read(chunk);
        const QByteArray theirs = copy.read(chunk);
        if (mine.size() != theirs.size())
            return false;
        if (mine.isEmpty())
            return !ledger.error() && !copy.error() && offset > 0;
        if (mine != theirs) {
            if (offset >= 100)
                return false;
            for (qsizetype i = 0; i < mine.size(); ++i) {
                if (mine[i] != theirs[i] && (offset + i >= 100 || !headerByteDiffers(int(offset + i))))
                    return false;
            }
        }
        offset += mine.size();
    }
}

} // namespace

bool isDue(const QString &ledgerPath, const QDateTime &now)
{
    const QStringList existing = copies(ledgerPath);
    const QRegularExpression pattern = copyPattern(ledgerPath);
    // A copy stamped in the future (a clock set back) does not hold the next one off.
    for (qsizetype i = existing.size() - 1; i >= 0; --i) {
        const QDateTime stamp = stampOf(QFileInfo(existing.at(i)).fileName(), pattern);
        if (stamp <= now)
            return stamp.date() < now.date() || !sameContents(ledgerPath, existing.at(i));
    }
    return true;
}

Outcome backupIfDue(const QString &ledgerPath, const QDateTime &now)
{
    Outcome outcome;
    clearLeftovers(ledgerPath);
    if (!isDue(ledgerPath, now))
        return outcome;
    QDir folder = backupFolder(ledgerPath);
    const QString finalName
        = folder.filePath(baseName(ledgerPath) + QLatin1Char('-') + now.toString(stampFormat) + QStringLiteral(".mdb"));
    const QString partial = finalName + QStringLiteral(".partial");
    try {
        if (!folder.exists() && !QDir().mkpath(folder.path()))
            throw StoreError(QStringLiteral("無法建立資料夾 %1").arg(folder.path()));
        try {
            copyLedger(ledgerPath, partial);
            verify(partial);
        } catch (const StoreError &) {
            // The copy holds the ledger's pages as they are, so a copy that fails its check most
            // often means the ledger itself is damaged; the ledger's own check tells for sure.
            try {
                verify(ledgerPath);
            } catch (const StoreError &) {
                outcome.ledgerDamaged = true;
            }
            throw;
        }
        if (QFile::exists(finalName))
            QFile::remove(finalName);
        if (!QFile::rename(partial, finalName))
            throw StoreError(QStringLiteral("無法把備份命名為 %1").arg(finalName));
    } catch (const StoreError &error) {
        QFile::remove(partial);
        outcome.error = error.message();
        qCWarning(lcBackup).noquote() << "backup of" << ledgerPath << "failed:" << error.message()
                                      << (outcome.ledgerDamaged ? "(the ledger itself fails its check)" : "");
        const QStringList kept = copies(ledgerPath);
        if (!kept.isEmpty())
            outcome.newestCopy = kept.last();
        return outcome;
    }
    outcome.made = true;
    outcome.path = finalName;
    QStringList all = copies(ledgerPath);
    const QDateTime newest = stampOf(QFileInfo(all.last()).fileName(), copyPattern(ledgerPath));
    if (newest > now) {
        // The clock is behind: by their names the copy just made would be the oldest. Keep
        // every copy until the clock is right again, rather than drop a recent one.
        outcome.clockBehind = newest;
        return outcome;
    }
    all.removeAll(finalName); // never the copy just made, whatever the names say
    while (all.size() >= keptCopies)
        QFile::remove(all.takeFirst());
    return outcome;
}

} // namespace Backup
