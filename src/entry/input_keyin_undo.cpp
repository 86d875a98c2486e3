#include "entry/input_keyin.h"

#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "store/DescriptionStore.h"
#include "ui/DGrid.h"
#include "ui/Guard.h"
#include "ui/RichTextBox.h"
#include "ui/SuggestionList.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QTextDocument>

namespace {

constexpr int suggestionLimit = 10;

enum class HistoryKey { None, Undo, Redo };

HistoryKey historyKey(const QKeyEvent *key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_Z && mods == Qt::ControlModifier)
        return HistoryKey::Undo;
    if ((key->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier))
        || (key->key() == Qt::Key_Y && mods == Qt::ControlModifier))
        return HistoryKey::Redo;
    return HistoryKey::None;
}

QString refusal(EntryHistoryStore::Outcome outcome, bool undo)
{
    const QString tail = undo ? QStringLiteral("無法復原。") : QStringLiteral("無法重做。");
    if (outcome == EntryHistoryStore::Outcome::KindGone)
        return QStringLiteral("這筆資料的類別已經刪除，") + tail;
    return QStringLiteral("這筆資料已在別處變更，") + tail;
}

} // namespace

void input_keyin::setUpUndoAndSuggestions()
{
    for (QLineEdit *field : { date_new, account_name, money_inout, note_one, kind->lineEdit() }) {
        connect(field, &QLineEdit::textEdited, this, [this, field] { m_typedFields.insert(field); });
    }

    // The shortcuts belong to the whole window; a text field the person is typing in keeps
    // them for its own text (see fieldKeepsHistoryKey, checked in eventFilter).
    const auto shortcut = [this](const QKeySequence &keys, void (input_keyin::*action)()) {
        auto *s = new QShortcut(keys, this);
        connect(s, &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), &input_keyin::undoChange);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &input_keyin::redoChange);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &input_keyin::redoChange);

    // After the window's own filter is on account_name, so the open list sees Enter first.
    m_suggestions
        = new ui::SuggestionList(account_name, [this](const QString &typed) { return suggestionsFor(typed); });
    ui::connectGuarded(m_suggestions, &ui::SuggestionList::taken, this,
        [this](const QString &description) { descriptionTaken(description); });
}

QStringList input_keyin::suggestionsFor(const QString &typed)
{
    // Read when first wanted, not when the window opens: on a large ledger the count of
    // every description would hold the window back, and many openings never type one.
    if (!m_descriptionsLoaded && !m_suggestionsOff && !Numbers::trimBlanks(typed).isEmpty()) {
        try {
            m_descriptions.load(DescriptionStore::descriptionUses());
            m_descriptionsLoaded = true;
        } catch (const StoreError &error) {
            // Said once: reading them again would fail the same way at every key.
            m_suggestionsOff = true;
            showMessage(QStringLiteral("無法讀取帳本裡用過的帳目名稱（%1），這個視窗不再提示帳目名稱；"
                                       "輸入和存檔照常。")
                            .arg(error.message()));
        }
    }
    return m_descriptions.matches(typed, suggestionLimit);
}

bool input_keyin::fieldKeepsHistoryKey(QObject *field, const QKeyEvent *key) const
{
    const HistoryKey which = historyKey(key);
    if (which == HistoryKey::None)
        return true;
    const QKeySequence::StandardKey standard = which == HistoryKey::Undo ? QKeySequence::Undo : QKeySequence::Redo;
    if (!key->matches(standard))
        return false; // the field would not act on it
    if (field == note_day) {
        // Reloading the day resets the box's own history, so it only holds what was typed
        // since the ledger last changed.
        const QTextDocument *text = note_day->document();
        return which == HistoryKey::Undo ? text->isUndoAvailable() : text->isRedoAvailable();
    }
    const QLineEdit *edit = field == kind ? kind->lineEdit() : qobject_cast<const QLineEdit *>(field);
    if (!edit || !m_typedFields.contains(edit))
        return false;
    return which == HistoryKey::Undo ? edit->isUndoAvailable() : edit->isRedoAvailable();
}

EntryHistoryStore::Change input_keyin::beginChange(const QVector<qint64> &keys, bool withNote) const
{
    EntryHistoryStore::Change change;
    change.day = m_shownDay;
    const QVector<std::optional<EntryStore::Entry>> before = EntryHistoryStore::entryStates(keys);
    for (qsizetype i = 0; i < keys.size(); ++i)
        change.entries.append({ keys.at(i), before.at(i), std::nullopt });
    if (withNote) {
        const bool savedOnLeaving = m_noteBeforeLeave && m_noteBeforeLeave->day == m_shownDay;
        change.note = EntryHistoryStore::NoteState {
            savedOnLeaving ? m_noteBeforeLeave->note : EntryHistoryStore::noteState(m_shownDay), std::nullopt
        };
    }
    return change;
}

void input_keyin::finishChange(EntryHistoryStore::Change change)
{
    m_typedFields.clear();
    // The change is made; if it cannot be read back it is not kept for undo, and the
    // person is told why.
    ui::guarded(this, [this, &change] {
        QVector<qint64> keys;
        for (const EntryHistoryStore::EntryState &state : change.entries)
            keys.append(state.key);
        const QVector<std::optional<EntryStore::Entry>> after = EntryHistoryStore::entryStates(keys);
        for (qsizetype i = 0; i < keys.size(); ++i)
            change.entries[i].after = after.at(i);
        if (change.note)
            change.note->after = EntryHistoryStore::noteState(change.day);
        countDescriptions(change, false);
        m_history.record(std::move(change));
    });
}

void input_keyin::countDescriptions(const EntryHistoryStore::Change &change, bool undone)
{
    if (!m_descriptionsLoaded)
        return; // the first load reads the ledger as it is then
    for (const EntryHistoryStore::EntryState &state : change.entries) {
        const std::optional<EntryStore::Entry> &gone = undone ? state.after : state.before;
        const std::optional<EntryStore::Entry> &come = undone ? state.before : state.after;
        if (gone)
            m_descriptions.remove(gone->content);
        if (come)
            m_descriptions.add(come->content);
    }
}

void input_keyin::undoChange()
{
    m_suggestions->close();
    ui::guarded(this, [this] {
        if (const std::optional<EntryHistory::Step> step = m_history.undo())
            showStep(*step, true);
    });
}

void input_keyin::redoChange()
{
    m_suggestions->close();
    ui::guarded(this, [this] {
        if (const std::optional<EntryHistory::Step> step = m_history.redo())
            showStep(*step, false);
    });
}

void input_keyin::showStep(const EntryHistory::Step &step, bool undone)
{
    m_typedFields.clear();
    m_taken.reset();
    const bool done = step.outcome == EntryHistoryStore::Outcome::Done;
    if (done)
        countDescriptions(step.change, undone);

    // The day of the change is shown, so the person sees what was taken back or refused.
    date_new->setText(DateText::defaultText(step.change.day));
    if (!loadDay())
        return;
    if (!done) {
        showMessage(refusal(step.outcome, undone));
        return;
    }
    for (const EntryHistoryStore::EntryState &state : step.change.entries) {
        const std::optional<EntryStore::Entry> &now = undone ? state.before : state.after;
        const int row = now ? int(row_keys.indexOf(now->key)) : -1;
        if (row > 0) {
            DGrid->setRow(row);
            DGrid->setColSel(1);
            break;
        }
    }
}
