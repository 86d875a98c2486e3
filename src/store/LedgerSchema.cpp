#include "store/LedgerSchema.h"

#include "store/StoreError.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace LedgerSchema {

namespace {

const char *const schemaStatements[] = {
    // The eight columns of an entry, in this order.
    "CREATE TABLE data_main ("
    " a_date TEXT NOT NULL,"
    " a_kind INTEGER NOT NULL,"
    " a_inout INTEGER NOT NULL CHECK (a_inout IN (0, 1)),"
    " a_content TEXT NOT NULL DEFAULT '',"
    " a_count REAL NOT NULL DEFAULT 0,"
    " a_note TEXT NOT NULL DEFAULT '',"
    " a_key INTEGER NOT NULL,"
    " a_kind_name TEXT NOT NULL DEFAULT '')",
    "CREATE UNIQUE INDEX data_main_key ON data_main (a_key)",
    "CREATE INDEX data_main_date ON data_main (a_date)",
    "CREATE INDEX data_main_kind ON data_main (a_kind)",
    "CREATE INDEX data_main_content ON data_main (a_content)",
    "CREATE TABLE kind ("
    " a_kind INTEGER PRIMARY KEY AUTOINCREMENT,"
    " name TEXT NOT NULL DEFAULT '',"
    " key_order INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE data_note ("
    " a_date TEXT NOT NULL,"
    " a_note TEXT NOT NULL DEFAULT '')",
    "CREATE UNIQUE INDEX data_note_date ON data_note (a_date)",
    "CREATE TABLE inout ("
    " inout INTEGER PRIMARY KEY,"
    " text TEXT NOT NULL)",
    "INSERT INTO inout (inout, text) VALUES (0, '支出')",
    "INSERT INTO inout (inout, text) VALUES (1, '收入')",
};

void run(QSqlQuery &query, const QString &sql, const QVariantList &values = {})
{
    if (!query.prepare(sql))
        throw StoreError(QStringLiteral("資料庫錯誤：%1").arg(query.lastError().text()));
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec())
        throw StoreError(QStringLiteral("資料庫錯誤：%1").arg(query.lastError().text()));
}

} // namespace

QStringList tableNames()
{
    return { QStringLiteral("data_main"), QStringLiteral("kind"), QStringLiteral("data_note"),
        QStringLiteral("inout") };
}

QStringList starterKinds()
{
    return { QStringLiteral("餐費"), QStringLiteral("交通"), QStringLiteral("日用品"), QStringLiteral("服飾"),
        QStringLiteral("娛樂"), QStringLiteral("醫療"), QStringLiteral("居家"), QStringLiteral("教育"),
        QStringLiteral("薪資"), QStringLiteral("其他") };
}

void createLedger(const QString &path, bool withKinds)
{
    if (QFile::exists(path))
        throw StoreError(QStringLiteral("%1 已經存在，不會覆寫它。").arg(path));

    const QString name = QStringLiteral("quillory-create-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool created = false;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            created = true;
            try {
                QSqlQuery query(db);
                if (!db.transaction())
                    throw StoreError(db.lastError().text());
                for (const char *statement : schemaStatements)
                    run(query, QString::fromUtf8(statement));
                if (withKinds) {
                    int order = 0;
                    for (const QString &kind : starterKinds())
                        run(query, QStringLiteral("INSERT INTO kind (name, key_order) VALUES (?, ?)"),
                            { kind, ++order });
                }
                if (!db.commit())
                    throw StoreError(db.lastError().text());
            } catch (const StoreError &error) {
                failure = error.message();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty()) {
        if (created)
            QFile::remove(path);
        throw StoreError(QStringLiteral("無法建立新帳本 %1：%2").arg(path, failure));
    }
}

} // namespace LedgerSchema
