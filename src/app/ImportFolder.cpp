#include "app/ImportFolder.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

namespace {

const QString ledgerName = QStringLiteral("db1.mdb");
const QString reportName = QStringLiteral("import-report.txt");
const QString summaryKindsName = QStringLiteral("SKinds.txt");

// The unfinished new ledger with the engine's files beside it.
bool isPiece(const QString &name)
{
    static const QStringList pieces
        = { QStringLiteral("db1-import.mdb.partial"), QStringLiteral("db1-import.mdb.partial-journal"),
              QStringLiteral("db1-import.mdb.partial-wal"), QStringLiteral("db1-import.mdb.partial-shm") };
    return pieces.contains(name);
}

bool isKeptCopy(const QString &name)
{
    return name.startsWith(QStringLiteral("db1-jet-")) && name.endsWith(QStringLiteral(".mdb"));
}

// A file the program writes whole under a temporary name first: its name, a dot and six
// characters.
bool isHalfWritten(const QString &name)
{
    if (name.size() < 8 || name.at(name.size() - 7) != QLatin1Char('.'))
        return false;
    const QString whole = name.left(name.size() - 7);
    return whole == reportName || whole == summaryKindsName || isKeptCopy(whole);
}

bool startsAsSqlite(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

} // namespace

ImportFolder::ImportFolder(const QString &folder)
    : m_folder(folder)
    , m_ledger(identityOf(QDir(folder).filePath(ledgerName)))
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    m_names = QSet<QString>(names.cbegin(), names.cend());
    for (const QString &name : { reportName, summaryKindsName }) {
        QFile file(dir.filePath(name));
        if (!file.exists())
            m_replaced.insert(name, std::nullopt);
        else if (file.open(QIODevice::ReadOnly))
            m_replaced.insert(name, file.readAll());
        // One that cannot be read cannot be written by the program either.
    }
}

std::optional<ImportFolder::Identity> ImportFolder::identityOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return Identity { quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec };
}

ImportFolder::Ledger ImportFolder::ledger() const
{
    const QString path = QDir(m_folder).filePath(ledgerName);
    const std::optional<Identity> now = identityOf(path);
    if (m_ledger && now == m_ledger)
        return Ledger::Old;
    if (now && m_ledger && (now->device != m_ledger->device || now->inode != m_ledger->inode) && startsAsSqlite(path))
        return Ledger::New;
    return Ledger::Other;
}

QStringList ImportFolder::putBack() const
{
    const QDir dir(m_folder);
    QStringList failed;
    // The report first: none may claim a ledger that is not in place.
    for (auto it = m_replaced.cbegin(); it != m_replaced.cend(); ++it) {
        const QString path = dir.filePath(it.key());
        if (!it.value()) {
            if (QFile::exists(path) && !QFile::remove(path))
                failed << it.key();
            continue;
        }
        QFile now(path);
        if (now.open(QIODevice::ReadOnly) && now.readAll() == *it.value())
            continue;
        now.close();
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(*it.value()) != it.value()->size() || !file.commit())
            failed << it.key();
    }
    const bool oldInPlace = ledger() == Ledger::Old;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const bool made = isPiece(name) || (isNew(name) && (isHalfWritten(name) || (oldInPlace && isKeptCopy(name))));
        if (made && !QFile::remove(dir.filePath(name)))
            failed << name;
    }
    return failed;
}

void ImportFolder::clearPieces() const
{
    const QDir dir(m_folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (isPiece(name) || (isNew(name) && isHalfWritten(name)))
            QFile::remove(dir.filePath(name));
    }
}
