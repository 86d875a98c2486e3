#include "entry/input_keyin.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "store/EntryStore.h"
#include "store/KindStore.h"
#include "ui/DGrid.h"
#include "ui/MessageBox.h"
#include "ui/StorableText.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include <cmath>

namespace {

// Amounts from here on are rare in a household, and a slip of the finger makes them easily.
constexpr double unusualAmount = 10'000'000;
// Days before this are before any ledger a household keeps today.
const QDate earliestUsualDay(1912, 1, 1);

QString dayWithWeekday(const QDate &day)
{
    return DateText::defaultText(day) + QStringLiteral(" (") + DateText::weekdayName(DateText::weekday(day))
        + QStringLiteral(")");
}

} // namespace

bool input_keyin::amountConfirmed()
{
    const QString typed = amountRead();
    const double value = Numbers::toNumber(typed);
    if (std::abs(value) < unusualAmount && !Numbers::hasExponent(typed))
        return true;
    if (ui::askYesNo(this, QStringLiteral("金額是 %1 元，確定嗎？").arg(Numbers::grouped(value))))
        return true;
    money_inout->setFocus();
    money_inout->selectAll();
    return false;
}

bool input_keyin::dayConfirmed(const QDate &day)
{
    QString why;
    if (day > Clock::today().addYears(1))
        why = QStringLiteral("比今天晚了一年以上");
    else if (day < earliestUsualDay)
        why = QStringLiteral("在 1912 年以前");
    if (why.isEmpty() || day == m_confirmedDay)
        return true;
    if (!ui::askYesNo(this, QStringLiteral("日期是 %1，%2，確定嗎？").arg(dayWithWeekday(day), why))) {
        date_new->setFocus();
        date_new->selectAll();
        return false;
    }
    // Asked once: the next entries of that day go in without the question.
    m_confirmedDay = day;
    return true;
}

std::optional<qint64> input_keyin::offerNewKind()
{
    const QString name = Numbers::trimBlanks(kind->currentText());
    if (name.isEmpty()) {
        showMessage(QStringLiteral("請選擇正確的類別"));
        kind->setFocus();
        return std::nullopt;
    }
    if (!ui::storableText(this, kind->accessibleName(), name)) {
        kind->setFocus();
        return std::nullopt;
    }
    if (!ui::askYesNo(this, QStringLiteral("類別清單裡沒有「%1」，要把它新增為一個類別嗎？").arg(name))) {
        kind->setFocus();
        return std::nullopt;
    }
    const qint64 id = KindStore::addKind(name, KindStore::nextKeyOrder());
    Kind_Reflash();
    kind->setCurrentIndex(int(kind->findData(id)));
    // A kind without entries has no usual direction: the one set stays.
    m_directionKind = id;
    return id;
}

QStringList input_keyin::entryFields() const
{
    return { Numbers::trimBlanks(kind->currentText()), account_name->text(), QString::number(inout->currentIndex()),
        Numbers::trimBlanks(amountRead()), note_one->text() };
}

void input_keyin::takeEntry(const EntryStore::Entry &entry)
{
    m_taken = TakenEntry { entry.key, entry.date, entryFields() };
    for (const QObject *field : { account_name, money_inout, note_one, kind->lineEdit() })
        m_typedFields.remove(field);
}

bool input_keyin::takenFieldsChanged() const
{
    if (!m_taken)
        return false;
    const std::optional<QDate> typed = DateText::read(date_new->text());
    return entryFields() != m_taken->fields || (typed && *typed != m_taken->day);
}

QString input_keyin::entryName(const EntryStore::Entry &entry) const
{
    return entry.content + QLatin1Char(' ') + Numbers::text(entry.count);
}

void input_keyin::noteEntered()
{
    const std::optional<EntryStore::Entry> taken
        = takenFieldsChanged() ? EntryStore::entryByKey(m_taken->key) : std::nullopt;
    if (!taken) {
        addEntry();
        return;
    }
    // A correction typed over an entry from the grid must not quietly become a second entry.
    const std::optional<QDate> typed = DateText::read(date_new->text());
    const bool moves = typed && *typed != taken->date;
    QString question = QStringLiteral("欄位裡是 %1「%2」這一筆的資料，已經改過了。\n")
                           .arg(dayWithWeekday(taken->date), entryName(*taken));
    if (moves)
        question += QStringLiteral("修改會把這一筆移到 %1。\n").arg(dayWithWeekday(*typed));
    question += QStringLiteral("要修改這一筆，還是新增一筆？");
    const int choice = ui::askChoice(
        this, question, { QStringLiteral("修改這一筆"), QStringLiteral("新增一筆"), QStringLiteral("取消") });
    if (choice == 1) {
        addEntry();
    } else if (choice == 0 && moves) {
        moveTakenEntry(false);
    } else if (choice == 0 && dayInFieldShown()) {
        const int row = int(row_keys.indexOf(taken->key));
        if (row < 1) {
            showMessage(QStringLiteral("請指定一筆資料再來做修正儲存的動作"));
            return;
        }
        DGrid->setRow(row);
        DGrid->setColSel(1);
        modifyEntry();
    }
}

bool input_keyin::moveTakenEntry(bool ask)
{
    const std::optional<QDate> to = DateText::read(date_new->text());
    const std::optional<EntryStore::Entry> from = m_taken ? EntryStore::entryByKey(m_taken->key) : std::nullopt;
    if (!to || !from) {
        m_taken.reset();
        showMessage(QStringLiteral("請指定一筆資料再來做修正儲存的動作"));
        return false;
    }
    if (ask
        && !ui::askYesNo(this,
            QStringLiteral("要把 %1「%2」這一筆移到 %3 嗎？")
                .arg(dayWithWeekday(from->date), entryName(*from), dayWithWeekday(*to))))
        return false;
    const std::optional<EntryStore::Entry> entry = entryFromFields(*to);
    if (!entry)
        return false;
    EntryHistoryStore::Change change = beginChange({ from->key }, false);
    change.day = from->date; // undoing it shows the entry back on its day
    EntryStore::updateEntry(from->key, *entry);
    finishChange(std::move(change));

    // The entry is shown on its new day, current, its fields taken from it.
    date_new->setText(DateText::defaultText(*to));
    loadDay();
    const int row = int(row_keys.indexOf(from->key));
    if (row > 0) {
        DGrid->setRow(row);
        DGrid->setColSel(1);
    }
    if (const std::optional<EntryStore::Entry> now = EntryStore::entryByKey(from->key))
        takeEntry(*now);
    return true;
}

void input_keyin::kindChosen()
{
    const std::optional<qint64> id = selectedKindId();
    if (!id || id == m_directionKind)
        return;
    m_directionKind = id;
    inout->setCurrentIndex(EntryStore::usualDirection(*id));
}

void input_keyin::descriptionTaken(const QString &description)
{
    const std::optional<EntryStore::Entry> latest = EntryStore::latestWithDescription(description);
    if (!latest)
        return;
    const int position = int(kind->findData(latest->kind));
    if (position >= 0) {
        kind->setCurrentIndex(position);
        kind->setEditText(kind->itemText(position));
        m_directionKind = latest->kind;
    }
    if (latest->inout == 0 || latest->inout == 1)
        inout->setCurrentIndex(latest->inout);
}

bool input_keyin::unsavedTyping() const
{
    for (const QObject *field : { account_name, money_inout, note_one, kind->lineEdit() }) {
        if (m_typedFields.contains(field))
            return true;
    }
    return false;
}

void input_keyin::keyPressEvent(QKeyEvent *event)
{
    // Esc closes the window; typing no add or change has saved is not thrown away unasked.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && unsavedTyping()
        && !ui::askYesNo(this, QStringLiteral("輸入的資料還沒有存檔，確定要關閉嗎？"))) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
