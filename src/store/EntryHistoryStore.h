#pragma once

#include "store/EntryStore.h"

#include <QDate>
#include <QString>
#include <QVector>

#include <optional>

// What one change of the daily-entry window did to the ledger, kept so that it can be taken
// back and made again. Every state is the row as it was read from the ledger, so a later
// comparison with the stored row shows whether anything else has touched it since.
namespace EntryHistoryStore {

struct EntryState
{
    qint64 key = 0;
    std::optional<EntryStore::Entry> before; // nothing: no entry had this key
    std::optional<EntryStore::Entry> after;
};

struct NoteState
{
    std::optional<QString> before; // nothing: the day had no note row
    std::optional<QString> after;
};

struct Change
{
    QDate day; // the day the change was made on
    QVector<EntryState> entries;
    std::optional<NoteState> note; // only when the change saved the day's note too
};

// The stored state of the day's note: its text, or nothing when the day has no note row.
std::optional<QString> noteState(const QDate &day);

// Reads the rows with these keys as they are now, for the before or after side of a change.
QVector<std::optional<EntryStore::Entry>> entryStates(const QVector<qint64> &keys);

enum class Outcome {
    Done,
    ChangedElsewhere, // an entry no longer holds what the change left; nothing was written
    KindGone, // an entry would come back with a kind that has been deleted
};

// Puts back the before side of the change (undo), or the after side (redo), in one
// transaction. Entries are touched only when every one of them still holds the other side;
// the note only when it still holds the other side, so a note written since stays.
Outcome revert(const Change &change);
Outcome reapply(const Change &change);

} // namespace EntryHistoryStore
