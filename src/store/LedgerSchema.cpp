#include "store/LedgerSchema.h"

#include "store/LedgerNames.h"
#include "store/StoreError.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace LedgerSchema {

namespace {

using namespace LedgerNames;

QStringList schemaStatements()
{
    // The eight columns of an entry, in this order.
    const QString entries = QStringLiteral("CREATE TABLE %1 ("
                                           " %2 TEXT NOT NULL,"
                                           " %3 INTEGER NOT NULL,"
                                           " %4 INTEGER NOT NULL CHECK (%4 IN (0, 1)),"
                                           " %5 TEXT NOT NULL DEFAULT '',"
                                           " %6 REAL NOT NULL DEFAULT 0,"
                                           " %7 TEXT NOT NULL DEFAULT '',"
                                           " %8 INTEGER NOT NULL,"
                                           " %9 TEXT NOT NULL DEFAULT '')")
                                .arg(Entries::table, Entries::date, Entries::kind, Entries::inout, Entries::content,
                                    Entries::count, Entries::note, Entries::key, Entries::kindName);
    const auto index = [](const char *kind, QLatin1String table, QLatin1String column, const char *suffix) {
        return QStringLiteral("CREATE %1INDEX %2_%3 ON %2 (%4)")
            .arg(QLatin1String(kind), table, QLatin1String(suffix), column);
    };
    const QString direction = QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (%4, '%5')");
    return {
        entries,
        index("UNIQUE ", Entries::table, Entries::key, "key"),
        index("", Entries::table, Entries::date, "date"),
        index("", Entries::table, Entries::kind, "kind"),
        index("", Entries::table, Entries::content, "content"),
        QStringLiteral("CREATE TABLE %1 ("
                       " %2 INTEGER PRIMARY KEY AUTOINCREMENT,"
                       " %3 TEXT NOT NULL DEFAULT '',"
                       " %4 INTEGER NOT NULL DEFAULT 0)")
            .arg(Kinds::table, Kinds::id, Kinds::name, Kinds::order),
        QStringLiteral("CREATE TABLE %1 ("
                       " %2 TEXT NOT NULL,"
                       " %3 TEXT NOT NULL DEFAULT '')")
            .arg(Notes::table, Notes::date, Notes::note),
        index("UNIQUE ", Notes::table, Notes::date, "date"),
        QStringLiteral("CREATE TABLE %1 ("
                       " %2 INTEGER PRIMARY KEY,"
                       " %3 TEXT NOT NULL)")
            .arg(Directions::table, Directions::inout, Directions::text),
        direction.arg(
            Directions::table, Directions::inout, Directions::text, QStringLiteral("0"), QStringLiteral("支出")),
        direction.arg(
            Directions::table, Directions::inout, Directions::text, QStringLiteral("1"), QStringLiteral("收入")),
    };
}

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
    return { Entries::table, Kinds::table, Notes::table, Directions::table };
}

QString contentIndex()
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1_%2 ON %1 (%3)")
        .arg(Entries::table, QStringLiteral("content"), Entries::content);
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
                for (const QString &statement : schemaStatements())
                    run(query, statement);
                if (withKinds) {
                    const QString addKind = QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                                                .arg(Kinds::table, Kinds::name, Kinds::order);
                    int order = 0;
                    for (const QString &kind : starterKinds())
                        run(query, addKind, { kind, ++order });
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
