#include "store/NoteStore.h"

#include "platform/DateText.h"
#include "store/database_access.h"

namespace NoteStore {

qsizetype noteRows(const QDate &day)
{
    return database_access::Open_Query(QStringLiteral("SELECT * FROM data_note WHERE a_date=?"), { DateText::iso(day) })
        .rowCount();
}

QString noteOfDay(const QDate &day)
{
    const ResultSet result
        = database_access::Open_Query(QStringLiteral("SELECT * FROM data_note WHERE a_date=?"), { DateText::iso(day) });
    if (result.atEnd())
        return {};
    return result.text(QStringLiteral("a_note"));
}

void insertNote(const QDate &day, const QString &note)
{
    database_access::Exec_SQL(
        QStringLiteral("INSERT INTO data_note(a_date,a_note) VALUES(?,?)"), { DateText::iso(day), note });
}

void updateNote(const QDate &day, const QString &note)
{
    database_access::Exec_SQL(
        QStringLiteral("UPDATE data_note SET a_note=? WHERE a_date=?"), { note, DateText::iso(day) });
}

void deleteNote(const QDate &day)
{
    database_access::Exec_SQL(QStringLiteral("DELETE FROM data_note WHERE a_date=?"), { DateText::iso(day) });
}

} // namespace NoteStore
