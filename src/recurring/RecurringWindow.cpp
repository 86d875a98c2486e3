#include "recurring/RecurringWindow.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "recurring/DueWindow.h"
#include "recurring/RecurringEditor.h"
#include "store/KindStore.h"
#include "store/RecurringStore.h"
#include "ui/Controls.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/Modal.h"
#include "ui/WindowFit.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The oldest occurrence not dealt with, said to be overdue when it is, or that the item ended.
QString nextText(const RecurringStore::Item &item)
{
    const QDate date = RecurringStore::firstOpen(item);
    if (!date.isValid())
        return QStringLiteral("已結束");
    return DateText::shownSlashed(date) + (date <= Clock::today() ? QStringLiteral("（到期未記）") : QString());
}

} // namespace

RecurringWindow::RecurringWindow(QWidget *parent)
    : QDialog(parent)
    , items(ui::named(new QTableView(this), "items", QStringLiteral("固定收支")))
    , m_model(new QStandardItemModel(0, 7, this))
{
    setObjectName(QStringLiteral("RecurringWindow"));
    setWindowTitle(QStringLiteral("固定收支"));
    setFont(ui::mingFont(10.5));
    m_model->setHorizontalHeaderLabels({ QStringLiteral("收支"), QStringLiteral("類別"), QStringLiteral("帳目名稱"),
        QStringLiteral("金額"), QStringLiteral("頻率"), QStringLiteral("下次"), QStringLiteral("到期時") });
    items->setModel(m_model);
    items->setSelectionBehavior(QAbstractItemView::SelectRows);
    items->setSelectionMode(QAbstractItemView::SingleSelection);
    items->setEditTriggers(QAbstractItemView::NoEditTriggers);
    items->verticalHeader()->hide();
    items->horizontalHeader()->setStretchLastSection(true);

    auto *buttons = new QDialogButtonBox(this);
    const auto add = [buttons](const char *name, const QString &caption, QDialogButtonBox::ButtonRole role) {
        return ui::named(buttons->addButton(caption, role), name, caption);
    };
    cmd_add = add("cmd_add", QStringLiteral("新增"), QDialogButtonBox::ActionRole);
    cmd_change = add("cmd_change", QStringLiteral("修改"), QDialogButtonBox::ActionRole);
    cmd_delete = add("cmd_delete", QStringLiteral("刪除"), QDialogButtonBox::ActionRole);
    cmd_due = add("cmd_due", QStringLiteral("到期的固定收支"), QDialogButtonBox::ActionRole);
    cmd_close = add("cmd_close", QStringLiteral("關閉"), QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(items);
    layout->addWidget(buttons);
    ui::designedSize(this, QSize(760, 360));

    ui::connectGuarded(cmd_add, &QPushButton::clicked, this, [this] { edit(0); });
    ui::connectGuarded(cmd_change, &QPushButton::clicked, this, [this] { edit(currentId()); });
    ui::connectGuarded(items, &QTableView::doubleClicked, this, [this] { edit(currentId()); });
    ui::connectGuarded(cmd_delete, &QPushButton::clicked, this, [this] { remove(); });
    ui::connectGuarded(cmd_due, &QPushButton::clicked, this, [this] {
        DueWindow window(this);
        ui::showModal(&window);
        load();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ui::guarded(this, [this] { load(); });
}

void RecurringWindow::load()
{
    m_model->removeRows(0, m_model->rowCount());
    for (const RecurringStore::Item &item : RecurringStore::items()) {
        const std::optional<KindStore::Kind> kind = KindStore::kindById(item.kind);
        QList<QStandardItem *> row;
        for (const QString &text : { item.inout == 1 ? QStringLiteral("收入") : QStringLiteral("支出"),
                 kind ? kind->name : QStringLiteral("（已刪除的類別）"), item.content,
                 item.amount ? Numbers::grouped(*item.amount) : QStringLiteral("每次不同"), item.when.shown(),
                 nextText(item), item.automatic ? QStringLiteral("自動記入") : QStringLiteral("提醒我") })
            row.append(new QStandardItem(text));
        row.first()->setData(item.id, Qt::UserRole);
        row[3]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_model->appendRow(row);
    }
    items->resizeColumnsToContents();
    const bool any = m_model->rowCount() > 0;
    cmd_change->setEnabled(any);
    cmd_delete->setEnabled(any);
    if (any && !items->currentIndex().isValid())
        items->selectRow(0);
}

qint64 RecurringWindow::currentId() const
{
    const QModelIndex current = items->currentIndex();
    return current.isValid() ? m_model->item(current.row())->data(Qt::UserRole).toLongLong() : 0;
}

void RecurringWindow::edit(qint64 id)
{
    std::optional<RecurringStore::Item> item = id != 0 ? RecurringStore::item(id) : RecurringStore::Item {};
    if (!item)
        return;
    RecurringEditor editor(*item, this);
    if (ui::showModal(&editor) != QDialog::Accepted)
        return;
    load();
    for (int r = 0; r < m_model->rowCount(); ++r)
        if (m_model->item(r)->data(Qt::UserRole).toLongLong() == editor.savedId())
            items->selectRow(r);
}

void RecurringWindow::remove()
{
    const qint64 id = currentId();
    const std::optional<RecurringStore::Item> item = id != 0 ? RecurringStore::item(id) : std::nullopt;
    if (!item)
        return;
    if (!ui::askYesNo(this,
            QStringLiteral("刪除固定收支「%1」（%2）嗎？\n已經記入的帳目會留著。")
                .arg(item->content, item->when.shown())))
        return;
    RecurringStore::deleteItem(id);
    load();
}
