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
        const QStringList kept = copies(ledgerPath);
        if (!kept.isEmpty())
            outcome.newestCopy = kept.last();
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
