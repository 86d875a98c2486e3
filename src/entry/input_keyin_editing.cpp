#include "entry/input_keyin.h"

#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "store/EntryStore.h"
#include "ui/DGrid.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/PushButton.h"
#include "ui/RichTextBox.h"
#include "ui/StorableText.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QLineEdit>

bool input_keyin::dayInFieldShown()
{
    const std::optional<QDate> day = DateText::read(date_new->text());
    if (!day || *day != m_shownDay)
        return loadDay();
    return true;
}

std::optional<qint64> input_keyin::selectedKindId() const
{
    const QString typed = kind->currentText();
    const QString trimmed = Numbers::trimBlanks(typed);
    const auto matches = [&](int position) {
        const QString item = kind->itemText(position);
        return item == typed || item == trimmed;
    };
    int position = kind->currentIndex();
    if (position < 0 || !matches(position)) {
        // The box is editable: a name typed in full picks that kind, anything else none.
        position = -1;
        for (int i = 0; i < kind->count() && position < 0; ++i) {
            if (matches(i))
                position = i;
        }
    }
    if (position < 0 || position >= kind_ids.size())
        return std::nullopt;
    return kind_ids.at(position);
}

QString input_keyin::amountRead() const
{
    return Numbers::plainAmount(money_inout->text()).value_or(money_inout->text());
}

namespace {

// Why an amount cannot be stored as typed; empty when it can.
QString tooPrecise(const QString &amount)
{
    const int digits = Numbers::significantDigits(amount);
    if (digits <= Numbers::storableDigits)
        return {};
    return QStringLiteral("金額「%1」有 %2 位有效數字，帳本最多只能照打的存下 %3 位，請重新輸入")
        .arg(Numbers::trimBlanks(amount))
        .arg(digits)
        .arg(Numbers::storableDigits);
}

} // namespace

std::optional<qint64> input_keyin::checkedEntryFields()
{
    if (!Numbers::isNumeric(amountRead())) {
        showMessage(QStringLiteral("請輸入正確錢的數目\n") + Numbers::acceptedAmountForms());
        money_inout->setFocus();
        return std::nullopt;
    }
    const bool refusedOnLeaving = m_amountRefusedOnLeaving == money_inout->text();
    m_amountRefusedOnLeaving.reset();
    if (const QString why = tooPrecise(amountRead()); !why.isEmpty()) {
        if (!refusedOnLeaving)
            showMessage(why);
        money_inout->setFocus();
        money_inout->selectAll();
        return std::nullopt;
    }
    if (Numbers::trimBlanks(account_name->text()).isEmpty()) {
        showMessage(QStringLiteral("請輸入正確的帳目名稱"));
        account_name->setFocus();
        return std::nullopt;
    }
    // Nothing of the command is written while any text it saves cannot be kept as typed.
    const auto storable = [this](QWidget *field, const QString &text) {
        if (ui::storableText(this, field->accessibleName(), text))
            return true;
        field->setFocus();
        return false;
    };
    if (!storable(account_name, account_name->text()) || !storable(note_one, note_one->text())
        || !storable(note_day, note_day->text()))
        return std::nullopt;
    std::optional<qint64> kindId = selectedKindId();
    if (!kindId)
        kindId = offerNewKind();
    return kindId;
}

void input_keyin::gridClicked()
{
    if (DGrid->row() == 0) {
        DGrid->setRow(1);
        DGrid->setColSel(1);
    }
    const qint64 key = row_keys.value(DGrid->row());
    if (key == 0)
        return;
    const std::optional<EntryStore::Entry> entry = EntryStore::entryByKey(key);
    if (!entry)
        return;
    m_directionKind = entry->kind;
    for (int i = 0; i < kind->count(); ++i) {
        if (kind->itemData(i).toLongLong() == entry->kind) {
            kind->setCurrentIndex(i);
            kind->setEditText(kind->itemText(i));
            break;
        }
    }
    date_new->setText(DateText::defaultText(entry->date));
    if (entry->inout == 0 || entry->inout == 1)
        inout->setCurrentIndex(entry->inout);
    money_inout->setText(Numbers::text(entry->count));
    account_name->setText(entry->content);
    note_one->setText(entry->note);
    takeEntry(*entry);
}

bool input_keyin::showEntry(const QDate &day, qint64 key)
{
    date_new->setText(DateText::defaultText(day));
    if (!loadDay())
        return false;
    if (key == 0)
        return true;
    const int row = int(row_keys.indexOf(key));
    if (row < 1)
        return false;
    DGrid->setRow(row);
    DGrid->setColSel(1);
    gridClicked();
    // The amount is what a person most often comes to correct.
    money_inout->setFocus();
    money_inout->selectAll();
    return true;
}

void input_keyin::collapseSelection()
{
    DGrid->setRowSel(DGrid->row());
}

std::optional<EntryStore::Entry> input_keyin::entryFromFields(const QDate &day)
{
    const std::optional<qint64> kindId = checkedEntryFields();
    if (!kindId || !amountConfirmed() || !dayConfirmed(day))
        return std::nullopt;
    EntryStore::Entry entry;
    entry.date = day;
    entry.kind = *kindId;
    entry.inout = std::max(0, inout->currentIndex());
    entry.content = Numbers::trimBlanks(account_name->text());
    entry.count = Numbers::toNumber(amountRead());
    entry.note = Numbers::trimBlanks(note_one->text());
    entry.kindName = Numbers::trimBlanks(kind->currentText());
    return entry;
}

void input_keyin::addEntry()
{
    if (!dayInFieldShown())
        return;
    std::optional<EntryStore::Entry> entry = entryFromFields(m_shownDay);
    if (!entry)
        return;
    // A new entry keeps its description as typed; a modified one is trimmed.
    entry->content = account_name->text();
    entry->key = EntryStore::nextKey();
    EntryHistoryStore::Change change = beginChange({ entry->key }, true);
    EntryStore::addEntry(*entry);

    // The entry is in; a note that cannot be saved is reported without hiding it.
    ui::guarded(this, [this] { Check_Note_Day(); });
    finishChange(std::move(change));
    loadDay();
    m_taken.reset();
    note_one->clear();
    // The new entry's row is current, so 修改 and 刪除 act on the entry just added and not
    // on another one of the day.
    const int added = int(row_keys.indexOf(entry->key));
    DGrid->setRow(added > 0 ? added : 1);
    DGrid->setColSel(1);
    kind->setFocus();
}

void input_keyin::modifyEntry()
{
    // An entry taken from the grid with another day typed since: it moves to that day.
    if (const std::optional<QDate> typed = DateText::read(date_new->text());
        m_taken && typed && *typed != m_taken->day) {
        moveTakenEntry(true);
        return;
    }
    if (!dayInFieldShown())
        return;
    const int row = DGrid->row();
    if (row == 0 || row_keys.value(1) == 0 || row >= row_keys.size()) {
        showMessage(QStringLiteral("請指定一筆資料再來做修正儲存的動作"));
        return;
    }
    const std::optional<EntryStore::Entry> entry = entryFromFields(m_shownDay);
    if (!entry)
        return;
    const qint64 key = row_keys.at(row);
    EntryHistoryStore::Change change = beginChange({ key }, true);
    EntryStore::updateEntry(key, *entry);

    ui::guarded(this, [this] { Check_Note_Day(); });
    finishChange(std::move(change));
    loadDay();
    // The fields now hold the entry as it is stored.
    if (const std::optional<EntryStore::Entry> now = EntryStore::entryByKey(key))
        takeEntry(*now);
}

void input_keyin::deleteEntry()
{
    if (!dayInFieldShown())
        return;
    if (row_keys.value(1) == 0) {
        showMessage(QStringLiteral("請指定一筆資料再來做刪除的動作"));
        return;
    }
    const int row = DGrid->row();
    if (row < 1 || row >= row_keys.size()) {
        showMessage(QStringLiteral("請選擇一筆資料"));
        return;
    }
    // The question names the entry that will go, read from its row, whatever the fields hold.
    const qint64 key = row_keys.at(row);
    const std::optional<EntryStore::Entry> doomed = EntryStore::entryByKey(key);
    if (!doomed) {
        showMessage(QStringLiteral("請選擇一筆資料"));
        loadDay();
        return;
    }
    const QString question = QStringLiteral("真的嗎?...要刪除") + DateText::defaultText(doomed->date)
        + QStringLiteral(" ") + doomed->content + QStringLiteral(" 這筆資料嗎");
    if (!ui::askYesNo(this, question))
        return;
    EntryHistoryStore::Change change = beginChange({ key }, false);
    EntryStore::deleteEntry(key);
    finishChange(std::move(change));
    if (m_taken && m_taken->key == key)
        m_taken.reset();
    loadDay();
    date_new->setFocus();
}

void input_keyin::moveEntry(int index)
{
    if (!dayInFieldShown())
        return;
    const bool up = index == 0;
    const int row = DGrid->row();
    if (row == 0) {
        showMessage(QStringLiteral("請選擇一列來進行上下移!"));
        return;
    }
    if (up && row == 1) {
        showMessage(QStringLiteral("請選擇一正確的列來進行上移!"));
        return;
    }
    if (!up && row >= DGrid->rows() - 1) {
        showMessage(QStringLiteral("請選擇一正確的列來進行下移!"));
        return;
    }
    const int other = up ? row - 1 : row + 1;
    const qint64 a = row_keys.value(row);
    const qint64 b = row_keys.value(other);
    if (a == 0 || b == 0)
        return;
    EntryHistoryStore::Change change = beginChange({ a, b }, false);
    EntryStore::exchangeKeys(a, b);
    finishChange(std::move(change));
    loadDay();
    DGrid->setRow(other);
    DGrid->setColSel(1);
}

void input_keyin::openKindManager()
{
    if (!m_openers.kindManager)
        return;
    m_openers.kindManager(this, pos() + QPoint(ui::twips(1500), ui::twips(800)));
    m_taken.reset();
    m_directionKind.reset();
    Kind_Reflash();
    loadDay();
}

void input_keyin::leaveAmount()
{
    if (money_inout->text().isEmpty())
        return;
    const QString amount = amountRead();
    const QString why = Numbers::isNumeric(amount)
        ? tooPrecise(amount)
        : QStringLiteral("請輸入正確的金錢數字\n") + Numbers::acceptedAmountForms();
    if (why.isEmpty())
        return;
    if (Numbers::isNumeric(amount))
        m_amountRefusedOnLeaving = money_inout->text();
    showMessage(why);
    money_inout->setFocus();
    money_inout->selectAll();
}
