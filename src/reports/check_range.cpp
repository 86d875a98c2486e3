#include "reports/check.h"

#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "store/ReadConnection.h"
#include "store/ReportStore.h"
#include "store/SummaryKinds.h"
#include "ui/BusyWork.h"
#include "ui/DGrid.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/RichTextBox.h"

#include <QColor>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QRadioButton>

namespace {

const QString incomeWord = QStringLiteral("收入");

const QColor white(255, 255, 255);
const QColor weekendColour(255, 128, 128);
const QColor incomeColour(255, 0, 0);

int columnWidthFor(const QString &header)
{
    static const QHash<QString, int> widths = {
        { QStringLiteral("日期"), 1800 },
        { QStringLiteral("種類"), 1200 },
        { QStringLiteral("收支"), 800 },
        { QStringLiteral("帳目名"), 2500 },
        { QStringLiteral("帳目"), 1000 },
        { QStringLiteral("註解"), 4000 },
        { QStringLiteral("日註解"), 4000 },
    };
    return widths.value(header, -1);
}

void setColumnWidths(DGrid *grid)
{
    for (int c = 0; c < grid->cols(); ++c) {
        const int width = columnWidthFor(Numbers::trimBlanks(grid->textAt(0, c)));
        if (width > 0)
            grid->setColWidth(c, width);
    }
}

// Stored dates are ISO; anything else the date reader understands is shown the same way.
QDate dateOfCell(const QString &text)
{
    const QDate stored = DateText::fromIso(text);
    if (stored.isValid())
        return stored;
    return DateText::read(text).value_or(QDate());
}

QString dayWithWeekday(const QDate &day)
{
    return DateText::shownSlashed(day) + QLatin1Char('(') + DateText::weekdayName(DateText::weekday(day))
        + QLatin1Char(')');
}

QString valueText(const ResultSet::Row &row, int col)
{
    if (col >= row.size())
        return QString();
    const QVariant &value = row.at(col);
    return value.typeId() == QMetaType::QString ? value.toString() : ::DGrid::resultText(value);
}

// Each grid row's background (the header's none), worked out from the values the engine
// returned on the thread that read them, so that the window's own thread only takes the list
// over: on a long result, walking every row there would stop the window painting. Weekend
// days, then income over them; every other row white.
QVector<QRgb> rowColours(const ResultSet &result)
{
    QVector<QRgb> colours;
    colours.reserve(result.rowCount() + 1);
    colours.append(0);
    for (const ResultSet::Row &row : result.rows()) {
        const QDate day = dateOfCell(valueText(row, 0));
        QColor colour = day.isValid() && DateText::isWeekend(day) ? weekendColour : white;
        // Column 2 is the direction in the detailed result, column 1 in the simple one; a kind
        // named 收入 marks its rows too.
        if (valueText(row, 1) == incomeWord || valueText(row, 2) == incomeWord)
            colour = incomeColour;
        colours.append(colour.rgb());
    }
    return colours;
}

// The dates get their weekdays as the grid draws or hands out each cell, so a long result
// only pays for the rows looked at.
void showWeekdays(DGrid *grid)
{
    grid->setResultColumnFormat(0, [](const QVariant &, const QString &text) {
        const QDate day = dateOfCell(text);
        return day.isValid() ? dayWithWeekday(day) : text;
    });
}

// "/ 一般:...元 ; 甲:...元 ; ...": the expense outside the summary kinds, then each summary
// kind's own. Empty when no summary kind is chosen.
QString summaryKindText(bool anySummaryKind, const ReportStore::RangeTotals &totals)
{
    if (!anySummaryKind)
        return {};
    QString kinds;
    for (const ReportStore::KindExpense &k : totals.kinds) {
        if (!kinds.isEmpty())
            kinds += QStringLiteral(" ; ");
        kinds += k.name + QLatin1Char(':') + k.sum.text() + QStringLiteral("元");
    }
    return QStringLiteral("/ 一般:") + totals.general.text() + QStringLiteral("元 ; ") + kinds;
}

// What a row of the result stands for, by grid row (0 for the header): the entry's key in
// the detailed result, the day as a Julian day number in the summed one.
QVector<qint64> rowKeysOf(const ResultSet &result, bool detailed)
{
    const QVector<ResultSet::Row> rows = result.rows();
    QVector<qint64> keys(rows.size() + 1, 0);
    const qsizetype keyCol = result.columns().size() - 1;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ResultSet::Row &row = rows.at(i);
        if (detailed)
            keys[i + 1] = row.value(keyCol).toLongLong();
        else if (const QDate day = DateText::fromIso(row.value(0).toString()); day.isValid())
            keys[i + 1] = day.toJulianDay();
    }
    return keys;
}

} // namespace

QString check::Get_DGridText(::DGrid *D, int Col, int Row)
{
    // The grid would clamp a cell outside it to its edge and so read another cell.
    if (Row < 0 || Row >= D->rows() || Col < 0 || Col >= D->cols())
        return {};
    const int oldCol = D->col();
    const int oldRow = D->row();
    const int oldColSel = D->colSel();
    const int oldRowSel = D->rowSel();
    D->setCol(Col);
    D->setRow(Row);
    QString text = D->text();
    D->setCol(oldCol);
    D->setRow(oldRow);
    D->setColSel(oldColSel);
    D->setRowSel(oldRowSel);
    return text;
}

bool check::readInBackground(const std::function<void()> &read)
{
    if (m_work->running())
        return false;
    database_access::Reader reader;
    return m_work->run([&reader, &read] { reader.run(read); }, [&reader] { reader.interrupt(); });
}

void check::chk_month_Click()
{
    // One query at a time: a second press while one runs is not a second query.
    if (m_work->running())
        return;
    ui::guarded(this, [this] { runRangeQuery(); });
}

void check::runRangeQuery()
{
    showRangeView();

    const std::optional<QDate> begin = DateText::read(Numbers::trimBlanks(str_begin->text()));
    if (!begin) {
        ui::showMessage(this, QStringLiteral("請輸入正確的起始時間, 至少要有年,月\n") + DateText::acceptedForms());
        return;
    }
    const std::optional<QDate> end = DateText::read(Numbers::trimBlanks(str_end->text()));
    if (!end) {
        ui::showMessage(this, QStringLiteral("請輸入正確的結束時間, 至少要有年,月\n") + DateText::acceptedForms());
        return;
    }
    if (*end < *begin) {
        ui::showMessage(this, QStringLiteral("錯誤! 結束日期竟然比起始日期早??"));
        return;
    }

    RangeRequest request;
    request.filter.begin = *begin;
    request.filter.end = *end;
    request.filter.description = account_name->text();
    if (kind->currentIndex() > 0)
        request.filter.kindName = Numbers::trimBlanks(kind->currentText());
    request.mode = chk_mon_detail->isChecked() ? ReportStore::RangeMode::Detailed : ReportStore::RangeMode::Simple;
    request.order = order_field;
    request.descending = order_desc;
    showRange(request);
}

void check::showRange(const RangeRequest &request)
{
    const ReportStore::RangeFilter &filter = request.filter;
    const bool detailed = request.mode == ReportStore::RangeMode::Detailed;
    // Both statements run before anything on screen changes, so a failing one leaves the
    // last result whole.
    const QVector<qint64> summaryKinds = database_access::SKinds_List();
    ResultSet result;
    QVector<QRgb> colours;
    ReportStore::RangeTotals totals;
    QVector<qint64> keys;
    const bool read = readInBackground([&] {
        result = ReportStore::rangeEntries(request.mode, filter, request.order, request.descending);
        // Added up from what the engine returned, exactly, not from the texts the grid shows.
        totals = ReportStore::rangeTotals(result, ReportStore::summaryKindExpenses(filter, summaryKinds));
        colours = rowColours(result);
        keys = rowKeysOf(result, detailed);
    });
    // Given up: the last result stays.
    if (!read)
        return;

    m_chartQuery = ChartQuery::ofRange(filter);
    m_shownRange = request;
    if (result.rowCount() > 0)
        DGrid->setVisible(true);
    {
        ::DGrid::Bulk bulk(DGrid);
        // The entry's key, last in a detailed result, is kept out of sight.
        DGrid->showResult(result, detailed ? int(result.columns().size()) - 1 : -1);
        DGrid->setRowKeys(std::move(keys));
        result.close();
        setColumnWidths(DGrid);
        DGrid->setRowBackgrounds(std::move(colours));
        showWeekdays(DGrid);
        DGrid->setRow(0);
        DGrid->setCol(0);
    }

    msg_field->setText(QStringLiteral("本次查詢的總收入為 : ") + totals.income.text() + QStringLiteral("元")
        + QLatin1Char('\n') + QStringLiteral("總支出 : ") + totals.expense.text()
        + summaryKindText(!summaryKinds.isEmpty(), totals) + QLatin1Char('\n') + QStringLiteral("總共為 : ")
        + totals.balance.text() + QStringLiteral("元"));
}
