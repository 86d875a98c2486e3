// Creates a new, empty ledger (db1.mdb) in the current folder.

#include "store/LedgerSchema.h"
#include "store/StoreError.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    try {
        LedgerSchema::createLedger(QStringLiteral("db1.mdb"));
    } catch (const StoreError &error) {
        std::fprintf(stderr, "quillory-newdb: %s\n", error.message().toUtf8().constData());
        return 1;
    }
    std::puts("quillory-newdb: db1.mdb created.");
    return 0;
}
