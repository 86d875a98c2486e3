#pragma once

// Running quillory-import on old ledgers written by the Python writer, and holding what it
// made of them to what the writer put in.
#include "jet/JetCases.h"
#include "platform/Decimal.h"
#include "store/ImportStore.h"
#include "support/LedgerFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QTest>

#include <cmath>
#include <cstring>

namespace importrun {

using namespace Qt::StringLiterals;

struct Run
{
    int exitCode = -1;
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
    run.lastError = QString::fromUtf8(process.readAllStandardError()).trimmed().split(u'\n').last();
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        const QStringList words = line.split(u' ');
        if (words.size() == 3 && words.at(0) == QLatin1String("progress"))
            run.progress.append({ words.at(1).toLongLong(), words.at(2).toLongLong() });
    }
    return run;
}

using jetcases::bytesOf;
using testing::writeFile;

// Every file of a folder with its bytes, to tell that nothing changed.
inline QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        files.insert(name, bytesOf(QDir(folder).filePath(name)));
    return files;
}

inline QJsonArray rowsOf(const QJsonObject &layout, const QString &table)
{
    return jetcases::tableOf(layout, table).value(u"rows"_s).toArray();
}

// Column name -> its description in a table of the writer's layout, with its position as "at".
inline QMap<QString, QJsonObject> columnsOf(const QJsonObject &table)
{
    QMap<QString, QJsonObject> columns;
    const QJsonArray list = table.value(u"columns"_s).toArray();
    for (int i = 0; i < list.size(); ++i) {
        QJsonObject column = list.at(i).toObject();
        column.insert(u"at"_s, i);
        columns.insert(column.value(u"name"_s).toString(), column);
    }
    return columns;
}

// The day a written date stands for: its whole-day part, toward zero; out of range or none,
// the old program's day 0.
inline QDate dayOfWritten(const QJsonValue &value)
{
    const QDate zero(1899, 12, 30);
    const QDate day = value.isString() ? QDate::fromString(value.toString().left(10), Qt::ISODate)
                                       : zero.addDays(static_cast<qint64>(std::trunc(value.toDouble())));
    return value.isNull() || !day.isValid() || day.year() < 1 || day.year() > 9999 ? zero : day;
}

// The exact amount a written value stands for; a Single's is the decimal typed, not its bits.
inline Decimal amountOfWritten(const QJsonValue &value, const QString &type)
{
    if (type == QLatin1String("currency") || type == QLatin1String("decimal"))
        return Decimal::fromText(value.toString()).value_or(Decimal(999999));
    return value.isNull() ? Decimal() : Decimal::fromDouble(value.toDouble());
}

// A Double bit for bit; a Currency, Decimal or Single exactly as the decimal it stands for.
inline bool sameAmount(const QJsonValue &written, const QString &type, double stored)
{
    const double wanted
        = type == QLatin1String("double") ? written.toDouble() : amountOfWritten(written, type).toDouble();
    return std::memcmp(&stored, &wanted, sizeof stored) == 0;
}

// Every entry of the old file came over with its values (NULLs as the empty text and 0, a kind
// that is gone as 舊分類, fixed-length text padded as stored), under its key or, when that is 0
// or taken by an entry before it, under the next after the largest; every kind and day note
// likewise. The first difference found, or nothing; compared counts entries.
inline QString differenceFromOld(const QJsonObject &layout, const ImportStore::Contents &got, int *compared)
{
    const QJsonObject main = jetcases::tableOf(layout, u"data_main"_s);
    const QMap<QString, QJsonObject> c = columnsOf(main);
    const auto at = [&](const QJsonArray &row, const char *name) {
        return row.at(c.value(QString::fromLatin1(name)).value(u"at"_s).toInt());
    };
    const QJsonObject nameColumn = c.value(u"a_kind_name"_s);
    const QString amountType = c.value(u"a_count"_s).value(u"type"_s).toString();
    qint64 largest = 0;
    for (const QJsonValue &row : main.value(u"rows"_s).toArray())
        largest = std::max(largest, at(row.toArray(), "a_key").toInteger());
    QSet<qint64> taken;
    QHash<qint64, QString> kindNames;
    qint64 orphan = 0;
    for (const KindStore::Kind &k : got.kinds) {
        kindNames.insert(k.id, k.name);
        orphan = k.name == u"舊分類"_s ? k.id : orphan;
    }
    QHash<qint64, EntryStore::Entry> byKey;
    for (const EntryStore::Entry &e : got.entries)
        byKey.insert(e.key, e);
    *compared = 0;
    for (const QJsonValue &v : main.value(u"rows"_s).toArray()) {
        const QJsonArray row = v.toArray();
        qint64 key = at(row, "a_key").toInteger();
        key = key == 0 || taken.contains(key) ? ++largest : key;
        taken.insert(key);
        const EntryStore::Entry e = byKey.value(key);
        const qint64 kind = at(row, "a_kind").isNull() ? -1 : at(row, "a_kind").toInteger();
        const QString kindName = at(row, "a_kind_name").toString();
        if (e.key != key || e.kind != (kindNames.contains(kind) && kind != orphan ? kind : orphan)
            || e.date != dayOfWritten(at(row, "a_date")) || e.inout != int(at(row, "a_inout").toInteger())
            || e.content != at(row, "a_content").toString() || e.note != at(row, "a_note").toString()
            || !sameAmount(at(row, "a_count"), amountType, e.count)
            || e.kindName
                != (nameColumn.value(u"fixed"_s).toBool() ? kindName.leftJustified(nameColumn.value(u"size"_s).toInt())
                                                          : kindName))
            return u"entry a_key %1"_s.arg(key);
        ++*compared;
    }
    const QMap<QString, QJsonObject> kc = columnsOf(jetcases::tableOf(layout, u"kind"_s));
    const int id = kc.value(u"a_kind"_s).value(u"at"_s).toInt();
    const int name = kc.value(u"name"_s).value(u"at"_s).toInt();
    for (const QJsonValue &k : rowsOf(layout, u"kind"_s)) {
        if (kindNames.value(k.toArray().at(id).toInteger()) != k.toArray().at(name).toString())
            return u"kind "_s + k.toArray().at(name).toString();
    }
    QMap<QDate, QString> oldNotes;
    for (const QJsonValue &n : rowsOf(layout, u"data_note"_s))
        oldNotes.insert(dayOfWritten(n.toArray().at(0)), n.toArray().at(1).toString());
    QMap<QDate, QString> notes;
    for (const ImportStore::DayNote &n : got.notes)
        notes.insert(n.date, n.note);
    return notes != oldNotes || got.notes.size() != oldNotes.size() ? u"day notes"_s
        : got.directions.size() != 2                                ? u"directions"_s
                                                                    : QString();
}

} // namespace importrun
