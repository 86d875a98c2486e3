#include "recurring/RecurringEditor.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "store/KindStore.h"
#include "ui/AmountText.h"
#include "ui/Controls.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/StorableText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

using Rule = Recurrence::Rule;

namespace {

QSpinBox *spin(QWidget *parent, const char *name, int low, int high, const QString &suffix)
{
    auto *box = ui::named(new QSpinBox(parent), name);
    box->setRange(low, high);
    box->setSuffix(suffix);
    return box;
}

} // namespace

RecurringEditor::RecurringEditor(const RecurringStore::Item &item, QWidget *parent)
    : QDialog(parent)
    , m_item(item)
{
    setObjectName(QStringLiteral("RecurringEditor"));
    setWindowTitle(item.id == 0 ? QStringLiteral("新增固定收支") : QStringLiteral("修改固定收支"));
    setFont(ui::mingFont(10.5));

    inout = ui::named(new QComboBox(this), "inout", QStringLiteral("收支"));
    inout->addItems({ QStringLiteral("支出"), QStringLiteral("收入") });
    inout->setCurrentIndex(item.inout == 1 ? 1 : 0);
    kind = ui::named(new QComboBox(this), "kind", QStringLiteral("類別"));
    for (const KindStore::Kind &k : KindStore::kindsByOrder()) {
        kind->addItem(k.name, k.id);
        if (k.id == item.kind)
            kind->setCurrentIndex(kind->count() - 1);
    }
    account_name = ui::named(new QLineEdit(item.content, this), "account_name", QStringLiteral("帳目名稱"));
    money = ui::named(
        new QLineEdit(item.amount ? Numbers::text(*item.amount) : QString(), this), "money", QStringLiteral("金額"));
    amount_varies = ui::named(new QCheckBox(QStringLiteral("金額每次不同"), this), "amount_varies");
    amount_varies->setToolTip(QStringLiteral("每次到期時再輸入金額，例如每兩個月一次、金額不定的電費"));
    amount_varies->setChecked(item.id != 0 && !item.amount);
    note_one = ui::named(new QLineEdit(item.note, this), "note_one", QStringLiteral("註解"));
    const QDate first = item.when.first.isValid() ? item.when.first : Clock::today();
    first_date = ui::named(new QLineEdit(DateText::defaultText(first), this), "first_date", QStringLiteral("開始日期"));

    rule = ui::named(new QComboBox(this), "rule", QStringLiteral("頻率"));
    rule->addItems({ QStringLiteral("每月第 N 日"), QStringLiteral("每月最後一天"), QStringLiteral("每 N 個月"),
        QStringLiteral("每年 M 月 D 日"), QStringLiteral("每週 星期 N") });
    rule->setCurrentIndex(static_cast<int>(item.when.rule));
    number = spin(this, "number", 1, 120, QString());
    day = spin(this, "day", 1, 31, QStringLiteral(" 日"));
    weekday = ui::named(new QComboBox(this), "weekday", QStringLiteral("星期"));
    for (int w = 1; w <= 7; ++w)
        weekday->addItem(QStringLiteral("星期") + DateText::weekdayName(w));
    const bool isNew = item.id == 0 && !item.when.first.isValid();
    number->setValue(isNew ? first.day() : item.when.number);
    day->setValue(isNew ? first.day() : item.when.day);
    weekday->setCurrentIndex(std::clamp(isNew ? first.dayOfWeek() : item.when.number, 1, 7) - 1);

    end = ui::named(new QComboBox(this), "end", QStringLiteral("結束"));
    end->addItems({ QStringLiteral("不結束"), QStringLiteral("到這一天為止"), QStringLiteral("共幾次") });
    end->setCurrentIndex(item.when.last.isValid() ? 1 : item.when.times > 0 ? 2 : 0);
    last_date
        = ui::named(new QLineEdit(item.when.last.isValid() ? DateText::defaultText(item.when.last) : QString(), this),
            "last_date", QStringLiteral("結束日期"));
    times = spin(this, "times", 1, 9999, QStringLiteral(" 次"));
    times->setValue(std::max(1, item.when.times));
    automatic = ui::named(new QRadioButton(QStringLiteral("自動記入"), this), "automatic");
    automatic->setToolTip(QStringLiteral("到期時在清單裡已經勾好，按「記入」就記下"));
    remind = ui::named(new QRadioButton(QStringLiteral("提醒我"), this), "remind");
    remind->setToolTip(QStringLiteral("到期時列在清單裡但不勾，由你決定要不要記入"));
    (item.automatic || item.id == 0 ? automatic : remind)->setChecked(true);
    upcoming = ui::named(new QLabel(this), "upcoming");
    upcoming->setWordWrap(true);

    auto *form = new QFormLayout(this);
    const auto row = [](std::initializer_list<QWidget *> widgets) {
        auto *line = new QHBoxLayout;
        for (QWidget *w : widgets)
            line->addWidget(w);
        line->addStretch();
        return line;
    };
    form->addRow(QStringLiteral("收支"), row({ inout, kind }));
    form->addRow(QStringLiteral("帳目名稱"), account_name);
    form->addRow(QStringLiteral("金額"), row({ money, amount_varies }));
    form->addRow(QStringLiteral("註解"), note_one);
    form->addRow(QStringLiteral("開始日期"), first_date);
    form->addRow(QStringLiteral("頻率"), row({ rule, number, day, weekday }));
    form->addRow(QStringLiteral("結束"), row({ end, last_date, times }));
    form->addRow(QStringLiteral("到期時"), row({ automatic, remind }));
    form->addRow(QStringLiteral("接下來"), upcoming);
    auto *buttons = new QDialogButtonBox(this);
    ui::named(buttons->addButton(QStringLiteral("確定"), QDialogButtonBox::AcceptRole), "ok");
    ui::named(buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole), "cancel");
    form->addRow(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ui::connectGuarded(buttons, &QDialogButtonBox::accepted, this, [this] { save(); });
    for (QComboBox *box : { rule, end, weekday })
        connect(box, &QComboBox::currentIndexChanged, this, &RecurringEditor::showRule);
    for (QSpinBox *box : { number, day, times })
        connect(box, &QSpinBox::valueChanged, this, &RecurringEditor::showRule);
    for (QLineEdit *field : { first_date, last_date })
        connect(field, &QLineEdit::textChanged, this, &RecurringEditor::showRule);
    connect(amount_varies, &QCheckBox::toggled, money, &QWidget::setDisabled);
    money->setDisabled(amount_varies->isChecked());
    showRule();
    account_name->setFocus();
}

void RecurringEditor::showRule()
{
    const auto chosen = static_cast<Rule>(rule->currentIndex());
    number->setVisible(chosen == Rule::MonthDay || chosen == Rule::EveryMonths || chosen == Rule::Yearly);
    number->setPrefix(chosen == Rule::EveryMonths ? QStringLiteral("每 ") : QString());
    number->setSuffix(chosen == Rule::MonthDay ? QStringLiteral(" 日")
            : chosen == Rule::EveryMonths      ? QStringLiteral(" 個月")
                                               : QStringLiteral(" 月"));
    number->setMaximum(chosen == Rule::MonthDay ? 31 : chosen == Rule::Yearly ? 12 : 120);
    day->setVisible(chosen == Rule::Yearly);
    weekday->setVisible(chosen == Rule::Weekly);
    last_date->setVisible(end->currentIndex() == 1);
    times->setVisible(end->currentIndex() == 2);
    QString why;
    QWidget *field = nullptr;
    const std::optional<Recurrence> when = schedule(&why, &field);
    QStringList next;
    for (int i = 0; when && i < 4; ++i)
        if (const QDate date = when->occurrence(i); date.isValid())
            next << DateText::shownSlashed(date);
    upcoming->setText(!when  ? why.section(QLatin1Char('\n'), 0, 0)
            : next.isEmpty() ? QStringLiteral("不會再到期")
                             : next.join(QStringLiteral("、")) + (next.size() == 4 ? QStringLiteral(" …") : QString()));
}

std::optional<Recurrence> RecurringEditor::schedule(QString *why, QWidget **field) const
{
    Recurrence when;
    when.rule = static_cast<Rule>(rule->currentIndex());
    when.number = when.rule == Rule::Weekly ? weekday->currentIndex() + 1 : number->value();
    when.day = day->value();
    const std::optional<QDate> first = DateText::read(first_date->text());
    if (!first) {
        *why = QStringLiteral("請輸入正確的開始日期，例如 2024/5/1 或 113/5/1");
        *field = first_date;
        return std::nullopt;
    }
    when.first = *first;
    if (end->currentIndex() == 1) {
        const std::optional<QDate> last = DateText::read(last_date->text());
        if (!last || *last < *first) {
            *why = QStringLiteral("請輸入開始日期當天或以後的結束日期");
            *field = last_date;
            return std::nullopt;
        }
        when.last = *last;
    }
    if (end->currentIndex() == 2)
        when.times = times->value();
    if (!when.isValid()) {
        *why = QStringLiteral("%1 月沒有 %2 日").arg(when.number).arg(when.day);
        *field = day;
        return std::nullopt;
    }
    return when;
}

void RecurringEditor::save()
{
    const auto refuse = [this](const QString &why, QWidget *field) {
        ui::showMessage(this, why);
        field->setFocus();
    };
    if (Numbers::trimBlanks(account_name->text()).isEmpty())
        return refuse(QStringLiteral("請輸入正確的帳目名稱"), account_name);
    if (kind->currentIndex() < 0)
        return refuse(QStringLiteral("請先在帳目種類管理裡新增類別"), kind);
    std::optional<double> amount;
    QString why;
    if (!amount_varies->isChecked() && !(amount = readAmount(money->text(), &why)))
        return refuse(why, money);
    QWidget *field = nullptr;
    const std::optional<Recurrence> when = schedule(&why, &field);
    if (!when)
        return refuse(why, field);
    for (QLineEdit *text : { account_name, note_one })
        if (!ui::storableText(this, text->accessibleName(), text->text()))
            return text->setFocus();
    m_item.inout = inout->currentIndex();
    m_item.kind = kind->currentData().toLongLong();
    m_item.content = account_name->text();
    m_item.amount = amount;
    m_item.note = note_one->text();
    m_item.when = *when;
    m_item.automatic = automatic->isChecked();
    m_item.id = RecurringStore::saveItem(m_item);
    accept();
}
