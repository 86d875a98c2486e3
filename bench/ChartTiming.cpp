#include "ChartTiming.h"

#include "Driving.h"
#include "Labels.h"
#include "Scenarios.h"

#include "reports/chart_view.h"
#include "reports/check.h"
#include "ui/PushButton.h"

#include <QAbstractSeries>
#include <QChart>
#include <QTabWidget>

namespace scenarios {

void openCharts(BenchRun &run, check &w, ChartTiming &timing, const QString &label)
{
    timing.label = label;
    for (int rep = 0; rep < run.reps; ++rep) {
        timing.since.start();
        testing::click(w.cmd_chart);
        driving::settle();
    }
}

void driveCharts(BenchRun &run, chart_view &charts, double openMs, const ChartTiming &timing)
{
    run.line(timing.label).times.add(openMs);
    QChart *first = charts.chartAt(0);
    if (first == nullptr || first->series().isEmpty())
        run.problems << timing.label + QStringLiteral(": the first chart draws nothing");
    const int years = charts.tabOf(chart_view::Page::Years);
    const driving::EventLoopTicks ticks;
    run.line(labels::chartYears).times.add(driving::timed([&] { charts.tabs->setCurrentIndex(years); }));
    run.line(labels::chartYearsPause).times.add(ticks.longestGapMs());
    QChart *trend = charts.chartAt(years);
    if (trend == nullptr || trend->series().isEmpty())
        run.problems << QStringLiteral("every-year chart: draws nothing");
}

} // namespace scenarios
