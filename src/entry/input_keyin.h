#pragma once

#include "entry/DescriptionIndex.h"
#include "entry/EntryHistory.h"
#include "ui/FieldLeave.h"
#include "ui/Openers.h"
#include "ui/PrintedReport.h"

#include <QDate>
#include <QDialog>
#include <QSet>
#include <QVector>

#include <array>
#include <optional>

class DGrid;
class QComboBox;
class QLabel;
class QKeyEvent;
class QLineEdit;

namespace ui {
class PushButton;
class RichTextBox;
class SuggestionList;
} // namespace ui

// The daily-entry window: one day's entries in the grid with the weekday, the day's expense
// total and the day's note, and the fields and buttons that add, change, delete and reorder
// entries. Everything shown is read from the ledger when the day is loaded; every change is
// written at once and the day is loaded again.
class input_keyin : public QDialog
{
    Q_OBJECT

public:
    // openers.kindManager is what the 種類管理 button opens.
    explicit input_keyin(QWidget *parent = nullptr, ui::Openers openers = {});

    // Day view.
    QLabel *Label1; // 日期
    QLineEdit *date_new;
    QLabel *Label7; // weekday of the day shown
    QLabel *Label2; // 類別
    QComboBox *kind;
    QComboBox *inout;
    QLabel *Label6; // the day's expense total
    QLabel *budget_left; // what is left of the chosen kind's budget in the day's month
    ::DGrid *DGrid;
    ui::RichTextBox *note_day;

    // Entry fields and commands.
    QLabel *Label3; // 帳目名稱
    QLineEdit *account_name;
    QLineEdit *money_inout;
    QLabel *Label5; // 元
    QLabel *Label4; // 註解
    QLineEdit *note_one;
    ui::PushButton *data_add;
    ui::PushButton *data_modifty;
    ui::PushButton *data_del;
    ui::PushButton *data_exit;
    ui::PushButton *kind_man;
    std::array<ui::PushButton *, 2> cmd_up_down; // 0: 上移, 1: 下移

    // Refills the kind box from the kind table, in the user's order, and selects the first kind.
    void Kind_Reflash();
    // Reads the day in date_new into the weekday, the grid, the total and the note. Refuses a
    // text that is not a date with a message and keeps what was shown. True when loaded.
    bool loadDay();
    // Makes the day's stored note match the note box for the date in date_new. False, with a
    // message and the stored note kept, when the box holds a text that cannot be stored.
    bool Check_Note_Day();
    // Shows day with the entry of this key current and its fields filled in, as a click on
    // its row leaves them; key 0 only shows the day. False when the entry is not on that day.
    bool showEntry(const QDate &day, qint64 key);

protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Opens a new recurring item filled from the entry of the grid's current row.
    void setRecurring();
    // Says what is left of the chosen kind's budget in the shown day's month; nothing for a
    // kind without a budget there.
    void showBudgetLeft();
    void buildLayout();
    void connectHandlers();

    // Day view.
    void stepDay(int days);
    void dateEntered();

    // Editing.
    void gridClicked();
    void collapseSelection();
    void addEntry();
    void modifyEntry();
    void deleteEntry();
    void moveEntry(int index);
    void openKindManager();
    void leaveAmount();
    void leaveNote();

    // Every command works on the day shown. A date field that reads as another day (its leave
    // processing did not get to run) is loaded first; one that reads as no date is refused.
    bool dayInFieldShown();
    // The amount, name and kind checks of add and modify; each failure shows its message and
    // moves the focus. The kind id when all pass.
    std::optional<qint64> checkedEntryFields();
    // The checked fields as an entry of day (description trimmed), once the person has
    // confirmed an unusual amount or date; nothing when a check failed or the person said no.
    std::optional<EntryStore::Entry> entryFromFields(const QDate &day);
    std::optional<qint64> selectedKindId() const;
    // The amount field read as an amount, in plain numeric form (NT$1,200 gives 1200), to
    // which the amount rules apply; the text as typed when it is no amount.
    QString amountRead() const;
    void showMessage(const QString &text);

    // Questions before writing (input_keyin_questions.cpp): an amount of ten million or more
    // or typed with an exponent, a day more than a year ahead or before 1912, a kind typed
    // that is not in the list (offered as a new kind).
    bool amountConfirmed();
    bool dayConfirmed(const QDate &day);
    std::optional<qint64> offerNewKind();
    // The fields were filled from an entry of the grid: Enter in the remark asks whether to
    // change that entry or add a new one once a field differs, and 修改 with another day in
    // the date field moves that entry there.
    void takeEntry(const EntryStore::Entry &entry);
    bool takenFieldsChanged() const;
    void noteEntered();
    bool moveTakenEntry(bool ask);
    QString entryName(const EntryStore::Entry &entry) const;
    // The direction follows the kind chosen, and a description taken from the suggestions
    // brings the kind and direction of its latest entry.
    void kindChosen();
    void descriptionTaken(const QString &description);
    // Fields typed in that no add or change has saved yet.
    bool unsavedTyping() const;

    // The day shown, and its whole month, as reports to print (input_keyin_reports.cpp).
    std::optional<PrintedReport> dayReport() const;
    std::optional<PrintedReport> monthReport() const;

    // Suggestions, undo and redo (input_keyin_undo.cpp).
    void setUpUndoAndSuggestions();
    QStringList suggestionsFor(const QString &typed);
    // The rows an action is about to change, read before it writes; finishChange reads them
    // again afterwards and keeps the change for undo.
    EntryHistoryStore::Change beginChange(const QVector<qint64> &keys, bool withNote) const;
    void finishChange(EntryHistoryStore::Change change);
    void undoChange();
    void redoChange();
    void showStep(const EntryHistory::Step &step, bool undone);
    void countDescriptions(const EntryHistoryStore::Change &change, bool undone);
    // Whether a field keeps a key for itself: every key but the undo and redo keys, and
    // those too while the person is typing in a text field that can take back its own text.
    bool fieldKeepsHistoryKey(QObject *field, const QKeyEvent *key) const;

    ui::Openers m_openers;
    ui::LeaveGuard m_leaveGuard;
    EntryHistory m_history;
    DescriptionIndex m_descriptions;
    bool m_descriptionsLoaded = false;
    // The descriptions could not be read (a damaged index, say): no suggestions in this window.
    bool m_suggestionsOff = false;
    ui::SuggestionList *m_suggestions = nullptr;
    QSet<const QObject *> m_typedFields; // text fields typed in since the ledger last changed
    // The day's note as it stood before leaving the note box for 新增 or 修改 saved it: that
    // save belongs to the command, and taking the command back takes it back too.
    struct NoteBeforeLeave
    {
        QDate day;
        std::optional<QString> note;
    };
    std::optional<NoteBeforeLeave> m_noteBeforeLeave;
    struct TakenEntry
    {
        qint64 key = 0;
        QDate day;
        QStringList fields; // kind, description, direction, amount and remark as filled in
    };
    std::optional<TakenEntry> m_taken;
    QStringList entryFields() const;
    std::optional<qint64> m_directionKind; // the kind whose usual direction was last set
    QDate m_confirmedDay; // a day outside the usual range the person said yes to
    std::optional<QString> m_amountRefusedOnLeaving; // said once already, not again by the command
    QVector<qint64> kind_ids; // kind id of each position of the kind box
    QVector<qint64> row_keys; // entry key of each grid row; 0 for the header and the empty row
    bool note_changed = false; // the note box's text changed since it last got the focus
    QDate m_shownDay; // the day the grid, total and note box belong to
};
