#include "entry/EntryHistory.h"

void EntryHistory::record(EntryHistoryStore::Change change)
{
    m_done.append(std::move(change));
    m_undone.clear();
}

std::optional<EntryHistory::Step> EntryHistory::undo()
{
    if (m_done.isEmpty())
        return std::nullopt;
    const EntryHistoryStore::Outcome outcome = EntryHistoryStore::revert(m_done.last());
    Step step { outcome, m_done.takeLast() };
    if (outcome == EntryHistoryStore::Outcome::Done)
        m_undone.append(step.change);
    return step;
}

std::optional<EntryHistory::Step> EntryHistory::redo()
{
    if (m_undone.isEmpty())
        return std::nullopt;
    const EntryHistoryStore::Outcome outcome = EntryHistoryStore::reapply(m_undone.last());
    Step step { outcome, m_undone.takeLast() };
    if (outcome == EntryHistoryStore::Outcome::Done)
        m_done.append(step.change);
    return step;
}
