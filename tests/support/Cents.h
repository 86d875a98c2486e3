#pragma once

#include <QLatin1Char>
#include <QString>
#include <QtGlobal>

namespace testing {

// An amount of cents written as a plain decimal by integer arithmetic alone: the independent
// reference that exact sums are checked against.
inline QString centsText(qint64 cents)
{
    const bool negative = cents < 0;
    const quint64 m = negative ? quint64(0) - quint64(cents) : quint64(cents);
    QString s = QString::number(m / 100);
    const int rest = int(m % 100);
    if (rest != 0) {
        s += QLatin1Char('.') + QStringLiteral("%1").arg(rest, 2, 10, QLatin1Char('0'));
        if (s.endsWith(QLatin1Char('0')))
            s.chop(1);
    }
    return negative && m != 0 ? QLatin1Char('-') + s : s;
}

} // namespace testing
