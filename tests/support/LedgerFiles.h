#pragma once

// A ledger's files as bytes, and what it holds as text: read through the open connection, or
// through the engine directly as another tool would.

#include "store/StoreError.h"
#include "store/database_access.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <functional>

#include <sqlite3.h>

namespace testing {

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile())
        return QByteArrayLiteral("<not a file>"); // reading a pipe would wait for a writer
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<missing>");
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
    for (const char *table :
        { "data_main ORDER BY a_key", "kind ORDER BY a_kind", "data_note ORDER BY a_date", "inout ORDER BY inout" }) {
        for (const ResultSet::Row &row :
            database_access::Open_Query(QStringLiteral("SELECT * FROM ") + QLatin1String(table)).rows())
            for (const QVariant &value : row)
                lines << QString::fromLatin1(value.typeName()) + QLatin1Char(':') + value.toString();
        lines << QStringLiteral("--");
    }
    return lines;
}

// The message the store refused a piece of work with, or "went through".
inline QString refusal(const std::function<void()> &work)
{
    try {
        work();
    } catch (const StoreError &error) {
        return error.message();
    }
    return QStringLiteral("went through");
}

// Runs statements on a file through the engine directly, as another tool would: the first value
// of the last row given, or why a statement failed. With keep, the connection stays open (holding
// whatever it began) and is handed back.
inline QString onFile(const QString &path, const QString &statements, sqlite3 **keep = nullptr)
{
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    QString answer;
    char *failure = nullptr;
    const auto lastValue = [](void *out, int, char **values, char **) {
        *static_cast<QString *>(out) = QString::fromUtf8(values[0]);
        return 0;
    };
    if (sqlite3_exec(db, statements.toUtf8().constData(), lastValue, &answer, &failure) != SQLITE_OK)
        answer = QStringLiteral("failed: %1").arg(QString::fromUtf8(failure));
    sqlite3_free(failure);
    if (keep != nullptr)
        *keep = db;
    else
        sqlite3_close(db);
    return answer;
}

} // namespace testing
