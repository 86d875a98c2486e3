#include "jet/JetValue.h"

#include <cmath>

namespace JetDays {

std::optional<QDate> day(double days, bool *hasTime)
{
    if (!std::isfinite(days) || std::fabs(days) > 4.0e6)
        return std::nullopt;
    const double whole = std::trunc(days);
    if (hasTime)
        *hasTime = whole != days;
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return std::nullopt;
    return date;
}

} // namespace JetDays
