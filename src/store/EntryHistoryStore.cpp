#include "store/EntryHistoryStore.h"

#include "store/KindStore.h"
#include "store/NoteStore.h"
#include "store/database_access.h"

namespace EntryHistoryStore {

namespace {

bool same(const std::optional<EntryStore::Entry> &a, const std::optional<EntryStore::Entry> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    return a->date == b->date && a->kind == b->kind && a->inout == b->inout && a->content == b->content
        && a->count == b->count && a->note == b->note && a->key == b->key && a->kindName == b->kindName;
}

void putEntry(qint64 key, const std::optional<EntryStore::Entry> &target, bool exists)
{
    if (!target)
        EntryStore::deleteEntry(key);
    else if (exists)
        EntryStore::updateEntry(key, *target);
    else
        EntryStore::addEntry(*target);
}

void putNote(const QDate &day, const std::optional<QString> &target, bool exists)
{
    if (!target) {
        if (exists)
            NoteStore::deleteNote(day);
    } else if (exists) {
        NoteStore::updateNote(day, *target);
    } else {
        NoteStore::insertNote(day, *target);
    }
}

Outcome apply(const Change &change, bool toBefore)
{
    const auto expected = [toBefore](const auto &state) { return toBefore ? state.after : state.before; };
    const auto target = [toBefore](const auto &state) { return toBefore ? state.before : state.after; };

    database_access::Transaction transaction;
    QVector<bool> exists;
    for (const EntryState &state : change.entries) {
        const std::optional<EntryStore::Entry> stored = EntryStore::entryByKey(state.key);
        if (!same(stored, expected(state)))
            return Outcome::ChangedElsewhere;
        const std::optional<EntryStore::Entry> wanted = target(state);
        if (wanted && (!stored || stored->kind != wanted->kind) && !KindStore::kindById(wanted->kind))
            return Outcome::KindGone;
        exists.append(stored.has_value());
    }
    for (qsizetype i = 0; i < change.entries.size(); ++i)
        putEntry(change.entries.at(i).key, target(change.entries.at(i)), exists.at(i));
    if (change.note) {
        const std::optional<QString> stored = noteState(change.day);
        if (stored == expected(*change.note))
            putNote(change.day, target(*change.note), stored.has_value());
    }
    transaction.commit();
    return Outcome::Done;
}

} // namespace

std::optional<QString> noteState(const QDate &day)
{
    if (NoteStore::noteRows(day) == 0)
        return std::nullopt;
    return NoteStore::noteOfDay(day);
}

QVector<std::optional<EntryStore::Entry>> entryStates(const QVector<qint64> &keys)
{
    QVector<std::optional<EntryStore::Entry>> states;
    states.reserve(keys.size());
    for (qint64 key : keys)
        states.append(EntryStore::entryByKey(key));
    return states;
}

Outcome revert(const Change &change)
{
    return apply(change, true);
}

Outcome reapply(const Change &change)
{
    return apply(change, false);
}

} // namespace EntryHistoryStore
