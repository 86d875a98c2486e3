#include "entry/input_keyin.h"

#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "store/EntryStore.h"
#include "store/KindStore.h"
#include "ui/DGrid.h"
#include "ui/RichTextBox.h"

#include <QDir>
#include <QHash>
#include <QLabel>

namespace {

const QString incomeWord = QStringLiteral("收入");

QString dayTitle(const QDate &day)
{
    return DateText::shown(day) + QStringLiteral(" (") + DateText::weekdayName(DateText::weekday(day))
        + QStringLiteral(")");
}

} // namespace

std::optional<PrintedReport> input_keyin::dayReport() const
{
    if (!m_shownDay.isValid())
        return std::nullopt;
    PrintedReport report = PrintedReport::fromGrid(DGrid, dayTitle(m_shownDay) + QStringLiteral(" 的帳目"));
    report.folder = QDir::current().dirName();
    report.amountColumns << int(report.headers.indexOf(QStringLiteral("數目")));
    const qsizetype direction = report.headers.indexOf(QStringLiteral("收支"));
    for (const QStringList &row : report.rows)
        report.marks << (row.value(direction) == incomeWord ? incomeWord : QString());
    report.totals << Label6->text();
    if (!note_day->text().isEmpty())
        report.totals << QStringLiteral("日註解：") + note_day->text().split(QLatin1Char('\n')).join(QLatin1Char(' '));
    return report;
}

std::optional<PrintedReport> input_keyin::monthReport() const
{
    if (!m_shownDay.isValid())
        return std::nullopt;
    const QDate first(m_shownDay.year(), m_shownDay.month(), 1);
    const QDate last = first.addMonths(1).addDays(-1);
    QHash<qint64, QString> kindNames;
    for (const KindStore::Kind &k : KindStore::kindsById())
        kindNames.insert(k.id, k.name);

    PrintedReport report;
    report.title = DateText::shownYearMonth(first) + QStringLiteral(" 的帳目");
    report.folder = QDir::current().dirName();
    report.printed = QDate::currentDate();
    report.fileName = DateText::iso(first).left(7) + QStringLiteral(".pdf");
    report.headers = { QStringLiteral("日期"), QStringLiteral("種類"), QStringLiteral("收支"), QStringLiteral("內容"),
        QStringLiteral("數目"), QStringLiteral("備註") };
    report.widths = { 1800, 1200, 800, 2500, 1200, 2600 };
    report.amountColumns = { 4 };
    Decimal income;
    Decimal expense;
    for (const EntryStore::Entry &e : EntryStore::entriesBetween(first, last)) {
        const QString direction = e.inout == 1 ? incomeWord : e.inout == 0 ? QStringLiteral("支出") : QString();
        report.rows << QStringList { dayTitle(e.date), kindNames.value(e.kind), direction, e.content,
            Numbers::text(e.count), e.note };
        report.marks << (e.inout == 1 ? incomeWord : DateText::isWeekend(e.date) ? QStringLiteral("週末") : QString());
        if (e.inout == 1)
            income += Decimal::fromDouble(e.count);
        else if (e.inout == 0)
            expense += Decimal::fromDouble(e.count);
    }
    report.totals << QStringLiteral("本月收入 %1元　本月支出 %2元　結餘 %3元")
                         .arg(income.text(), expense.text(), (income - expense).text());
    return report;
}
