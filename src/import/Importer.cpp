#include "import/Importer.h"

#include "import/ImportCheck.h"
#include "import/ImportLog.h"
#include "import/ImportPlan.h"
#include "jet/JetDatabase.h"
#include "jet/JetError.h"
#include "store/LedgerSchema.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <cstdio>
#include <optional>

namespace {

// Access files never grow beyond 2 GB.
constexpr qint64 largestOldFile = qint64(2) * 1024 * 1024 * 1024;

QString nothingChanged()
{
    return QStringLiteral("資料夾裡的檔案都沒有更動。");
}

QByteArray readOld(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("無法讀取舊帳本檔 %1：%2").arg(path, file.errorString()));
    if (file.size() > largestOldFile)
        throw ImportError(QStringLiteral("%1 大於 2 GB，不是 Access 2000 的資料庫檔，無法轉入。").arg(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ImportError(QStringLiteral("無法讀取舊帳本檔 %1：%2").arg(path, file.errorString()));
    return bytes;
}

void writeWhole(const QString &path, const QByteArray &bytes, const QString &what)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ImportError(QStringLiteral("無法寫入%1 %2：%3").arg(what, path, file.errorString()));
}

// What has been put into the folder so far, taken out again unless the import completes.
class Undo
{
public:
    ~Undo()
    {
        if (m_done)
            return;
        database_access::Close_DB();
        for (const QString &path : m_created)
            QFile::remove(path);
        for (auto it = m_replaced.cbegin(); it != m_replaced.cend(); ++it) {
            QSaveFile file(it.key());
            if (file.open(QIODevice::WriteOnly) && file.write(it.value()) == it.value().size())
                file.commit();
        }
    }
    void created(const QString &path) { m_created << path; }
    // Keeps what a file held, or marks it as new when there was none.
    void replacing(const QString &path)
    {
        QFile file(path);
        if (!file.exists())
            created(path);
        else if (file.open(QIODevice::ReadOnly))
            m_replaced.insert(path, file.readAll());
        else
            throw ImportError(QStringLiteral("無法讀取 %1：%2").arg(path, file.errorString()));
    }
    void done() { m_done = true; }

private:
    QStringList m_created;
    QMap<QString, QByteArray> m_replaced;
    bool m_done = false;
};

QString copyNameIn(const QDir &folder)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = QStringLiteral("db1-jet-%1.mdb").arg(stamp);
    for (int n = 2; folder.exists(name); ++n)
        name = QStringLiteral("db1-jet-%1-%2.mdb").arg(stamp).arg(n);
    return name;
}

WrittenLedger writeLedger(const QString &path, const ImportPlan &plan)
{
    LedgerSchema::createLedger(path, false);
    database_access::Open_DB(path);
    ImportStore::fill(plan.contents);
    WrittenLedger written;
    written.contents = ImportStore::readAll();
    written.sums = ImportStore::yearSums();
    written.integrity = ImportStore::integrityCheck();
    database_access::Close_DB();
    return written;
}

// The summary kinds beside the old file go with it, ids as they are.
std::optional<QByteArray> summaryKindsFor(const QString &oldFolder, ImportPlan &plan)
{
    QFile file(QDir(oldFolder).filePath(QStringLiteral("SKinds.txt")));
    if (!file.exists()) {
        plan.notices << QStringLiteral("舊檔旁沒有 SKinds.txt，新帳本沒有結算分類。");
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("無法讀取 %1：%2").arg(file.fileName(), file.errorString()));
    const QByteArray content = file.readAll();
    QSet<qint64> ids;
    for (const KindStore::Kind &kind : plan.contents.kinds)
        ids.insert(kind.id);
    QStringList unknown;
    for (qint64 id : database_access::Parse_SKinds_Line(database_access::Last_SKinds_Line(content))) {
        if (id == 0)
            break;
        if (!ids.contains(id))
            unknown << QString::number(id);
    }
    plan.notices << QStringLiteral("SKinds.txt（結算分類）照原樣沿用，分類編號不變%1。")
                        .arg(unknown.isEmpty() ? QString()
                                               : QStringLiteral("；其中的分類 %1 在 kind 表裡已經沒有")
                                                     .arg(unknown.join(QStringLiteral("、"))));
    return content;
}

void run(const ImportRequest &request, ImportOutcome &outcome)
{
    const QFileInfo old(request.oldFile);
    if (!old.isFile())
        throw ImportError(QStringLiteral("找不到舊帳本檔 %1。").arg(request.oldFile));
    const QDir folder(request.folder.isEmpty() ? old.absolutePath() : request.folder);
    if (!folder.exists())
        throw ImportError(QStringLiteral("找不到資料夾 %1。").arg(folder.path()));
    const QString target = folder.absoluteFilePath(QStringLiteral("db1.mdb"));
    const QString partial = folder.absoluteFilePath(partialLedgerName());
    const bool overOld = QFileInfo(target).canonicalFilePath() == old.canonicalFilePath();
    if (!overOld && QFileInfo::exists(target))
        throw ImportError(
            QStringLiteral("資料夾 %1 裡已經有 db1.mdb，不會覆蓋它；請轉入到另一個資料夾。").arg(folder.path()));
    // What an earlier try left unfinished; its journal first, which must never be taken for
    // the journal of the new file.
    for (const QString &piece : { partial + QStringLiteral("-journal"), partial }) {
        if (QFileInfo::exists(piece) && !QFile::remove(piece))
            throw ImportError(QStringLiteral("無法清除上次沒有完成的 %1。").arg(piece));
    }

    const QByteArray bytes = readOld(old.absoluteFilePath());
    const JetDatabase db(bytes);
    ImportPlan plan = planImport(db, request.progress);
    const bool sameFolder
        = QFileInfo(old.absolutePath()).canonicalFilePath() == QFileInfo(folder.absolutePath()).canonicalFilePath();
    const std::optional<QByteArray> summaryKinds = summaryKindsFor(old.absolutePath(), plan);

    Undo undo;
    const QString copyName = copyNameIn(folder);
    const QString copy = folder.absoluteFilePath(copyName);
    undo.created(copy);
    writeWhole(copy, bytes, QStringLiteral("舊帳本的備份"));
    undo.created(partial);
    const WrittenLedger written = writeLedger(partial, plan);
    const QStringList differences = differencesOf(plan, written);
    outcome.report = importReport(plan, written, differences, old.absoluteFilePath(), copyName);
    if (!differences.isEmpty())
        throw ImportError(QStringLiteral("新帳本和舊檔核對不符（%1），沒有轉入。").arg(differences.first()));

    if (summaryKinds && !sameFolder) {
        const QString path = folder.absoluteFilePath(QStringLiteral("SKinds.txt"));
        undo.replacing(path);
        writeWhole(path, *summaryKinds, QStringLiteral("結算分類檔"));
    }
    const QString reportPath = folder.absoluteFilePath(QStringLiteral("import-report.txt"));
    undo.replacing(reportPath);
    writeWhole(reportPath, outcome.report.toUtf8(), QStringLiteral("轉入報告"));
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0)
        throw ImportError(QStringLiteral("無法把新帳本改名成 %1。").arg(target));
    undo.done();
    outcome.ok = true;
}

} // namespace

QString partialLedgerName()
{
    return QStringLiteral("db1-import.mdb.partial");
}

QString notALedgerBecause(const QString &oldFile)
{
    const JetDatabase db(readOld(oldFile));
    QStringList missing;
    for (const QString &table : { QStringLiteral("data_main"), QStringLiteral("kind") })
        if (!db.hasTable(table))
            missing << table;
    if (missing.isEmpty())
        return {};
    const QStringList found = db.tableNames();
    QString has = found.mid(0, 10).join(QStringLiteral("、"));
    if (found.size() > 10)
        has += QStringLiteral(" 等 %1 個").arg(found.size());
    return QStringLiteral("%1 是 Access 資料庫，但不是舊的帳本：裡面沒有帳本的表格 %2（%3）。")
        .arg(QFileInfo(oldFile).fileName(), missing.join(QStringLiteral("、")),
            found.isEmpty() ? QStringLiteral("它沒有任何表格") : QStringLiteral("它的表格是 ") + has);
}

ImportOutcome importOldLedger(const ImportRequest &request)
{
    ImportOutcome outcome;
    try {
        run(request, outcome);
        return outcome;
    } catch (const ImportError &error) {
        outcome.message = error.message();
    } catch (const JetError &error) {
        outcome.message = error.message();
    } catch (const StoreError &error) {
        outcome.message = QStringLiteral("寫入新帳本時發生錯誤：%1").arg(error.message());
    }
    outcome.message += QLatin1Char(' ') + nothingChanged();
    // Said before the person's message, which stays the last line the caller reads.
    qCWarning(lcImport).noquote() << "not brought over:" << outcome.message;
    return outcome;
}
