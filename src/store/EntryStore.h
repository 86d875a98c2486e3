#pragma once

#include <QDate>
#include <QString>
#include <QVector>

#include <optional>

// The entries of the ledger (table data_main).
namespace EntryStore {

struct Entry
{
    QDate date; // a_date
    qint64 kind = 0; // a_kind
    int inout = 0; // a_inout: 0 expense, 1 income
    QString content; // a_content
    double count = 0; // a_count
    QString note; // a_note
    qint64 key = 0; // a_key
    QString kindName; // a_kind_name
};

// The entries of one day by ascending key, which is their order within the day.
QVector<Entry> entriesOfDay(const QDate &day);

// The entries from first to last, by day and then key.
QVector<Entry> entriesBetween(const QDate &first, const QDate &last);

// The entry with this key, if there is one.
std::optional<Entry> entryByKey(qint64 key);

// The direction (0 expense, 1 income) most entries of this kind carry; 0 for a kind without
// entries, and on a tie.
int usualDirection(qint64 kind);

// The latest entry (by date, then key) with exactly this description, if there is one.
std::optional<Entry> latestWithDescription(const QString &content);

// Entries that no total can count: a kind that is not in the kind table, or a direction
// other than expense (0) and income (1). Another tool may have left them.
struct Strays
{
    qint64 unknownKind = 0;
    qint64 oddDirection = 0;
    bool any() const { return unknownKind > 0 || oddDirection > 0; }
};
Strays countStrays();

// Puts every stray entry under the kind named kindName (made when there is none), an odd
// direction becoming expense, as one change. Returns the kind's id.
qint64 gatherStrays(const QString &kindName);

// The key a new entry gets: the highest key plus 1, or 1 in an empty table. Keys below the
// highest that were freed by deletions are never handed out again. Throws StoreError, with
// the message for the person, when the highest key is the largest there is.
qint64 nextKey();

// Inserts entry with entry.key as its key.
void addEntry(const Entry &entry);

// Overwrites every column but the key of the entry with this key.
void updateEntry(qint64 key, const Entry &entry);

void deleteEntry(qint64 key);

// Exchanges the keys of two entries, and with them their order within the day. All or
// nothing: if any step fails both entries keep their keys.
void exchangeKeys(qint64 a, qint64 b);

} // namespace EntryStore
