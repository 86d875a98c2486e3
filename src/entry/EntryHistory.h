#pragma once

#include "store/EntryHistoryStore.h"

#include <QVector>

#include <optional>

// The changes made in one opening of the daily-entry window, for taking them back (undo)
// and making them again (redo), last first.
class EntryHistory
{
public:
    struct Step
    {
        EntryHistoryStore::Outcome outcome;
        EntryHistoryStore::Change change;
    };

    // A new change; the changes taken back before it can no longer be made again.
    void record(EntryHistoryStore::Change change);

    bool canUndo() const { return !m_done.isEmpty(); }
    bool canRedo() const { return !m_undone.isEmpty(); }

    // Takes back the last change. A change refused because its entries were changed
    // elsewhere is dropped, so the ones before it can still be taken back. A store error
    // is passed on and the change stays where it was. Nothing when there is nothing to undo.
    std::optional<Step> undo();
    std::optional<Step> redo();

private:
    QVector<EntryHistoryStore::Change> m_done;
    QVector<EntryHistoryStore::Change> m_undone;
};
