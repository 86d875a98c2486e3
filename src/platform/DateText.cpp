#include "platform/DateText.h"

#include "platform/Clock.h"
#include "platform/Numbers.h"

#include <QRegularExpression>

namespace DateText {

namespace {

// A two-digit year: 00-29 is this century, 30-99 the last.
int expandYear(const QString &digits)
{
    const int y = digits.toInt();
    if (digits.size() == 4)
        return y;
    return y < 30 ? 2000 + y : 1900 + y;
}

std::optional<QDate> makeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999)
        return std::nullopt;
    const QDate d(year, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

} // namespace

std::optional<QDate> read(const QString &text)
{
    const QString t = Numbers::trimBlanks(text);

    // Every pattern ends in \z, not $: $ would also match before a final line break, which
    // is part of the text and not a blank.

    // y/m/d, y-m-d, y.m.d with one separator used throughout.
    static const QRegularExpression full(QStringLiteral(R"(^([0-9]{4}|[0-9]{2})([/\-.])([0-9]{1,2})\2([0-9]{1,2})\z)"));
    if (const auto m = full.match(t); m.hasMatch())
        return makeDate(expandYear(m.captured(1)), m.captured(3).toInt(), m.captured(4).toInt());

    // A four-digit year and a month: the first of that month.
    static const QRegularExpression yearMonthOnly(QStringLiteral(R"(^([0-9]{4})([/\-.])([0-9]{1,2})\z)"));
    if (const auto m = yearMonthOnly.match(t); m.hasMatch())
        return makeDate(m.captured(1).toInt(), m.captured(3).toInt(), 1);

    // A month and a day: that day of the current year.
    static const QRegularExpression monthDay(QStringLiteral(R"(^([0-9]{1,2})([/\-.])([0-9]{1,2})\z)"));
    if (const auto m = monthDay.match(t); m.hasMatch())
        return makeDate(Clock::today().year(), m.captured(1).toInt(), m.captured(3).toInt());

    // 2024年5月1日, or 2024年5月 for the first of the month.
    static const QRegularExpression chinese(
        QStringLiteral(R"(^([0-9]{4}|[0-9]{2})年([0-9]{1,2})月(?:([0-9]{1,2})日)?\z)"));
    if (const auto m = chinese.match(t); m.hasMatch()) {
        const int day = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
        return makeDate(expandYear(m.captured(1)), m.captured(2).toInt(), day);
    }
    return std::nullopt;
}

bool isDate(const QString &text)
{
    return read(text).has_value();
}

namespace {

// The query window writes a date into every row of a result, so these are built by hand
// instead of through QString::arg; dates outside years 1 to 9999 take the general road.
bool plainYear(const QDate &date)
{
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

void appendNumber(QString &out, int value, int width)
{
    char digits[8];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0 && n < 8);
    for (int i = n; i < width; ++i)
        out += QLatin1Char('0');
    while (n > 0)
        out += QLatin1Char(digits[--n]);
}

QString joined(const QDate &date, char separator, int monthDayWidth)
{
    QString out;
    out.reserve(10);
    appendNumber(out, date.year(), 4);
    out += QLatin1Char(separator);
    appendNumber(out, date.month(), monthDayWidth);
    out += QLatin1Char(separator);
    appendNumber(out, date.day(), monthDayWidth);
    return out;
}

int digitAt(QStringView text, qsizetype i)
{
    const QChar c = text.at(i);
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c.unicode() - '0' : -1;
}

} // namespace

QString defaultText(const QDate &date)
{
    if (plainYear(date))
        return joined(date, '/', 1);
    return QStringLiteral("%1/%2/%3").arg(date.year(), 4, 10, QLatin1Char('0')).arg(date.month()).arg(date.day());
}

QString slashed(const QDate &date)
{
    if (plainYear(date))
        return joined(date, '/', 2);
    return QStringLiteral("%1/%2/%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString yearMonth(const QDate &date)
{
    return QStringLiteral("%1/%2").arg(date.year(), 4, 10, QLatin1Char('0')).arg(date.month(), 2, 10, QLatin1Char('0'));
}

QString iso(const QDate &date)
{
    if (plainYear(date))
        return joined(date, '-', 2);
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QDate fromIso(const QString &text)
{
    // Every stored date has exactly this shape; anything else goes to the general reader.
    const QStringView t = QStringView(text).left(10);
    if (t.size() == 10 && t.at(4) == QLatin1Char('-') && t.at(7) == QLatin1Char('-')) {
        int parts[3] = { 0, 0, 0 };
        const qsizetype starts[3] = { 0, 5, 8 };
        const qsizetype lengths[3] = { 4, 2, 2 };
        bool digits = true;
        for (int p = 0; p < 3 && digits; ++p) {
            for (qsizetype i = starts[p]; i < starts[p] + lengths[p] && digits; ++i) {
                const int d = digitAt(t, i);
                digits = d >= 0;
                parts[p] = parts[p] * 10 + d;
            }
        }
        if (digits)
            return QDate(parts[0], parts[1], parts[2]);
    }
    return QDate::fromString(text.left(10), Qt::ISODate);
}

int weekday(const QDate &date)
{
    return date.dayOfWeek();
}

QString weekdayName(int weekday)
{
    static const QString names = QStringLiteral("一二三四五六日");
    if (weekday < 1 || weekday > 7)
        return {};
    return names.mid(weekday - 1, 1);
}

bool isWeekend(const QDate &date)
{
    return date.dayOfWeek() >= 6;
}

} // namespace DateText
