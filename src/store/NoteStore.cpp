#include "store/NoteStore.h"

#include "platform/DateText.h"
#include "store/LedgerNames.h"
#include "store/database_access.h"

namespace NoteStore {

namespace {

using namespace LedgerNames;

ResultSet noteRowsOf(const QDate &day)
{
    static const QString sql
        = QStringLiteral("SELECT %1 FROM %2 WHERE %3=?").arg(columns(Notes::all), Notes::table, Notes::date);
    return database_access::Open_Query(sql, { DateText::iso(day) });
}

} // namespace

qsizetype noteRows(const QDate &day)
{
    return noteRowsOf(day).rowCount();
}

QString noteOfDay(const QDate &day)
{
    const ResultSet result = noteRowsOf(day);
    if (result.atEnd())
        return {};
    return result.text(Notes::note);
}

void insertNote(const QDate &day, const QString &note)
{
    static const QString sql
        = QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)").arg(Notes::table, Notes::date, Notes::note);
    database_access::Exec_SQL(sql, { DateText::iso(day), note });
}

void updateNote(const QDate &day, const QString &note)
{
    static const QString sql
        = QStringLiteral("UPDATE %1 SET %2=? WHERE %3=?").arg(Notes::table, Notes::note, Notes::date);
    database_access::Exec_SQL(sql, { note, DateText::iso(day) });
}

void deleteNote(const QDate &day)
{
    static const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(Notes::table, Notes::date);
    database_access::Exec_SQL(sql, { DateText::iso(day) });
}

} // namespace NoteStore
