#include "platform/Clock.h"

namespace Clock {

namespace {

QDateTime &fixedMoment()
{
    static QDateTime moment;
    return moment;
}

} // namespace

QDate today()
{
    return now().date();
}

QDateTime now()
{
    const QDateTime &fixed = fixedMoment();
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}

void set(const QDateTime &moment)
{
    fixedMoment() = moment;
}

} // namespace Clock
