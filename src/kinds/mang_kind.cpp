#include "kinds/mang_kind.h"

#include "kinds/mang_kind_assign.h"
#include "platform/Numbers.h"
#include "store/BudgetStore.h"
#include "store/KindStore.h"
#include "store/StoreError.h"
#include "store/SummaryKinds.h"
#include "ui/FieldEnter.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/Modal.h"
#include "ui/PushButton.h"
#include "ui/StorableText.h"

#include <QLineEdit>
#include <QListWidget>

#include <optional>

namespace {

const QString nameExistsText = QStringLiteral("Error!! ...There is a data as the same as what you key in!!");

qint64 idOf(const QListWidgetItem *item)
{
    return item->data(Qt::UserRole).toLongLong();
}

} // namespace

mang_kind::mang_kind(QWidget *parent)
    : QDialog(parent)
{
    buildControls();
    connectControls();
    ui::FieldEnter::watchAll(this);
    ui::guarded(this, [this] { loadWindow(); });
    kind_name->setFocus();
}

void mang_kind::connectControls()
{
    // Selecting a position from code counts as a click too: the reloads rely on it to keep
    // cur_kind and kind_name in step with the list.
    connect(kind, &QListWidget::currentRowChanged, this, &mang_kind::kind_Click);
    ui::connectGuarded(kind_add, &QPushButton::clicked, this, [this] { addKind(); });
    ui::connectGuarded(kind_modify, &QPushButton::clicked, this, [this] { renameKind(); });
    ui::connectGuarded(cmd_up, &QPushButton::clicked, this, [this] { moveKind(-1); });
    ui::connectGuarded(cmd_down, &QPushButton::clicked, this, [this] { moveKind(1); });
    ui::connectGuarded(kind_del, &QPushButton::clicked, this, [this] { deleteKind(); });
    ui::connectGuarded(kind, &QListWidget::itemDoubleClicked, this, [this] { addSummaryKind(); });
    ui::connectGuarded(skinds, &QListWidget::itemDoubleClicked, this, [this] { removeSummaryKind(); });
}

void mang_kind::loadWindow()
{
    // Read first: if the read fails, the lists still show what they showed.
    const QVector<KindStore::Kind> kinds = KindStore::kindsByOrder();
    kind->clear();
    kind_ids.clear();
    kind_ids.reserve(kinds.size());
    for (const KindStore::Kind &each : kinds) {
        kind_ids.append(each.id);
        kind->addItem(each.name);
    }
    if (kind->count() > 0)
        kind->setCurrentRow(0);
    else
        kind_Click(-1);
    update_skinds();
}

void mang_kind::update_skinds()
{
    // Every id of the table counts here, those after a 0 in a hand-edited file as well: the
    // list shows every kind the file names.
    const QVector<KindStore::Kind> kinds = KindStore::kindsInList(database_access::SKinds);
    skinds->clear();
    for (const KindStore::Kind &each : kinds) {
        auto *item = new QListWidgetItem(each.name, skinds);
        item->setData(Qt::UserRole, each.id);
    }
}

void mang_kind::kind_Click(int position)
{
    if (position < 0 || position >= kind_ids.size() || position >= kind->count()) {
        cur_kind = -1;
        kind_name->clear();
        return;
    }
    cur_kind = position;
    kind_name->setText(kind->item(position)->text());
}

void mang_kind::addKind()
{
    const QString name = Numbers::trimBlanks(kind_name->text());
    if (!ui::storableText(this, kind_name->accessibleName(), name))
        return;
    if (KindStore::nameTaken(name)) {
        ui::showMessage(this, nameExistsText);
        return;
    }
    const qint64 order = KindStore::nextKeyOrder();
    if (name.isEmpty()) {
        ui::showMessage(this, QStringLiteral("Please key in correct data in the faild"));
        return;
    }
    KindStore::addKind(name, order);
    ui::showMessage(this, QStringLiteral("Done!"));
    loadWindow();
}

void mang_kind::renameKind()
{
    const int position = cur_kind;
    if (position < 0 || position >= kind_ids.size())
        return;
    if (!ui::askYesNo(this, QStringLiteral("Are you sure to save data that you just changed?")))
        return;
    // A blank name or one that another kind bears would make the kinds impossible to tell
    // apart in every list that shows them.
    const QString name = Numbers::trimBlanks(kind_name->text());
    if (name.isEmpty()) {
        ui::showMessage(this, QStringLiteral("Please key in correct data in the field!!"));
        return;
    }
    if (!ui::storableText(this, kind_name->accessibleName(), name))
        return;
    const qint64 id = kind_ids.at(position);
    if (KindStore::nameTaken(name, id)) {
        ui::showMessage(this, nameExistsText);
        return;
    }
    KindStore::renameKind(id, name);
    ui::showMessage(this, QStringLiteral("Modify\rDond!"));
    loadWindow();
    if (position < kind->count())
        kind->setCurrentRow(position);
}

void mang_kind::moveKind(int step)
{
    const int position = cur_kind;
    if (position < 0 || position >= kind_ids.size())
        return;
    if (step < 0 && position == 0) {
        ui::showMessage(this, QStringLiteral("You can't move it up any more!"));
        return;
    }
    if (step > 0 && position == kind_ids.size() - 1) {
        ui::showMessage(this, QStringLiteral("You can't move it down any more!"));
        return;
    }
    const int neighbour = position + step;
    KindStore::swapKeyOrder(kind_ids.at(position), kind_ids.at(neighbour));
    loadWindow();
    kind->setFocus();
    kind->setCurrentRow(neighbour);
}

void mang_kind::deleteKind()
{
    const int position = cur_kind;
    if (position < 0 || position >= kind_ids.size())
        return;
    const qint64 id = kind_ids.at(position);
    const QString name = kind->item(position)->text();

    std::optional<qint64> target;
    const qint64 entries = KindStore::entryCountOfKind(id);
    if (entries > 0) {
        mang_kind_assign dialog(name, id, entries, this);
        if (dialog.choiceCount() == 0) {
            ui::showMessage(this,
                QStringLiteral("無法刪除種類「%1」：它還有 %2 筆帳目，卻沒有其他種類可以接收。"
                               "請先新增另一個種類。")
                    .arg(name)
                    .arg(entries));
            return;
        }
        ui::showModal(&dialog);
        target = dialog.chosenKind();
        if (!target)
            return; // closed without a choice: the deletion ends with nothing changed
    }

    // A kind with a budget loses it: said before the usual question.
    const QString budgetGoes
        = QStringLiteral("種類「%1」編列了預算，刪除種類會連它的預算一起刪除。要繼續嗎？").arg(name);
    if (BudgetStore::hasBudget(id) && !ui::askYesNo(this, budgetGoes))
        return;
    if (!ui::askYesNo(this, QStringLiteral("Are you sure to delete ?")))
        return;

    // The summary kinds are written in the order the list shows them.
    QVector<qint64> remaining;
    bool wasSummaryKind = false;
    for (int row = 0; row < skinds->count(); ++row) {
        const qint64 summaryId = idOf(skinds->item(row));
        if (summaryId == id)
            wasSummaryKind = true;
        else
            remaining.append(summaryId);
    }
    std::optional<QVector<qint64>> summaryKinds;
    if (wasSummaryKind)
        summaryKinds = remaining;

    try {
        KindStore::deleteKind(id, target, summaryKinds);
    } catch (const StoreError &) {
        // The kind may be gone already (only SKinds.txt failed): show what the ledger holds.
        loadWindow();
        throw;
    }
    ui::showMessage(this, QStringLiteral("Delete\rDone!"));
    loadWindow();
}

void mang_kind::addSummaryKind()
{
    const int position = kind->currentRow();
    if (position < 0 || position >= kind_ids.size())
        return;
    // The new summary kind goes first; the list still shows it in its place.
    if (!database_access::Add_Summary_Kind(kind_ids.at(position))) {
        ui::showMessage(
            this, QStringLiteral("此種類,") + kind->item(position)->text() + QStringLiteral(",已是結算分類之一了"));
        return;
    }
    update_skinds();
}

void mang_kind::removeSummaryKind()
{
    const QListWidgetItem *item = skinds->currentItem();
    if (!item)
        return;
    database_access::Remove_Summary_Kind(idOf(item));
    update_skinds();
}
