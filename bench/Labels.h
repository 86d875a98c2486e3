#pragma once

#include <QString>

// The actions of the report, by the words it prints for them.
namespace labels {

inline const QString firstStart = QStringLiteral("first start of a day (makes the daily backup)");
inline const QString startUp = QStringLiteral("start-up to the main menu shown");
inline const QString processStart = QStringLiteral("program process start to menu drawn");
inline const QString openEntry = QStringLiteral("opening the daily-entry window");
inline const QString dayLoad = QStringLiteral("day load (arrow key in the date)");
inline const QString add = QStringLiteral("adding an entry");
inline const QString modify = QStringLiteral("modifying an entry");
inline const QString move = QStringLiteral("moving an entry up");
inline const QString remove = QStringLiteral("deleting an entry");
inline const QString durableCommit = QStringLiteral("engine alone: one durable commit (this disk)");
inline const QString openKinds = QStringLiteral("opening the kind manager");
inline const QString openCheck = QStringLiteral("opening the query window");
inline const QString monthDetailed = QStringLiteral("range query, one month, detailed");
inline const QString monthSimple = QStringLiteral("range query, one month, simple");
inline const QString yearDetailed = QStringLiteral("range query, one year, detailed");
inline const QString yearSimple = QStringLiteral("range query, one year, simple");
inline const QString sort = QStringLiteral("sort press (amount), one year detailed");
inline const QString yearReport = QStringLiteral("year report");
inline const QString chartYear = QStringLiteral("chart window after the one-year query");
inline const QString chartMonths = QStringLiteral("chart window after the year report");
inline const QString chartYears = QStringLiteral("every-year chart tab shown");
inline const QString chartYearsPause = QStringLiteral("  longest event-loop pause in it, years");
inline const QString wholeSimple = QStringLiteral("range query, whole ledger, simple");
inline const QString wholeDetailed = QStringLiteral("range query, whole ledger, detailed");
// The longest the window's event loop waited for a turn while the query or the years' reading
// ran (from a 50 ms timer).
inline const QString wholeSimplePause = QStringLiteral("  longest event-loop pause in it, simple");
inline const QString wholeDetailedPause = QStringLiteral("  longest event-loop pause in it, detailed");
// The range result of a month written to a PDF, as 匯出 PDF… writes it; and 20,000 rows of the
// one-year result (repeated when it has fewer), written page by page with the window live.
inline const QString monthPdf = QStringLiteral("month's range result to PDF");
inline const QString rowsPdf = QStringLiteral("20,000 rows to PDF");
inline const QString rowsPdfPause = QStringLiteral("  longest event-loop pause in it, PDF");
// What start-up adds to find the recurring items due: 100 items, monthly, weekly and yearly,
// begun a year before the ledger's last day, half of what fell due dealt with.
inline const QString dueCheck = QStringLiteral("due check of 100 recurring items (start-up)");
// The 預算 window's report of a whole year, every kind with a budget.
inline const QString budgetYear = QStringLiteral("budget report of a year");
// A year of one family's e-invoices (1,500 invoices, 6,000 item rows, the download layout):
// read and previewed, then brought in.
inline const QString invoicesPreview = QStringLiteral("a year's e-invoices read and previewed");
inline const QString invoicesCommit = QStringLiteral("a year's e-invoices brought in");
// The whole run of quillory-import on an old Access ledger, from its start to its exit.
inline const QString importOld = QStringLiteral("old Access ledger import (quillory-import)");

} // namespace labels
