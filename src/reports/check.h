#pragma once

#include "reports/ChartQuery.h"
#include "ui/Openers.h"
#include "ui/PrintedReport.h"

#include <QDialog>
#include <QString>

#include <optional>

#include <functional>

class DGrid;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTimer;

namespace ui {
class BusyWork;
class PushButton;
class RichTextBox;
class WindowFit;
} // namespace ui

// The query window: the entries of a date range, entry by entry or summed per day, with the
// totals and the summary kinds' expense; sorting of that result; the monthly year report.
class check : public QDialog
{
    Q_OBJECT

public:
    // openers.dailyEntry is what a double click on a result row opens.
    explicit check(QWidget *parent = nullptr, ui::Openers openers = {});

    // Reads a cell by moving the grid's current cell there and back again.
    static QString Get_DGridText(::DGrid *D, int Col, int Row);

    // The sort state the next range query uses.
    const QString &orderField() const { return order_field; }
    bool orderDescending() const { return order_desc; }
    bool gridExpanded() const { return grid_expanded; }

    QLabel *Label2 = nullptr;
    QComboBox *kind = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *account_name = nullptr;
    QLabel *Label1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QRadioButton *chkrange_1 = nullptr;
    QRadioButton *chkrange_2 = nullptr;
    QRadioButton *chkrange_3 = nullptr;
    QLineEdit *str_begin = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *str_end = nullptr;
    QGroupBox *Frame1 = nullptr;
    ui::PushButton *chk_month = nullptr;
    QRadioButton *chk_mon_easy = nullptr;
    QRadioButton *chk_mon_detail = nullptr;
    ui::PushButton *chk_year = nullptr;
    ui::PushButton *cmd_chart = nullptr;
    ui::PushButton *cmd_budget = nullptr;
    QGroupBox *Frame3 = nullptr;
    QLabel *Label6 = nullptr;
    ui::PushButton *cmd_stor_date = nullptr;
    ui::PushButton *cmd_stor_kind = nullptr;
    ui::PushButton *cmd_stor_name = nullptr;
    ui::PushButton *cmd_stor_account = nullptr;
    ui::PushButton *cmd_stor_note = nullptr;
    ::DGrid *DGrid = nullptr;
    QGroupBox *Frame_ChkYear = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *chkyeartxt = nullptr;
    ui::PushButton *chk_year_go = nullptr;
    ui::RichTextBox *msg_field = nullptr;
    QTimer *Timer1 = nullptr;

    // The reading of a long query, while it runs.
    ui::BusyWork *busyWork() const { return m_work; }

    // What the grid shows, as a report to print: the range or the year, the rows with their
    // marks, the totals as shown. Nothing while a query runs or when nothing is shown.
    std::optional<PrintedReport> printedReport() const;

protected:
    // Closing gives up a query still running.
    void done(int result) override;

private:
    // Layout (check_layout.cpp).
    void createControls();
    void orderTabs();
    void placeGrid();

    // Window (check.cpp).
    void Form_Load();
    void fillKinds();
    void chkrange_1_Click();
    void chkrange_2_Click();
    void chkrange_3_Click();
    void Timer1_Timer();
    void showRangeView();
    void showYearView();
    void sortBy(const QString &detailedField, const QString &simpleField, bool detailedOnly);
    // What a CSV export of the grid proposes: after the range or the year shown.
    QString csvFileName() const;

    // Range query (check_range.cpp).
    struct RangeRequest
    {
        ReportStore::RangeFilter filter;
        ReportStore::RangeMode mode = ReportStore::RangeMode::Simple;
        QString order;
        bool descending = false;
    };
    void chk_month_Click();
    void runRangeQuery();
    void showRange(const RangeRequest &request);

    // A result row's day in the daily-entry window (check_day.cpp).
    void openDayOfRow(int row);

    // Year report (check_year.cpp).
    void chk_year_Click();
    void chk_year_go_Click();
    void runYearReport();

    // Reads through a connection of its own on a worker thread, the window staying live; false
    // when the person gave up or another query still runs (check_range.cpp).
    bool readInBackground(const std::function<void()> &read);

    // Charts of the result shown (check_chart.cpp).
    void cmd_chart_Click();
    void cmd_budget_Click();

    ui::Openers m_openers;
    QString order_field;
    bool order_desc = false;
    bool grid_expanded = false;
    // The grid's place in twips, kept here so that switching views back and forth never
    // accumulates rounding.
    int m_gridTop = 0;
    int m_gridHeight = 0;
    ui::WindowFit *m_fit = nullptr;
    ui::BusyWork *m_work = nullptr;
    // What the result on screen is, for the charts.
    ChartQuery m_chartQuery;
    // The range query whose result is on screen, to run again after its days were edited.
    std::optional<RangeRequest> m_shownRange;
};
