#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Reading the dates people type and writing dates the way the windows show them.
namespace DateText {

// Reads a typed date. Accepts y/m/d, y-m-d and y.m.d (one or two digits for month and
// day; four-digit years, or two-digit years read as 2000-2029 for 00-29 and 1930-1999
// for 30-99), a four-digit year with a month alone (the first of that month), a month
// and day alone (that day of the current year) and 2024年5月1日. Blanks around the text
// are ignored. Anything else, and days that do not exist, give no date.
std::optional<QDate> read(const QString &text);

// True when read() gives a date.
bool isDate(const QString &text);

// 2024/5/1: four-digit year, no leading zeros in month and day.
QString defaultText(const QDate &date);
// 2024/05/01
QString slashed(const QDate &date);
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
