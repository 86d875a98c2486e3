#pragma once

#include <QLoggingCategory>

// The windows' logging category: what they showed the person went wrong, for a developer or
// a report of a problem (QT_LOGGING_RULES turns it on or off).
Q_DECLARE_LOGGING_CATEGORY(lcUi)
