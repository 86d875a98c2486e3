#pragma once

#include <QDate>
#include <QString>

// The day notes (table data_note): at most one row per day, and none for a day without a note.
namespace NoteStore {

// How many note rows the day has (0 or 1 in a sound ledger).
qsizetype noteRows(const QDate &day);

// The day's note; empty when the day has none.
QString noteOfDay(const QDate &day);

void insertNote(const QDate &day, const QString &note);
// Gives every row of the day this note.
void updateNote(const QDate &day, const QString &note);
// Removes every row of the day.
void deleteNote(const QDate &day);

} // namespace NoteStore
