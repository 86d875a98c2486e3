#include "reports/ChartPages.h"

#include "ui/Fonts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCursor>
#include <QGuiApplication>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLegend>
#include <QLineSeries>
#include <QPalette>
#include <QPen>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace ChartPages {

namespace {

const QColor incomeColour(214, 48, 49);
const QColor balanceColour(46, 139, 87);
const QColor plainKindColour(41, 98, 176);
const QColor summaryKindColour(230, 126, 34);

// Years before the axis turns its labels upright, so that they never overlap.
constexpr int flatYearLabels = 12;

QString yuan(const Decimal &amount)
{
    return amount.text() + QStringLiteral("元");
}

QChart *newChart(const QString &title)
{
    auto *chart = new QChart;
    // On a dark desktop the chart takes a dark face too, instead of a white card; set before
    // any series, so the bars keep their own colours.
    if (QGuiApplication::palette().color(QPalette::Window).lightness() < 128)
        chart->setTheme(QChart::ChartThemeDark);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setTitle(title);
    chart->setTitleFont(ui::mingFont(13));
    chart->legend()->setFont(ui::mingFont(10));
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

QBarSet *newSet(const QString &caption, const QColor &colour)
{
    auto *set = new QBarSet(caption);
    set->setColor(colour);
    set->setBorderColor(colour.darker(120));
    return set;
}

// Hovering a bar shows its exact amount.
void explainOnHover(QBarSet *set, const QStringList &texts)
{
    QObject::connect(set, &QBarSet::hovered, set, [texts](bool on, int index) {
        if (on && index >= 0 && index < texts.size())
            QToolTip::showText(QCursor::pos(), texts.at(index));
        else
            QToolTip::hideText();
    });
}

// The money axis: always through zero, with round steps, labelled in 元.
QValueAxis *moneyAxis(double low, double high)
{
    auto *axis = new QValueAxis;
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
    if (high - low < 1e-9)
        high = low + 10;
    axis->setRange(low, high);
    axis->applyNiceNumbers();
    const double step = (axis->max() - axis->min()) / std::max(1, axis->tickCount() - 1);
    axis->setLabelFormat(step >= 1 ? QStringLiteral("%.0f")
            : step >= 0.1          ? QStringLiteral("%.1f")
                                   : QStringLiteral("%.2f"));
    axis->setTitleText(QStringLiteral("元"));
    axis->setTitleFont(ui::mingFont(10));
    axis->setLabelsFont(ui::mingFont(9));
    return axis;
}

QBarCategoryAxis *categoryAxis(const QStringList &categories)
{
    auto *axis = new QBarCategoryAxis;
    axis->append(categories);
    axis->setLabelsFont(ui::mingFont(10));
    return axis;
}

struct Span
{
    double low = 0;
    double high = 0;
    void take(double v)
    {
        low = std::min(low, v);
        high = std::max(high, v);
    }
};

QString share(const Decimal &part, const Decimal &total)
{
    if (total <= Decimal())
        return {};
    return QStringLiteral("%1%").arg(part.toDouble() / total.toDouble() * 100.0, 0, 'f', 1);
}

// A chart with nothing to draw: its title and, below it, why.
QChart *emptyChart(const QString &title, const QString &why)
{
    QChart *chart = newChart(title + QStringLiteral("\n") + why);
    chart->legend()->hide();
    return chart;
}

// Horizontal bars: the kinds down the left, the money along the bottom.
void kindsAcross(QChart *chart, QAbstractBarSeries *series, const QStringList &categories, double low, double high)
{
    chart->addSeries(series);
    QBarCategoryAxis *kinds = categoryAxis(categories);
    QValueAxis *money = moneyAxis(low, high);
    chart->addAxis(kinds, Qt::AlignLeft);
    chart->addAxis(money, Qt::AlignBottom);
    series->attachAxis(kinds);
    series->attachAxis(money);
}

} // namespace

QVector<KindBar> rankKinds(QVector<ChartStore::KindSum> sums, const QSet<QString> &summaryNames)
{
    std::sort(sums.begin(), sums.end(), [](const ChartStore::KindSum &a, const ChartStore::KindSum &b) {
        if (a.sum != b.sum)
            return a.sum > b.sum;
        return a.name < b.name;
    });
    Decimal total;
    for (const ChartStore::KindSum &k : sums)
        total += k.sum;

    QVector<KindBar> bars;
    KindBar rest { QStringLiteral("其他"), Decimal(), 0, false, true, {} };
    // The summary kinds are the ones the person watches: they keep their own bar, and the
    // largest of the others fill the rest of the named bars.
    qsizetype room = maxKindBars - 1;
    if (sums.size() > maxKindBars) {
        for (const ChartStore::KindSum &k : sums)
            room -= summaryNames.contains(k.name) ? 1 : 0;
    } else {
        room = sums.size();
    }
    for (const ChartStore::KindSum &k : sums) {
        const bool summary = summaryNames.contains(k.name);
        if (summary || room > 0) {
            bars.append({ k.name, k.sum, 1, summary, false, {} });
            room -= summary ? 0 : 1;
        } else {
            rest.sum += k.sum;
            ++rest.kinds;
        }
    }
    if (rest.kinds > 0)
        bars.append(rest);
    for (KindBar &bar : bars) {
        QString name = bar.folded ? QStringLiteral("其他（%1 類）").arg(bar.kinds) : bar.name;
        if (bar.summary)
            name = summaryMark + name;
        const QString part = share(bar.sum, total);
        bar.label
            = name + QStringLiteral("  ") + yuan(bar.sum) + (part.isEmpty() ? QString() : QStringLiteral("  ") + part);
    }
    return bars;
}

QChart *monthChart(int year, const QVector<ChartStore::Flow> &months)
{
    Decimal income;
    Decimal expense;
    for (const ChartStore::Flow &m : months) {
        income += m.income;
        expense += m.expense;
    }
    QChart *chart = newChart(QStringLiteral("%1年各月收支　收入 %2　支出 %3　結餘 %4")
                                 .arg(year)
                                 .arg(yuan(income), yuan(expense), yuan(income - expense)));
    QBarSet *incomeSet = newSet(incomeCaption, incomeColour);
    QBarSet *expenseSet = newSet(expenseCaption, expenseColour);
    auto *balance = new QLineSeries;
    balance->setName(balanceCaption);
    balance->setPen(QPen(balanceColour, 2.5));
    balance->setPointsVisible(true);
    QStringList categories;
    QStringList incomeTexts;
    QStringList expenseTexts;
    Span span;
    for (int m = 0; m < months.size(); ++m) {
        const ChartStore::Flow &flow = months.at(m);
        const Decimal net = flow.income - flow.expense;
        categories << QStringLiteral("%1月").arg(m + 1);
        incomeSet->append(flow.income.toDouble());
        expenseSet->append(flow.expense.toDouble());
        balance->append(m, net.toDouble());
        incomeTexts << QStringLiteral("%1月 收入 %2").arg(m + 1).arg(yuan(flow.income));
        expenseTexts << QStringLiteral("%1月 支出 %2").arg(m + 1).arg(yuan(flow.expense));
        span.take(flow.income.toDouble());
        span.take(flow.expense.toDouble());
        span.take(net.toDouble());
    }
    explainOnHover(incomeSet, incomeTexts);
    explainOnHover(expenseSet, expenseTexts);
    auto *bars = new QBarSeries;
    bars->append(incomeSet);
    bars->append(expenseSet);
    chart->addSeries(bars);
    chart->addSeries(balance);
    QBarCategoryAxis *x = categoryAxis(categories);
    QValueAxis *y = moneyAxis(span.low, span.high);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries *s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    return chart;
}

QChart *kindChart(const QString &title, const QString &noneText, const QVector<KindBar> &bars)
{
    if (bars.isEmpty())
        return emptyChart(title, noneText);
    QChart *chart = newChart(title);
    const bool anySummary = std::any_of(bars.begin(), bars.end(), [](const KindBar &b) { return b.summary; });
    QBarSet *plain = newSet(plainKindsCaption, plainKindColour);
    QBarSet *summary = anySummary ? newSet(summaryKindsCaption, summaryKindColour) : nullptr;
    QStringList categories;
    QStringList texts;
    Span span;
    // The axis draws its first category at the bottom: the largest kind goes last.
    for (auto it = bars.crbegin(); it != bars.crend(); ++it) {
        const double value = it->sum.toDouble();
        categories << it->label;
        texts << it->label;
        plain->append(it->summary ? 0.0 : value);
        if (summary)
            summary->append(it->summary ? value : 0.0);
        span.take(value);
    }
    explainOnHover(plain, texts);
    auto *series = new QHorizontalStackedBarSeries;
    series->setBarWidth(0.7);
    series->append(plain);
    if (summary) {
        explainOnHover(summary, texts);
        series->append(summary);
    } else {
        chart->legend()->hide();
    }
    kindsAcross(chart, series, categories, span.low, span.high);
    return chart;
}

QChart *budgetChart(const QString &title, const QVector<BudgetStore::Line> &lines)
{
    QVector<BudgetStore::Line> budgeted;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(budgeted),
        [](const BudgetStore::Line &l) { return l.budget.has_value(); });
    if (budgeted.isEmpty())
        return emptyChart(title, QStringLiteral("還沒有設定預算（查詢視窗的「預算」裡設定）"));
    QChart *chart = newChart(title);
    QBarSet *budgetSet = newSet(budgetCaption, budgetColour);
    QBarSet *actualSet = newSet(actualCaption, expenseColour);
    QStringList categories, budgetTexts, actualTexts;
    Span span;
    // The axis draws its first category at the bottom: the first kind goes last.
    for (auto it = budgeted.crbegin(); it != budgeted.crend(); ++it) {
        categories << it->name;
        budgetSet->append(it->budget->toDouble());
        actualSet->append(it->actual.toDouble());
        budgetTexts << QStringLiteral("%1 預算 %2").arg(it->name, yuan(*it->budget));
        actualTexts
            << QStringLiteral("%1 實際 %2，剩餘 %3").arg(it->name, yuan(it->actual), yuan(*it->budget - it->actual));
        span.take(it->budget->toDouble());
        span.take(it->actual.toDouble());
    }
    explainOnHover(budgetSet, budgetTexts);
    explainOnHover(actualSet, actualTexts);
    auto *series = new QHorizontalBarSeries;
    series->append(budgetSet);
    series->append(actualSet);
    kindsAcross(chart, series, categories, span.low, span.high);
    return chart;
}

QChart *yearsChart(const QVector<ChartStore::YearFlow> &years)
{
    if (years.isEmpty())
        return emptyChart(QStringLiteral("歷年收支"), QStringLiteral("帳本裡還沒有帳目"));
    QChart *chart = newChart(QStringLiteral("歷年收支　%1～%2年").arg(years.first().year).arg(years.last().year));
    QBarSet *incomeSet = newSet(incomeCaption, incomeColour);
    QBarSet *expenseSet = newSet(expenseCaption, expenseColour);
    QBarSet *balanceSet = newSet(balanceCaption, balanceColour);
    QStringList categories;
    QStringList incomeTexts;
    QStringList expenseTexts;
    QStringList balanceTexts;
    Span span;
    for (const ChartStore::YearFlow &y : years) {
        const Decimal net = y.flow.income - y.flow.expense;
        categories << QString::number(y.year);
        incomeSet->append(y.flow.income.toDouble());
        expenseSet->append(y.flow.expense.toDouble());
        balanceSet->append(net.toDouble());
        incomeTexts << QStringLiteral("%1年 收入 %2").arg(y.year).arg(yuan(y.flow.income));
        expenseTexts << QStringLiteral("%1年 支出 %2").arg(y.year).arg(yuan(y.flow.expense));
        balanceTexts << QStringLiteral("%1年 結餘 %2").arg(y.year).arg(yuan(net));
        span.take(y.flow.income.toDouble());
        span.take(y.flow.expense.toDouble());
        span.take(net.toDouble());
    }
    explainOnHover(incomeSet, incomeTexts);
    explainOnHover(expenseSet, expenseTexts);
    explainOnHover(balanceSet, balanceTexts);
    auto *series = new QBarSeries;
    series->append(incomeSet);
    series->append(expenseSet);
    series->append(balanceSet);
    chart->addSeries(series);
    QBarCategoryAxis *x = categoryAxis(categories);
    if (years.size() > flatYearLabels)
        x->setLabelsAngle(-90);
    QValueAxis *y = moneyAxis(span.low, span.high);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    return chart;
}

} // namespace ChartPages
