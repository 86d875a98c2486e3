#include "support/TestLedger.h"

#include "store/LedgerLock.h"
#include "store/LedgerSchema.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"

#include <QDir>
#include <QFile>

using namespace database_access;

TestLedger::TestLedger(bool withKinds)
    : m_previousDir(QDir::currentPath())
{
    if (!m_dir.isValid())
        throw StoreError(QStringLiteral("no temporary folder"));
    QDir::setCurrent(m_dir.path());
    LedgerSchema::createLedger(QStringLiteral("db1.mdb"), withKinds);
    Base_Dir = QString();
    SKinds_File = QStringLiteral("SKinds.txt");
    Open_DB(QStringLiteral("db1.mdb"));
    Load_SKinds();
}

TestLedger::~TestLedger()
{
    Close_DB();
    // A test that ran the start-up holds the folder's lock.
    LedgerLock::release();
    Set_Statement_Hook({});
    Set_Commit_Hook({});
    SKinds.clear();
    QDir::setCurrent(m_previousDir);
}

QString TestLedger::folder() const
{
    return m_dir.path();
}

QString TestLedger::path(const QString &name) const
{
    return m_dir.filePath(name);
}

qint64 TestLedger::addKind(const QString &name, qint64 keyOrder)
{
    Exec_SQL(QStringLiteral("INSERT INTO kind (name, key_order) VALUES (?, ?)"), { name, keyOrder });
    return scalar(QStringLiteral("SELECT max(a_kind) FROM kind")).toLongLong();
}

void TestLedger::addEntry(const QString &isoDate, qint64 kind, int inout, const QString &content, double amount,
    const QString &note, qint64 key, const QString &kindName)
{
    Exec_SQL(QStringLiteral("INSERT INTO data_main VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        { isoDate, kind, inout, content, amount, note, key, kindName });
}

void TestLedger::setDayNote(const QString &isoDate, const QString &note)
{
    Exec_SQL(QStringLiteral("INSERT INTO data_note (a_date, a_note) VALUES (?, ?)"), { isoDate, note });
}

QList<QVariantList> TestLedger::rows(const QString &sql, const QVariantList &values) const
{
    const ResultSet result = Open_Query(sql, values);
    QList<QVariantList> out;
    for (const ResultSet::Row &row : result.rows())
        out.append(QVariantList(row.begin(), row.end()));
    return out;
}

QVariant TestLedger::scalar(const QString &sql, const QVariantList &values) const
{
    const ResultSet result = Open_Query(sql, values);
    if (result.rows().isEmpty() || result.rows().first().isEmpty())
        return {};
    return result.rows().first().first();
}

void TestLedger::writeSKinds(const QByteArray &content)
{
    QFile file(path(QStringLiteral("SKinds.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw StoreError(QStringLiteral("cannot write SKinds.txt"));
    file.write(content);
    file.close();
    Load_SKinds();
}

QByteArray TestLedger::readSKinds() const
{
    QFile file(path(QStringLiteral("SKinds.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

void TestLedger::reopen()
{
    Close_DB();
    Open_DB(QStringLiteral("db1.mdb"));
}
