#include "reports/BudgetWindow.h"

#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "reports/BudgetEditor.h"
#include "reports/ChartPages.h"
#include "store/BudgetStore.h"
#include "ui/Controls.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Modal.h"
#include "ui/Readable.h"
#include "ui/WindowFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum Column { Kind, Budget, Actual, Left, Used, Columns };
constexpr int usedShare = Qt::UserRole; // the share of the budget spent, 1.0 for all of it

using ChartPages::expenseColour;
// A share within the budget.
const QColor withinColour(110, 170, 110);

// The share of the budget spent as a bar behind its percent, red once over.
class UsedBar : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QVariant share = index.data(usedShare);
        QStyleOptionViewItem shown = option;
        if (share.isValid()) {
            const QRect room = option.rect.adjusted(3, 4, -3, -4);
            const double part = std::clamp(share.toDouble(), 0.0, 1.0);
            painter->save();
            painter->setPen(Qt::NoPen);
            painter->setBrush(option.palette.color(QPalette::Mid));
            painter->drawRect(room);
            const QColor bar = share.toDouble() > 1.0 ? expenseColour : withinColour;
            painter->setBrush(bar);
            painter->drawRect(QRect(room.topLeft(), QSize(int(room.width() * part), room.height())));
            painter->restore();
            // The percent stands at the right end: on the bar when it reaches there.
            const QColor under = part > 0.8 ? bar : option.palette.color(QPalette::Mid);
            shown.palette.setColor(QPalette::Text, ui::readableOn(under, option.palette.color(QPalette::Text)));
        }
        QStyledItemDelegate::paint(painter, shown, index);
    }
};

QString amountText(const Decimal &amount)
{
    return Numbers::groupThousands(amount.text());
}

// Percent of the budget spent, to a whole percent ("—" for no budget or a budget of 0).
QString percentText(const Decimal &actual, const Decimal &budget)
{
    if (budget == Decimal())
        return QStringLiteral("—");
    return QStringLiteral("%1 %").arg(
        QString::number(Numbers::roundHalfEven(100.0 * actual.toDouble() / budget.toDouble()), 'f', 0));
}

} // namespace

BudgetWindow::BudgetWindow(const QDate &shownMonth, QWidget *parent)
    : QDialog(parent)
    , period(ui::named(new QComboBox(this), "period", QStringLiteral("期間")))
    , year(ui::named(new QSpinBox(this), "year", QStringLiteral("年")))
    , month(ui::named(new QSpinBox(this), "month", QStringLiteral("月")))
    , over_only(ui::named(new QCheckBox(QStringLiteral("只看超支"), this), "over_only"))
    , report(ui::named(new QTableView(this), "report", QStringLiteral("預算")))
    , m_model(new QStandardItemModel(0, Columns, this))
{
    setObjectName(QStringLiteral("BudgetWindow"));
    setWindowTitle(QStringLiteral("預算"));
    setFont(ui::mingFont(10.5));
    period->addItems({ QStringLiteral("月"), QStringLiteral("年") });
    year->setRange(1912, 9999);
    year->setValue(shownMonth.year());
    year->setSuffix(QStringLiteral(" 年"));
    month->setRange(1, 12);
    month->setValue(shownMonth.month());
    month->setSuffix(QStringLiteral(" 月"));
    m_model->setHorizontalHeaderLabels({ QStringLiteral("類別"), QStringLiteral("預算"), QStringLiteral("實際"),
        QStringLiteral("剩餘"), QStringLiteral("使用率") });
    report->setModel(m_model);
    report->setItemDelegateForColumn(Used, new UsedBar(report));
    report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    report->verticalHeader()->hide();
    report->horizontalHeader()->setStretchLastSection(true);

    auto *buttons = new QDialogButtonBox(this);
    cmd_set = ui::named(buttons->addButton(QStringLiteral("設定預算…"), QDialogButtonBox::ActionRole), "cmd_set",
        QStringLiteral("設定預算"));
    cmd_close = ui::named(
        buttons->addButton(QStringLiteral("關閉"), QDialogButtonBox::RejectRole), "cmd_close", QStringLiteral("關閉"));
    auto *top = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *> { period, year, month, over_only })
        top->addWidget(w);
    top->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(report);
    layout->addWidget(buttons);
    ui::designedSize(this, QSize(620, 460));

    const auto reload = [this] { ui::guarded(this, [this] { load(); }); };
    connect(period, &QComboBox::currentIndexChanged, this, reload);
    connect(year, &QSpinBox::valueChanged, this, reload);
    connect(month, &QSpinBox::valueChanged, this, reload);
    connect(over_only, &QCheckBox::toggled, this, reload);
    ui::connectGuarded(cmd_set, &QPushButton::clicked, this, [this] { setBudgets(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    reload();
}

void BudgetWindow::load()
{
    const bool wholeYear = period->currentIndex() == 1;
    month->setVisible(!wholeYear);
    m_model->removeRows(0, m_model->rowCount());
    const QColor base = report->palette().color(QPalette::Base);
    const auto addRow
        = [this, base](const QString &name, const std::optional<Decimal> &budget, const Decimal &actual, bool bold) {
              QList<QStandardItem *> row;
              for (int c = 0; c < Columns; ++c)
                  row.append(new QStandardItem);
              row[Kind]->setText(name);
              row[Actual]->setText(amountText(actual));
              if (budget) {
                  const Decimal left = *budget - actual;
                  row[Budget]->setText(amountText(*budget));
                  row[Left]->setText(amountText(left));
                  if (left < Decimal())
                      row[Left]->setForeground(ui::readableOn(base, expenseColour));
                  row[Used]->setText(percentText(actual, *budget));
                  if (!(*budget == Decimal()))
                      row[Used]->setData(actual.toDouble() / budget->toDouble(), usedShare);
              }
              for (QStandardItem *cell : row) {
                  if (cell != row[Kind])
                      cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                  QFont font = cell->font();
                  font.setBold(bold);
                  cell->setFont(font);
              }
              m_model->appendRow(row);
          };
    std::optional<Decimal> budgetTotal;
    Decimal actualTotal;
    bool headingShown = false;
    for (const BudgetStore::Line &line : BudgetStore::report(year->value(), wholeYear ? 0 : month->value())) {
        actualTotal += line.actual;
        if (line.budget)
            budgetTotal = budgetTotal.value_or(Decimal()) + *line.budget;
        if (over_only->isChecked() && !(line.budget && line.actual > *line.budget))
            continue;
        if (!line.budget && !headingShown) {
            addRow(QStringLiteral("未編列預算"), std::nullopt, Decimal(), true);
            m_model->item(m_model->rowCount() - 1, Actual)->setText(QString());
            headingShown = true;
        }
        addRow(line.budget ? line.name : QStringLiteral("　") + line.name, line.budget, line.actual, false);
    }
    addRow(QStringLiteral("合計"), budgetTotal, actualTotal, true);
    report->resizeColumnsToContents();
}

void BudgetWindow::setBudgets()
{
    BudgetEditor editor(QDate(year->value(), month->value(), 1), this);
    if (ui::showModal(&editor) == QDialog::Accepted)
        load();
}
