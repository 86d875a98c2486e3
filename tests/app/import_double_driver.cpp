// Stands in for quillory-import in the start-up tests: honours its command line, its first
// progress line and its pieces, and then misbehaves as QUILLORY_IMPORT_DOUBLE says: fail,
// silent (fails without a word), hang or crash.

#include "store/LedgerSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.first() == QStringLiteral("--tables"))
        return 0; // the look before the offer: every file holds a ledger
    const QString mode = qEnvironmentVariable("QUILLORY_IMPORT_DOUBLE");
    if (args.size() < 2 || args.size() > 3 || args.first() != QStringLiteral("--progress")
        || mode == QStringLiteral("silent"))
        return 2;
    const QDir folder(args.value(2, QFileInfo(args.at(1)).absolutePath()));
    LedgerSchema::createLedger(folder.filePath(QStringLiteral("db1-import.mdb.partial")), true);
    std::printf("progress 0 40\n");
    std::fflush(stdout);
    if (mode == QStringLiteral("fail")) {
        std::fputs("reading data_main\n舊帳本 data_main 第 7 列的日期無法讀取，轉入停止。\n\n", stderr);
        return 2;
    }
    if (mode == QStringLiteral("crash"))
        std::raise(SIGKILL);
    while (mode == QStringLiteral("hang"))
        QThread::sleep(1);
    return 2;
}
