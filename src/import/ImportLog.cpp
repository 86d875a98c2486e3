#include "import/ImportLog.h"

Q_LOGGING_CATEGORY(lcImport, "quillory.import")
