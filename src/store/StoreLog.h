#pragma once

#include <QLoggingCategory>

// The store's logging categories: what it says about the ledger's file and its copies, for a
// developer or a report of a problem (QT_LOGGING_RULES turns them on or off).
Q_DECLARE_LOGGING_CATEGORY(lcStore)
Q_DECLARE_LOGGING_CATEGORY(lcBackup)
