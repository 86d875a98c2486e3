#include "platform/Recurrence.h"

#include "platform/DateText.h"

#include <QStringList>

#include <algorithm>

namespace {

// The day of that month, or its last day when the month is shorter.
QDate clamped(int year, int month, int day)
{
    const QDate firstOfMonth(year, month, 1);
    return QDate(year, month, std::min(day, firstOfMonth.daysInMonth()));
}

QDate monthsAfter(const QDate &start, int months, int day)
{
    const QDate month = QDate(start.year(), start.month(), 1).addMonths(months);
    return clamped(month.year(), month.month(), day);
}

} // namespace

QDate Recurrence::occurrence(int index) const
{
    if (!isValid() || index < 0 || (times > 0 && index >= times))
        return {};
    QDate date;
    switch (rule) {
    case Rule::MonthDay: {
        const int skip = clamped(first.year(), first.month(), number) < first ? 1 : 0;
        date = monthsAfter(first, index + skip, number);
        break;
    }
    case Rule::MonthLast:
        date = monthsAfter(first, index, 31);
        break;
    case Rule::EveryMonths:
        date = monthsAfter(first, index * number, first.day());
        break;
    case Rule::Yearly: {
        const int skip = clamped(first.year(), number, day) < first ? 1 : 0;
        date = clamped(first.year() + index + skip, number, day);
        break;
    }
    case Rule::Weekly:
        date = first.addDays((number - first.dayOfWeek() + 7) % 7 + 7LL * index);
        break;
    }
    return last.isValid() && date > last ? QDate() : date;
}

QVector<std::pair<int, QDate>> Recurrence::upTo(const QDate &until) const
{
    QVector<std::pair<int, QDate>> out;
    for (int i = 0;; ++i) {
        const QDate date = occurrence(i);
        if (!date.isValid() || date > until)
            return out;
        out.append({ i, date });
    }
}

bool Recurrence::isValid() const
{
    if (!first.isValid() || times < 0)
        return false;
    switch (rule) {
    case Rule::MonthDay:
        return number >= 1 && number <= 31;
    case Rule::MonthLast:
        return true;
    case Rule::EveryMonths:
        return number >= 1 && number <= 120;
    case Rule::Yearly:
        return number >= 1 && number <= 12 && day >= 1 && day <= QDate(2024, number, 1).daysInMonth();
    case Rule::Weekly:
        return number >= 1 && number <= 7;
    }
    return false;
}

QString Recurrence::shown() const
{
    switch (rule) {
    case Rule::MonthDay:
        return QStringLiteral("每月 %1 日").arg(number);
    case Rule::MonthLast:
        return QStringLiteral("每月最後一天");
    case Rule::EveryMonths:
        return QStringLiteral("每 %1 個月").arg(number);
    case Rule::Yearly:
        return QStringLiteral("每年 %1 月 %2 日").arg(number).arg(day);
    case Rule::Weekly:
        return QStringLiteral("每週星期") + DateText::weekdayName(number);
    }
    return {};
}

QString Recurrence::ruleText() const
{
    switch (rule) {
    case Rule::MonthDay:
        return QStringLiteral("monthday %1").arg(number);
    case Rule::MonthLast:
        return QStringLiteral("monthlast");
    case Rule::EveryMonths:
        return QStringLiteral("months %1").arg(number);
    case Rule::Yearly:
        return QStringLiteral("yearly %1 %2").arg(number).arg(day);
    case Rule::Weekly:
        return QStringLiteral("weekly %1").arg(number);
    }
    return {};
}

std::optional<Recurrence> Recurrence::fromRuleText(const QString &text)
{
    const QStringList words = text.split(QLatin1Char(' '));
    static const std::pair<const char *, Rule> names[]
        = { { "monthday", Rule::MonthDay }, { "monthlast", Rule::MonthLast }, { "months", Rule::EveryMonths },
              { "yearly", Rule::Yearly }, { "weekly", Rule::Weekly } };
    for (const auto &[name, rule] : names) {
        if (words.first() != QLatin1String(name))
            continue;
        const qsizetype wanted = rule == Rule::MonthLast ? 1 : rule == Rule::Yearly ? 3 : 2;
        if (words.size() != wanted)
            return std::nullopt;
        Recurrence r;
        r.rule = rule;
        bool ok = true;
        for (qsizetype i = 1; i < words.size() && ok; ++i)
            (i == 1 ? r.number : r.day) = words[i].toInt(&ok);
        r.first = QDate(2000, 1, 1);
        if (!ok || !r.isValid())
            return std::nullopt;
        r.first = {};
        return r;
    }
    return std::nullopt;
}
