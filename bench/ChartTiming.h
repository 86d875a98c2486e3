#pragma once

#include <QElapsedTimer>
#include <QString>

class chart_view;
class check;
struct BenchRun;

namespace driving {
class Boxes;
}

// The chart window opened from the query window's result: the time from the press of 圖表
// until the first chart is on the screen, then the time to show the every-year tab.
namespace scenarios {

struct ChartTiming
{
    QElapsedTimer since; // started at each press of 圖表
    QString label; // the line the opening is timed on
};

// Presses 圖表 reps times on the result the query window shows.
void openCharts(BenchRun &run, check &w, ChartTiming &timing, const QString &label);

// Drives one chart window, opened openMs after the press: checks its first chart and times
// the every-year tab.
void driveCharts(BenchRun &run, chart_view &charts, double openMs, const ChartTiming &timing);

} // namespace scenarios
