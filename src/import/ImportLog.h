#pragma once

#include <QLoggingCategory>

// The import's logging category: why an old ledger was not brought over.
Q_DECLARE_LOGGING_CATEGORY(lcImport)
