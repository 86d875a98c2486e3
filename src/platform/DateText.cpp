#include "platform/DateText.h"

#include "platform/Clock.h"
#include "platform/Numbers.h"

#include <QRegularExpression>

namespace DateText {

namespace {

bool s_rocShown = false;

// "民國" or "中華民國" before the year: the year is then a 民國 year, whatever its length.
const QString rocPrefix = QStringLiteral(R"((?:(?:中華)?民國 ?)?)");

bool hasRocPrefix(const QRegularExpressionMatch &m)
{
    return m.captured(0).contains(QStringLiteral("民國"));
}

// Four digits are a 西元 year; one to three a 民國 year (民國1年 is 1912). No year at all
// (0, or 民國 before a four-digit year) gives 0, which no date has.
int yearOf(const QString &digits, bool rocPrefixed)
{
    const int y = digits.toInt();
    if (digits.size() == 4)
        return rocPrefixed ? 0 : y;
    return y == 0 ? 0 : y + rocOffset;
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
    const QString t = Numbers::trimBlanks(Numbers::asciiForm(text));

    // Every pattern ends in \z, not $: $ would also match before a final line break, which
    // is part of the text and not a blank.

    // y/m/d, y-m-d, y.m.d with one separator used throughout.
    static const QRegularExpression full(
        QStringLiteral(R"(^)") + rocPrefix + QStringLiteral(R"(([0-9]{1,4})([/\-.])([0-9]{1,2})\2([0-9]{1,2})\z)"));
    if (const auto m = full.match(t); m.hasMatch())
        return makeDate(yearOf(m.captured(1), hasRocPrefix(m)), m.captured(3).toInt(), m.captured(4).toInt());

    // Two numbers: a year of three or four digits (or one after 民國) and a month, for the
    // first of that month; otherwise a month and a day of the current year.
    static const QRegularExpression twoParts(
        QStringLiteral(R"(^)") + rocPrefix + QStringLiteral(R"(([0-9]{1,4})([/\-.])([0-9]{1,2})\z)"));
    if (const auto m = twoParts.match(t); m.hasMatch()) {
        if (hasRocPrefix(m) || m.captured(1).size() >= 3)
            return makeDate(yearOf(m.captured(1), hasRocPrefix(m)), m.captured(3).toInt(), 1);
        return makeDate(Clock::today().year(), m.captured(1).toInt(), m.captured(3).toInt());
    }

    // Digits alone: 20240501 (西元), 1130501 and 990906 (民國).
    static const QRegularExpression digitsOnly(
        QStringLiteral(R"(^)") + rocPrefix + QStringLiteral(R"(([0-9]{6,8})\z)"));
    if (const auto m = digitsOnly.match(t); m.hasMatch()) {
        const QString d = m.captured(1);
        const qsizetype yearDigits = d.size() - 4;
        return makeDate(yearOf(d.left(yearDigits), hasRocPrefix(m)), d.mid(yearDigits, 2).toInt(), d.right(2).toInt());
    }

    // 2024年5月1日, 民國113年5月1日, 中華民國96年5月3日; without the day, the first of the month.
    static const QRegularExpression chinese(QStringLiteral(R"(^)") + rocPrefix
        + QStringLiteral(R"(([0-9]{1,4}) ?年 ?([0-9]{1,2}) ?月(?: ?([0-9]{1,2}) ?日)?\z)"));
    if (const auto m = chinese.match(t); m.hasMatch()) {
        const int day = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
        return makeDate(yearOf(m.captured(1), hasRocPrefix(m)), m.captured(2).toInt(), day);
    }
    return std::nullopt;
}

QString acceptedForms()
{
    return QStringLiteral("可打 2024/5/1、2024-05-01、2024.5.1、20240501、2024年5月1日，"
                          "民國年 113/5/1、113.5.1、113-05-01、1130501、113年5月1日、民國113年5月1日，"
                          "或月日 5/1（今年）；年份四位數是西元，一到三位數是民國；全形數字也可以");
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

QString roc(const QDate &date)
{
    if (date.year() <= rocOffset || date.year() > 9999)
        return defaultText(date);
    return QStringLiteral("%1/%2/%3").arg(date.year() - rocOffset).arg(date.month()).arg(date.day());
}

QString rocSlashed(const QDate &date)
{
    if (date.year() <= rocOffset || date.year() > 9999)
        return slashed(date);
    return QStringLiteral("%1/%2/%3")
        .arg(date.year() - rocOffset)
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

void setRocShown(bool roc)
{
    s_rocShown = roc;
}

bool rocShown()
{
    return s_rocShown;
}

QString shown(const QDate &date)
{
    return s_rocShown ? roc(date) : defaultText(date);
}

QString shownSlashed(const QDate &date)
{
    return s_rocShown ? rocSlashed(date) : slashed(date);
}

QString shownYearMonth(const QDate &date)
{
    if (!s_rocShown || date.year() <= rocOffset)
        return yearMonth(date);
    return QStringLiteral("%1/%2").arg(date.year() - rocOffset).arg(date.month(), 2, 10, QLatin1Char('0'));
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
