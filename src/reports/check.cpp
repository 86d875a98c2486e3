#include "reports/check.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "store/KindStore.h"
#include "ui/BusyWork.h"
#include "ui/DGrid.h"
#include "ui/FieldEnter.h"
#include "ui/GridExport.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/PushButton.h"
#include "ui/RichTextBox.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>

namespace {

const QString dateOrder = QStringLiteral("D.a_date");
// The sort buttons' frame, whose room the grid takes over in the year view.
constexpr int sortFrameTop = 1570;
constexpr int sortFrameHeight = 375;

} // namespace

check::check(QWidget *parent, ui::Openers openers)
    : QDialog(parent)
    , m_openers(std::move(openers))
{
    setObjectName(QStringLiteral("check"));
    setWindowTitle(QStringLiteral("查詢功能"));
    createControls();
    GridExport::install(DGrid, [this] { return csvFileName(); });
    GridExport::addReport(DGrid, [this] { return printedReport(); });
    ui::FieldEnter::watchAll(this);
    m_work = new ui::BusyWork(this, msg_field, QStringLiteral("查詢中，請稍候…"));

    connect(chkrange_1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            chkrange_1_Click();
    });
    connect(chkrange_2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            chkrange_2_Click();
    });
    connect(chkrange_3, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            chkrange_3_Click();
    });
    connect(Timer1, &QTimer::timeout, this, &check::Timer1_Timer);
    connect(chk_month, &QPushButton::clicked, this, &check::chk_month_Click);
    // Enter in the description filter presses 月查詢, so it does whatever the button does.
    connect(account_name, &QLineEdit::returnPressed, chk_month, &QAbstractButton::click);
    ui::connectGuarded(DGrid, &QAbstractItemView::doubleClicked, this,
        [this](const QModelIndex &index) { openDayOfRow(index.row() + DGrid->fixedRows()); });
    connect(chk_year, &QPushButton::clicked, this, &check::chk_year_Click);
    connect(chk_year_go, &QPushButton::clicked, this, &check::chk_year_go_Click);
    connect(chkyeartxt, &QLineEdit::returnPressed, chk_year_go, &QAbstractButton::click);
    connect(cmd_chart, &QPushButton::clicked, this, &check::cmd_chart_Click);
    connect(cmd_budget, &QPushButton::clicked, this, &check::cmd_budget_Click);
    connect(cmd_stor_date, &QPushButton::clicked, this, [this] { sortBy(dateOrder, dateOrder, false); });
    connect(
        cmd_stor_kind, &QPushButton::clicked, this, [this] { sortBy(QStringLiteral("a_kind_name"), QString(), true); });
    connect(
        cmd_stor_name, &QPushButton::clicked, this, [this] { sortBy(QStringLiteral("a_content"), QString(), true); });
    connect(cmd_stor_account, &QPushButton::clicked, this,
        [this] { sortBy(QStringLiteral("a_count"), QStringLiteral("sum(a_count)"), false); });
    connect(cmd_stor_note, &QPushButton::clicked, this, [this] { sortBy(QStringLiteral("a_note"), QString(), true); });

    Form_Load();
    Timer1->start();
}

void check::Form_Load()
{
    Timer1_Timer();
    Frame2->setTitle(QStringLiteral("查尋時段") + QStringLiteral("(yyyy/mm/dd)"));
    DGrid->setFixedRows(1);
    DGrid->setFixedCols(0);
    ui::guarded(this, [this] { fillKinds(); });
    {
        // Checking it from here must not run the preset twice.
        const QSignalBlocker quiet(chkrange_1);
        chkrange_1->setChecked(true);
    }
    chkrange_1_Click();
    order_field = dateOrder;
    order_desc = false;
    grid_expanded = false;
    Frame3->setVisible(false);
}

void check::fillKinds()
{
    kind->clear();
    kind->addItem(QStringLiteral("全部"));
    kind->setCurrentIndex(0);
    const QVector<KindStore::Kind> kinds = KindStore::allKinds();
    for (const KindStore::Kind &k : kinds)
        kind->addItem(k.name, k.id);
    kind->setCurrentIndex(0);
}

void check::chkrange_1_Click()
{
    const QDate today = Clock::today();
    str_begin->setEnabled(false);
    str_end->setEnabled(false);
    str_begin->setText(DateText::yearMonth(today) + QStringLiteral("/01"));
    str_end->setText(DateText::slashed(today));
}

void check::chkrange_2_Click()
{
    const QDate today = Clock::today();
    const QDate firstOfThisMonth(today.year(), today.month(), 1);
    str_begin->setEnabled(false);
    str_end->setEnabled(false);
    str_begin->setText(DateText::yearMonth(today.addMonths(-1)) + QStringLiteral("/01"));
    str_end->setText(DateText::slashed(firstOfThisMonth.addDays(-1)));
}

void check::chkrange_3_Click()
{
    // The boxes keep the last preset's dates, ready to be edited.
    str_begin->setEnabled(true);
    str_end->setEnabled(true);
}

void check::Timer1_Timer()
{
    Label1->setText(Clock::now().toString(QStringLiteral("hh:mm:ss")));
}

void check::showRangeView()
{
    Frame_ChkYear->setVisible(false);
    Frame3->setVisible(true);
    if (grid_expanded) {
        m_gridHeight -= sortFrameHeight;
        m_gridTop += sortFrameHeight;
        grid_expanded = false;
        placeGrid();
    }
}

void check::showYearView()
{
    Frame_ChkYear->setVisible(true);
    DGrid->setVisible(false);
    Frame3->setVisible(false);
    if (!grid_expanded) {
        m_gridHeight += sortFrameHeight;
        m_gridTop = sortFrameTop;
        grid_expanded = true;
        placeGrid();
    }
}

void check::done(int result)
{
    m_work->giveUp();
    QDialog::done(result);
}

QString check::csvFileName() const
{
    if (m_chartQuery.range)
        return QStringLiteral("查詢-%1-%2.csv")
            .arg(DateText::iso(m_chartQuery.range->begin), DateText::iso(m_chartQuery.range->end));
    if (m_chartQuery.year)
        return QStringLiteral("年報-%1.csv").arg(*m_chartQuery.year, 4, 10, QLatin1Char('0'));
    return QStringLiteral("查詢.csv");
}

std::optional<PrintedReport> check::printedReport() const
{
    if (m_work->running() || DGrid->rows() <= DGrid->fixedRows() || (!m_chartQuery.range && !m_chartQuery.year))
        return std::nullopt;
    QString title;
    if (m_chartQuery.range) {
        title = QStringLiteral("查詢 %1～%2")
                    .arg(DateText::shownSlashed(m_chartQuery.range->begin),
                        DateText::shownSlashed(m_chartQuery.range->end));
        if (m_shownRange)
            title += m_shownRange->mode == ReportStore::RangeMode::Detailed ? QStringLiteral("（明細）")
                                                                            : QStringLiteral("（每日合計）");
    } else {
        const int year = *m_chartQuery.year;
        title = DateText::rocShown() && year > DateText::rocOffset
            ? QStringLiteral("民國 %1 年各月收支").arg(year - DateText::rocOffset)
            : QStringLiteral("%1 年各月收支").arg(year, 4, 10, QLatin1Char('0'));
    }
    PrintedReport report = PrintedReport::fromGrid(DGrid, title);
    report.folder = QDir::current().dirName();
    report.totals = msg_field->text().split(QLatin1Char('\n'));
    static const QStringList amountHeaders = { QStringLiteral("帳目"), QStringLiteral("日帳目"),
        QStringLiteral("月收入"), QStringLiteral("月支出"), QStringLiteral("月結") };
    for (qsizetype c = 0; c < report.headers.size(); ++c) {
        if (amountHeaders.contains(report.headers.at(c)))
            report.amountColumns << int(c);
    }
    if (m_chartQuery.range) {
        // The rows' colours as words, which a black-and-white printer keeps.
        const QRgb income = QColor(255, 0, 0).rgb();
        const QRgb weekend = QColor(255, 128, 128).rgb();
        report.marks.reserve(report.rows.size());
        for (int row = DGrid->fixedRows(); row < DGrid->rows(); ++row) {
            const QRgb colour = DGrid->backgroundAt(row, DGrid->fixedCols()).rgb();
            report.marks << (colour == income ? QStringLiteral("收入")
                    : colour == weekend       ? QStringLiteral("週末")
                                              : QString());
        }
    }
    return report;
}

void check::sortBy(const QString &detailedField, const QString &simpleField, bool detailedOnly)
{
    // A press while a query runs would toggle the order of a query that never ran.
    if (m_work->running())
        return;
    // The mode is the one chosen now, not the one of the result on screen.
    const bool detailed = chk_mon_detail->isChecked();
    if (detailedOnly && !detailed) {
        ui::showMessage(this, QStringLiteral("此等模式不支援此功能!!"));
        return;
    }
    order_desc = !order_desc;
    order_field = detailed ? detailedField : simpleField;
    chk_month_Click();
    order_field = dateOrder;
}
