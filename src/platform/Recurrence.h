#pragma once

#include <QDate>
#include <QString>
#include <QVector>

#include <optional>

// When a recurring item falls due. Every occurrence is computed from the first date and its
// number, never from the occurrence before it, so a day 29 to 31 that a short month lacks falls
// on that month's last day and the next month has its own day again (1/31, 2/29, 3/31), and a
// yearly 2/29 falls on 2/28 in the years without one.
struct Recurrence
{
    enum class Rule {
        MonthDay, // 每月第 number 日
        MonthLast, // 每月最後一天
        EveryMonths, // 每 number 個月, on the first date's day
        Yearly, // 每年 number 月 day 日
        Weekly, // 每週星期 number (1 Monday … 7 Sunday)
    };

    Rule rule = Rule::MonthDay;
    int number = 1;
    int day = 1;
    QDate first; // no occurrence falls before it
    QDate last; // none after it, when valid
    int times = 0; // at most this many occurrences, when above 0

    // The occurrence with this number (0 the first), or an invalid date when the item has ended
    // before it.
    QDate occurrence(int index) const;

    // The occurrences from the first up to and including the day, oldest first, each with its
    // number.
    QVector<std::pair<int, QDate>> upTo(const QDate &until) const;

    // Whether the numbers make a rule (a day of the month 1 to 31, a month 1 to 12 with a day it
    // can have, a weekday 1 to 7, every 1 to 120 months) and the first date is valid.
    bool isValid() const;

    // How the rule is said in the windows: "每月 15 日", "每 2 個月", "每年 2 月 29 日", "每週星期一".
    QString shown() const;

    // The rule as the ledger keeps it ("monthday 15", "monthlast", "months 2", "yearly 2 29",
    // "weekly 1"), and read back; nothing for a text that is not one.
    QString ruleText() const;
    static std::optional<Recurrence> fromRuleText(const QString &text);

    bool operator==(const Recurrence &) const = default;
};
