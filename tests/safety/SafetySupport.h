#pragma once

// What the fault and bad-input tests share: running as an ordinary user, a ledger folder that
// start-up has not yet opened, and a picture of everything the ledger's files hold.

#include "store/LedgerLock.h"
#include "store/LedgerSchema.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace safety {

// Root writes anywhere whatever a file's permissions say, so the read-only cases would
// prove nothing: as root, become nobody before anything is created. Needs to run before Qt
// starts, with a runtime folder of the new user's own.
inline void dropRootPrivileges()
{
    if (geteuid() != 0)
        return;
    const gid_t nogroup = 65534;
    const uid_t nobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(nogroup) != 0 || setuid(nobody) != 0) {
        std::perror("dropping root privileges");
        std::exit(2);
    }
    static std::string home = "/tmp/quillory-safety-XXXXXX";
    if (mkdtemp(home.data()) == nullptr) {
        std::perror("runtime folder");
        std::exit(2);
    }
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    std::atexit([] { QDir(QString::fromStdString(home)).removeRecursively(); });
}

inline void setMode(const QString &path, mode_t mode)
{
    if (::chmod(QFile::encodeName(path).constData(), mode) != 0)
        qFatal("chmod %s failed", qPrintable(path));
}

// A folder holding a new ledger (and no SKinds.txt), made the working directory; nothing is
// opened, so a test can run the real start-up on it or damage it first.
class LedgerFolder
{
public:
    explicit LedgerFolder(bool create = true)
        : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        if (create)
            LedgerSchema::createLedger(QStringLiteral("db1.mdb"), true);
    }
    ~LedgerFolder()
    {
        database_access::Close_DB();
        database_access::Set_Statement_Hook({});
        database_access::Set_Commit_Hook({});
        database_access::SKinds.clear();
        // Permissions taken away by a test must not keep the folder from being removed.
        setMode(m_dir.path(), 0700);
        LedgerLock::release();
        QDir::setCurrent(m_previous);
    }
    LedgerFolder(const LedgerFolder &) = delete;
    LedgerFolder &operator=(const LedgerFolder &) = delete;

    QString folder() const { return m_dir.path(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

inline QByteArray fileBytes(const QString &path)
{
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile())
        return QByteArrayLiteral("<not a file>"); // reading a pipe would wait for a writer
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Everything the ledger holds, as text, through the open connection.
inline QStringList ledgerContent()
{
    QStringList lines;
    const QStringList queries = {
        QStringLiteral("SELECT * FROM data_main ORDER BY a_key"),
        QStringLiteral("SELECT * FROM kind ORDER BY a_kind"),
        QStringLiteral("SELECT * FROM data_note ORDER BY a_date"),
        QStringLiteral("SELECT * FROM inout ORDER BY inout"),
    };
    for (const QString &sql : queries) {
        const ResultSet result = database_access::Open_Query(sql);
        for (const ResultSet::Row &row : result.rows()) {
            QStringList cells;
            for (const QVariant &value : row)
                cells << QString::fromLatin1(value.typeName()) + QLatin1Char(':') + value.toString();
            lines << cells.join(QLatin1Char('|'));
        }
        lines << QStringLiteral("--");
    }
    return lines;
}

// A second connection to a ledger, as another process would hold it.
class OtherConnection
{
public:
    explicit OtherConnection(const QString &path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("second connection: %s", qPrintable(db.lastError().text()));
    }
    ~OtherConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    OtherConnection(const OtherConnection &) = delete;
    OtherConnection &operator=(const OtherConnection &) = delete;

    bool exec(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        return query.exec(sql);
    }

private:
    const QString m_name = QStringLiteral("another-process");
};

} // namespace safety

// Like QUILLORY_TEST_MAIN, as an ordinary user.
#define SAFETY_TEST_MAIN(TestClass)                                                                                    \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        safety::dropRootPrivileges();                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        ui::setupApplication(app);                                                                                     \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
