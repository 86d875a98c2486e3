// Creates a new, empty ledger (db1.mdb) in the current folder.

#include "store/LedgerSchema.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

const char usage[] = "Usage: quillory-newdb [--help]\n"
                     "Creates a new, empty ledger db1.mdb in the current folder, with the starter kinds.\n"
                     "An existing db1.mdb is never replaced.\n"
                     "  -h, --help  show this text and make nothing\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Any argument means the person expects something else than a new ledger: only the usage
    // is shown, and an argument it does not know is refused before anything is made.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty()) {
        for (const QString &argument : arguments) {
            if (argument != QLatin1String("--help") && argument != QLatin1String("-h")) {
                std::fprintf(
                    stderr, "quillory-newdb: unknown argument '%s'\n%s", argument.toLocal8Bit().constData(), usage);
                return 1;
            }
        }
        std::fputs(usage, stdout);
        return 0;
    }
    try {
        LedgerSchema::createLedger(QStringLiteral("db1.mdb"));
    } catch (const StoreError &error) {
        std::fprintf(stderr, "quillory-newdb: %s\n", error.message().toUtf8().constData());
        return 1;
    }
    std::puts("quillory-newdb: db1.mdb created.");
    return 0;
}
