// Creates a new, empty ledger (db1.mdb) in the current folder.

#include "platform/CommandLine.h"
#include "store/LedgerSchema.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace {

const char program[] = "quillory-newdb";
const char usage[] = "用法：quillory-newdb [--help | --version]\n"
                     "Usage: quillory-newdb [--help | --version]\n"
                     "\n"
                     "在目前的資料夾建立一本新的空帳本 db1.mdb，內有常用的帳目種類。已經有的 db1.mdb\n"
                     "絕不會被取代。\n"
                     "\n"
                     "Makes a new, empty ledger db1.mdb in the current folder, with the starter kinds.\n"
                     "An existing db1.mdb is never replaced.\n"
                     "\n"
                     "  -h, --help   顯示這段說明，不建立帳本 (show this text and make nothing)\n"
                     "  --version    顯示版本 (show the version)\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Any other argument means the person expects something else than a new ledger: it is
    // refused before anything is made.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (const std::optional<int> answered = CommandLine::answerHelpOrVersion(arguments, program, usage))
        return *answered;
    if (!arguments.isEmpty()) {
        // "--help --force" names --force: the option it does know is not the one at fault.
        const auto known = [](const QString &argument) {
            return argument == QLatin1String("--help") || argument == QLatin1String("-h")
                || argument == QLatin1String("--version");
        };
        const auto unknown = std::find_if_not(arguments.begin(), arguments.end(), known);
        return CommandLine::refuse(program, unknown != arguments.end() ? *unknown : arguments.last(), 1);
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
