#pragma once

#include "platform/Decimal.h"
#include "store/EntryStore.h"
#include "store/KindStore.h"

#include <QDate>
#include <QString>
#include <QVector>

// Filling a new ledger with everything brought over from an old one, and reading all of it
// back to check it. Works on the open ledger (database_access::Open_DB).
namespace ImportStore {

struct DayNote
{
    QDate date;
    QString note;
};

struct Direction
{
    int inout = 0;
    QString text;
};

// The four tables, whole.
struct Contents
{
    QVector<EntryStore::Entry> entries; // read back in a_key order
    QVector<KindStore::Kind> kinds; // read back in a_kind order
    QVector<DayNote> notes; // read back in date order
    QVector<Direction> directions; // inout, read back in its order
};

// Writes the entries, kinds and day notes, with their keys and ids as given, in one
// transaction. The direction rows are the ones every new ledger is made with.
void fill(const Contents &contents);

// Everything the ledger holds, in the orders named above.
Contents readAll();

// The exact sum and the count of the entries of one year and direction.
struct YearSum
{
    int year = 0;
    int inout = 0;
    Decimal sum;
    qint64 entries = 0;
};
// Every year and direction that has entries, by year, expense first.
QVector<YearSum> yearSums();

// The engine's own check of the file: "ok" when it finds nothing wrong.
QString integrityCheck();

} // namespace ImportStore
