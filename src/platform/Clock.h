#pragma once

#include <QDate>
#include <QDateTime>

// Today and now for the whole program. Tests set a fixed moment.
namespace Clock {

QDate today();
QDateTime now();

// From now on today() and now() report this moment; an invalid value goes back to the
// system clock.
void set(const QDateTime &moment);

} // namespace Clock
