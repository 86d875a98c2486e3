#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Reading the dates people type and writing dates the way the windows show them.
namespace DateText {

// 民國 year + rocOffset = 西元 year.
constexpr int rocOffset = 1911;

// Reads a typed or written date. A year of four digits is 西元, one of one to three digits
// 民國 (113 is 2024). Accepts y/m/d, y-m-d and y.m.d (one separator throughout, one or two
// digits for month and day), a year of three or four digits with a month alone (the first
// of that month), a month and day alone (that day of the current year), digits alone
// (20240501, 1130501, 990906), 2024年5月1日 and 113年5月 (the first), and 民國 or 中華民國
// before any form with a year. Full-width digits, separators and blanks read as their ASCII
// forms; blanks around the text are ignored. Anything else, and days that do not exist,
// give no date.
std::optional<QDate> read(const QString &text);

// What a refusal of a typed date says it takes, after the refusal itself.
QString acceptedForms();

// True when read() gives a date.
bool isDate(const QString &text);

// 2024/5/1: four-digit year, no leading zeros in month and day.
QString defaultText(const QDate &date);
// 2024/05/01
QString slashed(const QDate &date);
// 113/5/1 and 113/05/01: the 民國 year. A day before 民國1年 is written as 西元 (2024/5/1 and
// 2024/05/01 above), so that what is written always reads back as the same day.
QString roc(const QDate &date);
QString rocSlashed(const QDate &date);

// Whether the grids and reports show dates with 民國 years; 西元 until set. The files keep
// ISO dates whatever this says.
void setRocShown(bool roc);
bool rocShown();
// defaultText() or roc(), slashed() or rocSlashed(), as rocShown() says.
QString shown(const QDate &date);
QString shownSlashed(const QDate &date);
// 2024/05 or 113/05.
QString shownYearMonth(const QDate &date);

// 2024/05
QString yearMonth(const QDate &date);
// 2024-05-01, the form dates are stored in.
QString iso(const QDate &date);
// Reads a stored date (2024-05-01); an invalid QDate when the text is not one.
QDate fromIso(const QString &text);

// Monday = 1 ... Sunday = 7.
int weekday(const QDate &date);
// 一 二 三 四 五 六 日 for 1 to 7; empty for anything else.
QString weekdayName(int weekday);
// Saturday or Sunday.
bool isWeekend(const QDate &date);

} // namespace DateText
