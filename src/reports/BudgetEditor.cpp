#include "reports/BudgetEditor.h"

#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "store/BudgetStore.h"
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
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QStandardItem *amountCell(const std::optional<Decimal> &amount)
{
    auto *cell = new QStandardItem(amount ? amount->text() : QString());
    cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return cell;
}

} // namespace

BudgetEditor::BudgetEditor(const QDate &month, QWidget *parent)
    : QDialog(parent)
    , budgets(ui::named(new QTableView(this), "budgets", QStringLiteral("預算")))
    , m_month(month)
    , m_model(new QStandardItemModel(0, 3, this))
{
    setObjectName(QStringLiteral("BudgetEditor"));
    setWindowTitle(QStringLiteral("設定預算"));
    setFont(ui::mingFont(10.5));
    m_model->setHorizontalHeaderLabels({ QStringLiteral("類別"), QStringLiteral("每月預算"),
        DateText::shownYearMonth(month) + QStringLiteral(" 另訂") });
    const QHash<qint64, Decimal> monthly = BudgetStore::monthly();
    const QHash<qint64, QHash<int, Decimal>> single = BudgetStore::monthsOf(month.year());
    for (const KindStore::Kind &kind : KindStore::kindsByOrder()) {
        auto *name = new QStandardItem(kind.name);
        name->setEditable(false);
        name->setData(kind.id, Qt::UserRole);
        const QHash<int, Decimal> own = single.value(kind.id);
        m_model->appendRow({ name,
            amountCell(monthly.contains(kind.id) ? std::optional<Decimal>(monthly.value(kind.id)) : std::nullopt),
            amountCell(
                own.contains(month.month()) ? std::optional<Decimal>(own.value(month.month())) : std::nullopt) });
    }
    budgets->setModel(m_model);
    budgets->verticalHeader()->hide();
    budgets->horizontalHeader()->setStretchLastSection(true);
    budgets->resizeColumnsToContents();

    auto *hint = new QLabel(
        QStringLiteral("支出類別的每月預算；某個月要不同時填在「另訂」。空白表示沒有預算，不會累積到下個月。"), this);
    hint->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(this);
    ui::named(buttons->addButton(QStringLiteral("確定"), QDialogButtonBox::AcceptRole), "ok");
    ui::named(buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole), "cancel");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(budgets);
    layout->addWidget(buttons);
    ui::designedSize(this, QSize(520, 420));
    ui::connectGuarded(buttons, &QDialogButtonBox::accepted, this, [this] { save(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void BudgetEditor::save()
{
    QVector<BudgetStore::Setting> settings;
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const qint64 kind = m_model->item(r, 0)->data(Qt::UserRole).toLongLong();
        for (int c = 1; c <= 2; ++c) {
            BudgetStore::Setting setting { kind, c == 1 ? QDate() : m_month, std::nullopt };
            const QString typed = m_model->item(r, c)->text();
            if (Numbers::trimBlanks(typed).isEmpty()) {
                settings.append(setting);
                continue;
            }
            QString why;
            const std::optional<double> read = readAmount(typed, &why);
            const std::optional<Decimal> amount = read ? Decimal::fromText(Numbers::text(*read)) : std::nullopt;
            if (!amount || *amount < Decimal()) {
                ui::showMessage(this,
                    QStringLiteral("「%1」的預算請輸入 0 或以上的金額\n%2")
                        .arg(m_model->item(r, 0)->text(), why.isEmpty() ? Numbers::acceptedAmountForms() : why));
                budgets->setCurrentIndex(m_model->index(r, c));
                budgets->edit(m_model->index(r, c));
                return;
            }
            setting.amount = amount;
            settings.append(setting);
        }
    }
    BudgetStore::set(settings);
    accept();
}
