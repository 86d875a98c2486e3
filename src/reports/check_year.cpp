#include "reports/check.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "store/ReportStore.h"
#include "ui/BusyWork.h"
#include "ui/DGrid.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/RichTextBox.h"

#include <QColor>
#include <QGroupBox>
#include <QLineEdit>

namespace {

constexpr int monthColumnTwips = 1500;

QString fourDigitYear(int year)
{
    return QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
}

QString currentYear()
{
    return fourDigitYear(Clock::today().year());
}

QString sumText(const std::optional<Decimal> &sum)
{
    return sum ? sum->text() : QStringLiteral("0");
}

} // namespace

void check::chk_year_Click()
{
    if (m_work->running())
        return;
    showYearView();
    chkyeartxt->setText(currentYear());
}

void check::chk_year_go_Click()
{
    if (m_work->running())
        return;
    ui::guarded(this, [this] { runYearReport(); });
}

void check::runYearReport()
{
    DGrid->clearGrid();
    m_chartQuery = {};
    m_shownRange.reset();

    // The text is taken as a year by asking for 13 December of it.
    const std::optional<QDate> probe
        = DateText::read(Numbers::trimBlanks(chkyeartxt->text()) + QStringLiteral("/12/13"));
    if (!probe) {
        ui::showMessage(this, QStringLiteral("請輸入正確的年份格式\n可打西元年 2024 或民國年 113"));
        chkyeartxt->setText(currentYear());
        chkyeartxt->setFocus();
        chkyeartxt->selectAll();
        return;
    }
    const int year = probe->year();
    const QString yearText = fourDigitYear(year);
    if (year > Clock::today().year()) {
        ui::showMessage(this,
            QStringLiteral("耍寶ㄛ? 今年") + currentYear() + QStringLiteral("年,你卻要查") + yearText
                + QStringLiteral("的帳, 演電影嗎?"));
        chkyeartxt->setText(currentYear());
        chkyeartxt->setFocus();
        chkyeartxt->selectAll();
        return;
    }

    // Read before anything is shown, so a failing statement leaves the year input open.
    QVector<ReportStore::MonthSums> months;
    if (!readInBackground([&months, year] { months = ReportStore::monthSums(year); }))
        return;
    m_chartQuery = ChartQuery::ofYear(year);

    Frame_ChkYear->setVisible(false);
    DGrid->setVisible(true);
    Decimal income;
    Decimal expense;
    {
        ::DGrid::Bulk bulk(DGrid);
        DGrid->setCols(4);
        DGrid->setRows(13);
        const QStringList headers
            = { QStringLiteral("年月份"), QStringLiteral("月收入"), QStringLiteral("月支出"), QStringLiteral("月結") };
        for (int c = 0; c < 4; ++c) {
            DGrid->setTextAt(0, c, headers.at(c));
            DGrid->setColWidth(c, monthColumnTwips);
        }
        for (int m = 1; m <= 12; ++m) {
            DGrid->setTextAt(m, 0, DateText::shownYearMonth(QDate(year, m, 1)));
            DGrid->setRowBackground(m, QColor(255, 255, 255));
            DGrid->setTextAt(m, 1, sumText(months.at(m - 1).income));
            DGrid->setTextAt(m, 2, sumText(months.at(m - 1).expense));
            // The month's cells show these exact sums, so adding them is adding what is shown.
            const Decimal monthIncome = months.at(m - 1).income.value_or(Decimal());
            const Decimal monthExpense = months.at(m - 1).expense.value_or(Decimal());
            income += monthIncome;
            expense += monthExpense;
            DGrid->setTextAt(m, 3, (monthIncome - monthExpense).text());
        }
        DGrid->setRow(0);
        DGrid->setCol(0);
    }

    msg_field->setText(QStringLiteral("本次查詢的年收入: ") + income.text() + QStringLiteral(" 元") + QLatin1Char('\n')
        + QStringLiteral("          年支出: ") + expense.text() + QStringLiteral(" 元") + QLatin1Char('\n')
        + QStringLiteral("            總結: ") + (income - expense).text() + QStringLiteral(" 元"));
}
