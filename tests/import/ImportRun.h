#pragma once

// Running quillory-import on old ledgers written by the Python writer, and telling what it
// made of them.
#include "jet/JetCases.h"
#include "platform/Decimal.h"
#include "store/ImportStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QMap>
#include <QProcess>

#include <cmath>
#include <cstring>

namespace importrun {

struct Run
{
    int exitCode = -1;
    QString out;
    QString lastError; // the last line on standard error
    QList<std::pair<qint64, qint64>> progress;
};

inline Run runImport(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(QUILLORY_IMPORT_PROGRAM), arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    const QStringList errors = QString::fromUtf8(process.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
    run.lastError = errors.isEmpty() ? QString() : errors.last();
    for (const QString &line : run.out.split(QLatin1Char('\n'))) {
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() == 3 && words.at(0) == QLatin1String("progress"))
            run.progress.append({ words.at(1).toLongLong(), words.at(2).toLongLong() });
    }
    return run;
}

inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString textOf(const QString &path)
{
    return QString::fromUtf8(bytesOf(path));
}

// Every file of a folder with its bytes, to tell that nothing changed.
inline QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        files.insert(name, bytesOf(QDir(folder).filePath(name)));
    return files;
}

// Column name -> position in a table of the writer's layout.
inline QMap<QString, int> columnsOf(const QJsonObject &table)
{
    QMap<QString, int> columns;
    const QJsonArray list = table.value(QStringLiteral("columns")).toArray();
    for (int i = 0; i < list.size(); ++i)
        columns.insert(list.at(i).toObject().value(QStringLiteral("name")).toString(), i);
    return columns;
}

// The day a written date stands for: its whole-day part, toward zero.
inline QDate dayOfWritten(const QJsonValue &value)
{
    if (value.isString())
        return QDate::fromString(value.toString().left(10), Qt::ISODate);
    if (value.isDouble()) {
        const QDate day = QDate(1899, 12, 30).addDays(static_cast<qint64>(std::trunc(value.toDouble())));
        return day.isValid() && day.year() >= 1 && day.year() <= 9999 ? day : QDate(1899, 12, 30);
    }
    return QDate(1899, 12, 30);
}

// The exact amount a written value stands for, as the ledger counts money.
inline Decimal amountOfWritten(const QJsonValue &value, const QString &type)
{
    if (value.isNull())
        return Decimal();
    if (type == QLatin1String("currency") || type == QLatin1String("decimal"))
        return value.isString() ? Decimal::fromText(value.toString()).value_or(Decimal(999999))
                                : Decimal(value.toInteger());
    // A Single holds what was typed, at most 7 digits: the decimal, not the float's bits.
    return Decimal::fromDouble(value.toDouble());
}

inline bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The amount as written and as stored agree: a Double bit for bit, a Currency, Decimal or
// Single exactly as the decimal it stands for.
inline bool sameAmount(const QJsonValue &written, const QString &type, double stored)
{
    if (written.isNull())
        return sameBits(stored, 0.0);
    if (type != QLatin1String("double"))
        return Decimal::fromDouble(stored) == amountOfWritten(written, type)
            && stored == amountOfWritten(written, type).toDouble();
    return sameBits(stored, written.toDouble());
}

} // namespace importrun
