#pragma once

#include "reports/ChartQuery.h"
#include "ui/PrintedReport.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <QVector>

#include <optional>

class QChart;
class QChartView;
class QTabWidget;

namespace ui {
class BusyWork;
class PushButton;
}

// The charts of what the query window shows: after a year report its twelve months; after a
// range query the range's expense and income per kind; always the income and expense of
// every year. Each picture can be saved as a PNG file or copied.
class chart_view : public QDialog
{
    Q_OBJECT

public:
    enum class Page { Months, Expense, Income, Budget, Years };

    // Reads the first page's sums at once (a store error is thrown from here); the other
    // pages are read when first shown. The years read the whole ledger, on a reading thread
    // while the window goes on painting, with a busy cursor and, when it lasts, a way to give
    // up; as the first page they are read once the window is shown.
    explicit chart_view(const ChartQuery &query, QWidget *parent = nullptr);

    // The tab of a page, -1 when this query has no such page.
    int tabOf(Page page) const;
    // The chart on a tab, read from the ledger first if it has not been shown yet; null when
    // reading failed (the person has been told), was given up, or is still going on.
    QChart *chartAt(int tab);
    // The reading of the years, while it goes on.
    ui::BusyWork *busyWork() const { return m_work; }

    // Gives up a reading still going on.
    void done(int result) override;
    // The picture of the tab shown, as saved and copied.
    QImage picture();

    QTabWidget *tabs = nullptr;
    ui::PushButton *cmd_save = nullptr;
    ui::PushButton *cmd_copy = nullptr;
    ui::PushButton *cmd_print = nullptr;
    ui::PushButton *cmd_pdf = nullptr;
    ui::PushButton *cmd_close = nullptr;

private:
    struct PageSlot
    {
        Page page;
        QChartView *view = nullptr;
        bool built = false;
    };

    void addPage(Page page, const QString &caption);
    // Null when the reading was given up.
    QChart *buildChart(Page page) const;
    QString fileNameFor(Page page) const;
    void ensureBuilt(int tab);
    void cmd_save_Click();
    void cmd_copy_Click();
    // The chart shown, drawn on a page of its own (its text stays text).
    std::optional<PrintedReport> printedReport();

    ChartQuery m_query;
    QVector<PageSlot> m_pages;
    ui::BusyWork *m_work = nullptr;
};
