#include "recurring/DueWindow.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "store/KindStore.h"
#include "ui/AmountText.h"
#include "ui/Controls.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/WindowFit.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum Column { Tick, Date, Direction, Kind, Content, Amount, Note, Columns };

} // namespace

DueWindow::DueWindow(QWidget *parent)
    : QDialog(parent)
    , due(ui::named(new QTableView(this), "due", QStringLiteral("到期的固定收支")))
    , summary(ui::named(new QLabel(this), "summary"))
    , m_model(new QStandardItemModel(0, Columns, this))
{
    setObjectName(QStringLiteral("DueWindow"));
    setWindowTitle(QStringLiteral("到期的固定收支"));
    setFont(ui::mingFont(10.5));
    m_model->setHorizontalHeaderLabels({ QStringLiteral("記入"), QStringLiteral("日期"), QStringLiteral("收支"),
        QStringLiteral("類別"), QStringLiteral("帳目名稱"), QStringLiteral("金額"), QStringLiteral("註解") });
    due->setModel(m_model);
    due->verticalHeader()->hide();
    due->horizontalHeader()->setStretchLastSection(true);
    due->setEditTriggers(QAbstractItemView::AllEditTriggers);

    auto *buttons = new QDialogButtonBox(this);
    const auto add = [buttons](const char *name, const QString &caption, QDialogButtonBox::ButtonRole role) {
        return ui::named(buttons->addButton(caption, role), name, caption);
    };
    cmd_enter = add("cmd_enter", QStringLiteral("記入"), QDialogButtonBox::ActionRole);
    cmd_enter->setToolTip(QStringLiteral("把勾選的幾筆記進帳本"));
    cmd_skip = add("cmd_skip", QStringLiteral("略過這次"), QDialogButtonBox::ActionRole);
    cmd_skip->setToolTip(QStringLiteral("勾選的幾筆這次不記，以後也不再列出"));
    cmd_undo = add("cmd_undo", QStringLiteral("復原"), QDialogButtonBox::ActionRole);
    cmd_undo->setToolTip(QStringLiteral("把剛才記入的幾筆整批拿掉，再列回清單"));
    cmd_undo->setEnabled(false);
    cmd_later = add("cmd_later", QStringLiteral("以後再說"), QDialogButtonBox::RejectRole);
    cmd_enter->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(due);
    layout->addWidget(summary);
    layout->addWidget(buttons);
    ui::designedSize(this, QSize(760, 360));

    ui::connectGuarded(cmd_enter, &QPushButton::clicked, this, [this] { enter(); });
    ui::connectGuarded(cmd_skip, &QPushButton::clicked, this, [this] { skip(); });
    ui::connectGuarded(cmd_undo, &QPushButton::clicked, this, [this] { undo(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ui::guarded(this, [this] { load(); });
    if (anythingDue())
        summary->setText(QStringLiteral("勾選要記入的幾筆再按「記入」；金額每次不同的，先在金額欄填上這次的金額。"));
}

bool DueWindow::anythingDue() const
{
    return !m_due.isEmpty();
}

void DueWindow::load()
{
    // What the person ticked or unticked stays so while the list is read again.
    QHash<std::pair<qint64, QDate>, Qt::CheckState> ticks;
    for (int r = 0; r < m_model->rowCount(); ++r)
        ticks.insert({ m_due.at(r).item, m_due.at(r).date }, m_model->item(r, Tick)->checkState());
    m_model->removeRows(0, m_model->rowCount());
    m_due = RecurringStore::due(Clock::today());
    QHash<qint64, RecurringStore::Item> items;
    for (const RecurringStore::Item &item : RecurringStore::items())
        items.insert(item.id, item);
    for (const RecurringStore::Occurrence &o : m_due) {
        const RecurringStore::Item item = items.value(o.item);
        const std::optional<KindStore::Kind> kind = KindStore::kindById(item.kind);
        QList<QStandardItem *> row;
        for (const QString &text : { QString(), DateText::shownSlashed(o.date),
                 item.inout == 1 ? QStringLiteral("收入") : QStringLiteral("支出"), kind ? kind->name : QString(),
                 item.content, item.amount ? Numbers::text(*item.amount) : QString(), item.note }) {
            auto *cell = new QStandardItem(text);
            cell->setEditable(false);
            row.append(cell);
        }
        row[Tick]->setCheckable(true);
        row[Tick]->setCheckState(ticks.value({ o.item, o.date }, item.automatic ? Qt::Checked : Qt::Unchecked));
        row[Amount]->setEditable(true);
        row[Amount]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row[Amount]->setToolTip(
            item.amount ? QStringLiteral("這次的金額不同時可以改") : QStringLiteral("金額每次不同：請輸入這次的金額"));
        m_model->appendRow(row);
    }
    due->resizeColumnsToContents();
    due->setColumnWidth(Amount,
        std::max(due->columnWidth(Amount), due->fontMetrics().horizontalAdvance(QStringLiteral("1,234,567.89"))));
    const bool any = !m_due.isEmpty();
    cmd_enter->setEnabled(any);
    cmd_skip->setEnabled(any);
    if (!any && !cmd_undo->isEnabled())
        summary->setText(QStringLiteral("沒有到期的固定收支。"));
}

std::optional<QVector<RecurringStore::Posting>> DueWindow::ticked(bool withAmounts)
{
    QVector<RecurringStore::Posting> out;
    for (int r = 0; r < m_model->rowCount(); ++r) {
        if (m_model->item(r, Tick)->checkState() != Qt::Checked)
            continue;
        RecurringStore::Posting posting { m_due.at(r), std::nullopt };
        if (withAmounts) {
            QString why;
            const QString typed = m_model->item(r, Amount)->text();
            posting.amount = typed.trimmed().isEmpty() ? std::nullopt : readAmount(typed, &why);
            if (!posting.amount) {
                ui::showMessage(this,
                    QStringLiteral("請輸入 %1「%2」的金額")
                            .arg(m_model->item(r, Date)->text(), m_model->item(r, Content)->text())
                        + (why.isEmpty() ? QString() : QStringLiteral("\n") + why));
                due->setCurrentIndex(m_model->index(r, Amount));
                due->edit(m_model->index(r, Amount));
                return std::nullopt;
            }
        }
        out.append(posting);
    }
    if (out.isEmpty()) {
        ui::showMessage(this, QStringLiteral("請先勾選要處理的項目"));
        return std::nullopt;
    }
    return out;
}

void DueWindow::enter()
{
    const std::optional<QVector<RecurringStore::Posting>> postings = ticked(true);
    if (!postings)
        return;
    const RecurringStore::Posted posted = RecurringStore::post(*postings);
    QSet<qint64> incomes;
    for (const RecurringStore::Item &item : RecurringStore::items())
        if (item.inout == 1)
            incomes.insert(item.id);
    Decimal income, expense;
    for (const RecurringStore::Posting &p : *postings) {
        (incomes.contains(p.occurrence.item) ? income : expense)
            += Decimal::fromText(Numbers::text(*p.amount)).value_or(Decimal());
    }
    m_lastKeys = posted.keys;
    cmd_undo->setEnabled(!m_lastKeys.isEmpty());
    QString text = QStringLiteral("已記入 %1 筆").arg(posted.keys.size());
    if (!(expense == Decimal()))
        text += QStringLiteral("，支出 %1 元").arg(Numbers::groupThousands(expense.text()));
    if (!(income == Decimal()))
        text += QStringLiteral("，收入 %1 元").arg(Numbers::groupThousands(income.text()));
    if (posted.alreadyDone > 0)
        text += QStringLiteral("；另有 %1 筆已經在別處處理過，沒有重複記入").arg(posted.alreadyDone);
    summary->setText(text + QStringLiteral("。"));
    load();
}

void DueWindow::skip()
{
    const std::optional<QVector<RecurringStore::Posting>> postings = ticked(false);
    if (!postings)
        return;
    const RecurringStore::Posted posted = RecurringStore::post(*postings);
    summary->setText(QStringLiteral("已略過 %1 筆。").arg(posted.skipped));
    load();
}

void DueWindow::undo()
{
    RecurringStore::takeBack(m_lastKeys);
    summary->setText(QStringLiteral("已拿掉剛才記入的 %1 筆。").arg(m_lastKeys.size()));
    m_lastKeys.clear();
    cmd_undo->setEnabled(false);
    load();
}
