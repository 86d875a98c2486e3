#include "store/StoreLog.h"

Q_LOGGING_CATEGORY(lcStore, "quillory.store")
Q_LOGGING_CATEGORY(lcBackup, "quillory.backup")
