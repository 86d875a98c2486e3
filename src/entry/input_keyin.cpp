#include "entry/input_keyin.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "store/BudgetStore.h"
#include "store/EntryStore.h"
#include "store/KindStore.h"
#include "store/NoteStore.h"
#include "ui/Controls.h"
#include "ui/DGrid.h"
#include "ui/FieldEnter.h"
#include "ui/GridExport.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/PrintedReport.h"
#include "ui/PushButton.h"
#include "ui/Readable.h"
#include "ui/RichTextBox.h"
#include "ui/StorableText.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

const QColor weekendColour(192, 0, 0);

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

input_keyin::input_keyin(QWidget *parent, ui::Openers openers)
    : QDialog(parent)
    , m_openers(std::move(openers))
{
    buildLayout();
    connectHandlers();
    setUpUndoAndSuggestions();
    GridExport::install(DGrid,
        [this] { return m_shownDay.isValid() ? DateText::iso(m_shownDay) + QStringLiteral(".csv") : QString(); });
    GridExport::addReport(DGrid, [this] { return dayReport(); });
    GridExport::addReport(
        DGrid, [this] { return monthReport(); }, QStringLiteral("本月"));
    if (m_openers.recurringFromEntry) {
        auto *recurring = new QAction(QStringLiteral("設為固定收支…"), DGrid);
        recurring->setObjectName(QStringLiteral("setRecurring"));
        GridExport::addCommand(DGrid, recurring);
        ui::connectGuarded(recurring, &QAction::triggered, this, [this] { setRecurring(); });
    }
    const auto importCommand
        = [this](const QString &caption, const char *name, const std::function<void(QWidget *)> &open) {
              if (!open)
                  return;
              auto *command = new QAction(caption, DGrid);
              command->setObjectName(QString::fromLatin1(name));
              GridExport::addCommand(DGrid, command);
              ui::connectGuarded(command, &QAction::triggered, this, [this, open] {
                  open(this);
                  loadDay();
              });
          };
    importCommand(QStringLiteral("匯入電子發票…"), "importInvoices", m_openers.invoiceImport);
    importCommand(QStringLiteral("匯入銀行或信用卡明細…"), "importStatement", m_openers.statementImport);
    ui::FieldEnter::watchAll(this);

    date_new->setText(DateText::defaultText(Clock::today()));
    inout->clear();
    inout->addItem(QStringLiteral("支出"));
    inout->addItem(QStringLiteral("收入"));
    inout->setCurrentIndex(0);
    ui::guarded(this, [this] { Kind_Reflash(); });
    Label6->clear();
    Label7->clear();
    ui::guarded(this, [this] { loadDay(); });
    date_new->setFocus();
}

void input_keyin::showBudgetLeft()
{
    budget_left->clear();
    const std::optional<qint64> id = selectedKindId();
    const QDate day = m_shownDay.isValid() ? m_shownDay : Clock::today();
    if (!id)
        return;
    for (const BudgetStore::Line &line : BudgetStore::report(day.year(), day.month())) {
        if (line.kind != *id || !line.budget)
            continue;
        const Decimal left = *line.budget - line.actual;
        budget_left->setText(left < Decimal()
                ? QStringLiteral("%1本月超出預算 %2 元").arg(line.name, Numbers::groupThousands((-left).text()))
                : QStringLiteral("%1本月預算還剩 %2 元").arg(line.name, Numbers::groupThousands(left.text())));
        return;
    }
}

void input_keyin::setRecurring()
{
    const std::optional<EntryStore::Entry> entry = EntryStore::entryByKey(row_keys.value(DGrid->row()));
    if (!entry) {
        showMessage(QStringLiteral("請先在表格裡點選要設為固定收支的帳目"));
        return;
    }
    m_openers.recurringFromEntry(this, *entry);
}

void input_keyin::connectHandlers()
{
    ui::FieldLeave::watch(date_new, &m_leaveGuard, [this] { loadDay(); });
    ui::FieldLeave::watch(money_inout, &m_leaveGuard, [this] { leaveAmount(); });
    ui::FieldLeave::watch(note_day, &m_leaveGuard, [this] { leaveNote(); });
    connect(note_day, &QPlainTextEdit::textChanged, this, [this] { note_changed = true; });

    for (QWidget *field : { static_cast<QWidget *>(date_new), static_cast<QWidget *>(kind),
             static_cast<QWidget *>(account_name), static_cast<QWidget *>(inout), static_cast<QWidget *>(money_inout),
             static_cast<QWidget *>(note_one), static_cast<QWidget *>(note_day) })
        field->installEventFilter(this);

    ui::connectGuarded(data_add, &QPushButton::clicked, this, [this] { addEntry(); });
    ui::connectGuarded(data_modifty, &QPushButton::clicked, this, [this] { modifyEntry(); });
    ui::connectGuarded(data_del, &QPushButton::clicked, this, [this] { deleteEntry(); });
    ui::connectGuarded(kind_man, &QPushButton::clicked, this, [this] { openKindManager(); });
    connect(data_exit, &QPushButton::clicked, this, &QWidget::close);
    for (int i = 0; i < 2; ++i)
        ui::connectGuarded(cmd_up_down[i], &QPushButton::clicked, this, [this, i] { moveEntry(i); });

    ui::connectGuarded(DGrid, &DGrid::gridClick, this, [this] { gridClicked(); });
    ui::connectGuarded(kind, &QComboBox::activated, this, [this] { kindChosen(); });
    ui::connectGuarded(kind, &QComboBox::currentIndexChanged, this, [this] { showBudgetLeft(); });
    connect(DGrid, &DGrid::gridKeyUp, this, &input_keyin::collapseSelection);
    connect(DGrid, &DGrid::gridMouseUp, this, &input_keyin::collapseSelection);
}

bool input_keyin::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && watched == note_day) {
        // Coming back from a box or another window is not the person entering the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            note_changed = false;
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride && !fieldKeepsHistoryKey(watched, static_cast<QKeyEvent *>(event)))
        return true; // left to the window's undo and redo
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);

    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == date_new && key->modifiers() == Qt::NoModifier
        && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
        const int days = key->key() == Qt::Key_Down ? 1 : -1;
        ui::guarded(this, [this, days] { stepDay(days); });
        return true;
    }
    if (!isEnter(key) || watched == note_day)
        return false;

    if (watched == date_new) {
        ui::guarded(this, [this] { dateEntered(); });
    } else if (watched == kind) {
        ui::guarded(this, [this] { kindChosen(); });
        account_name->setFocus();
        account_name->selectAll();
    } else if (watched == account_name) {
        inout->setFocus();
    } else if (watched == inout) {
        money_inout->setFocus();
        money_inout->selectAll();
    } else if (watched == money_inout) {
        note_one->setFocus();
    } else if (watched == note_one) {
        ui::guarded(this, [this] { noteEntered(); });
    }
    return true;
}

void input_keyin::done(int result)
{
    // Closing while the person is still in a changed note box saves it, as leaving would.
    if (focusWidget() == note_day && note_changed) {
        bool kept = false;
        const bool saved = ui::guarded(this, [this, &kept] { kept = Check_Note_Day(); }) && kept;
        if (!saved && !ui::askYesNo(this, QStringLiteral("日註解沒有存檔，仍要離開嗎?")))
            return;
        note_changed = false;
    }
    QDialog::done(result);
}

void input_keyin::showMessage(const QString &text)
{
    ui::showMessage(this, text);
}

void input_keyin::Kind_Reflash()
{
    const QVector<KindStore::Kind> kinds = KindStore::kindsByOrder();
    kind->clear();
    kind_ids.clear();
    kind_ids.reserve(kinds.size());
    for (const KindStore::Kind &k : kinds) {
        kind_ids.append(k.id);
        kind->addItem(k.name, k.id);
    }
    kind->setCurrentIndex(kinds.isEmpty() ? -1 : 0);
}

bool input_keyin::loadDay()
{
    const std::optional<QDate> day = DateText::read(date_new->text());
    if (!day) {
        showMessage(QStringLiteral("請輸入正確的日期\n") + DateText::acceptedForms());
        Label7->clear();
        date_new->setFocus();
        date_new->selectAll();
        return false;
    }

    // Everything is read before anything shown changes, so a failed read leaves the
    // previous day whole on the screen.
    QHash<qint64, QString> kindNames;
    for (const KindStore::Kind &k : KindStore::kindsById())
        kindNames.insert(k.id, k.name);
    const QVector<EntryStore::Entry> entries = EntryStore::entriesOfDay(*day);
    const QString note = NoteStore::noteOfDay(*day);

    const int weekday = DateText::weekday(*day);
    QPalette colours = Label7->palette();
    // Dark red on a light window; on a dark one the same red made light enough to read.
    const QColor wanted = weekday >= 6 ? weekendColour : palette().color(QPalette::ButtonText);
    colours.setColor(QPalette::WindowText, ui::readableOn(palette().color(QPalette::Window), wanted));
    Label7->setPalette(colours);
    Label7->setText(QStringLiteral("(") + DateText::weekdayName(weekday) + QStringLiteral(")"));

    Decimal total;
    row_keys = QVector<qint64>(std::max<qsizetype>(2, entries.size() + 1), 0);
    {
        ::DGrid::Bulk bulk(DGrid);
        DGrid->setRows(2);
        for (int c = 1; c < 7; ++c)
            DGrid->setTextAt(1, c, QString());
        DGrid->setRows(int(row_keys.size()));
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const EntryStore::Entry &e = entries.at(i);
            const int r = int(i + 1);
            DGrid->setTextAt(r, 1, DateText::shown(e.date));
            DGrid->setTextAt(r, 2, kindNames.value(e.kind));
            DGrid->setTextAt(r, 3,
                e.inout == 0       ? QStringLiteral("支出")
                    : e.inout == 1 ? QStringLiteral("收入")
                                   : QString());
            DGrid->setTextAt(r, 4, e.content);
            DGrid->setTextAt(r, 5, Numbers::text(e.count));
            DGrid->setTextAt(r, 6, e.note);
            row_keys[r] = e.key;
            if (e.inout == 0)
                total += Decimal::fromDouble(e.count);
        }
        DGrid->setRow(0);
    }
    Label6->setText(QStringLiteral("今天支出 ") + total.text() + QStringLiteral("元"));
    note_day->setText(note);
    m_shownDay = *day;
    m_noteBeforeLeave.reset();
    showBudgetLeft();
    return true;
}

void input_keyin::stepDay(int days)
{
    if (!DateText::isDate(date_new->text()))
        date_new->setText(DateText::slashed(Clock::today()));
    const QDate next = DateText::read(date_new->text())->addDays(days);
    if (next.isValid())
        date_new->setText(DateText::defaultText(next));
    loadDay();
}

void input_keyin::dateEntered()
{
    // A text that is not a date keeps the focus here, selected, to be typed over.
    if (loadDay())
        kind->setFocus();
}

bool input_keyin::Check_Note_Day()
{
    // The note box shows the note of the day last loaded, so that is the day it is saved for.
    QDate day = m_shownDay;
    if (!day.isValid()) {
        const std::optional<QDate> typed = DateText::read(date_new->text());
        if (!typed)
            return true;
        day = *typed;
    }
    const QString note = Numbers::trimBlanks(note_day->text());
    // Not saved, and the stored note kept, while the box holds half of a character.
    if (!ui::storableText(this, note_day->accessibleName(), note))
        return false;
    const qsizetype found = NoteStore::noteRows(day);
    if (!note.isEmpty() && found > 0)
        NoteStore::updateNote(day, note);
    else if (!note.isEmpty())
        NoteStore::insertNote(day, note);
    else if (found > 0)
        NoteStore::deleteNote(day);
    return true;
}

void input_keyin::leaveNote()
{
    if (!note_changed)
        return;
    // The focus is already on whatever the person went to.
    const QWidget *next = QApplication::focusWidget();
    // On the way to 新增 or 修改 a note that cannot be saved is left to the command, which
    // refuses it with the entry, instead of a box in the middle of the button's press.
    if ((next == data_add || next == data_modifty) && !note_day->text().isValidUtf16())
        return;
    if ((next == data_add || next == data_modifty) && m_shownDay.isValid())
        m_noteBeforeLeave = NoteBeforeLeave { m_shownDay, EntryHistoryStore::noteState(m_shownDay) };
    Check_Note_Day();
}
