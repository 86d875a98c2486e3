// Stands in for quillory-import in the start-up tests: honours its command line, its progress
// lines, its exit codes and its files, and misbehaves as QUILLORY_IMPORT_DOUBLE says: ok, slow
// (ok, with time between the progress lines), fail, silent (fails without a word), hang, crash.

#include "store/LedgerSchema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QThread>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.first() == QStringLiteral("--tables"))
        return 0; // the look before the offer: every file holds a ledger
    const bool withProgress = args.value(0) == QStringLiteral("--progress");
    if (withProgress)
        args.removeFirst();
    if (args.isEmpty() || args.size() > 2)
        return 1;
    const QDir folder(args.value(1, QFileInfo(args.first()).absolutePath()));
    const QString mode = qEnvironmentVariable("QUILLORY_IMPORT_DOUBLE", QStringLiteral("ok"));
    if (mode == QStringLiteral("silent"))
        return 2;
    const QString partial = folder.filePath(QStringLiteral("db1-import.mdb.partial"));
    LedgerSchema::createLedger(partial, true);
    for (int read = 0; withProgress && read <= 40; read += 10) {
        std::printf("progress %d 40\n", read);
        std::fflush(stdout);
        if (mode == QStringLiteral("fail")) {
            std::fputs("reading data_main\n舊帳本 data_main 第 7 列的日期無法讀取，轉入停止。\n\n", stderr);
            return 2;
        }
        if (mode == QStringLiteral("crash"))
            std::raise(SIGKILL);
        while (mode == QStringLiteral("hang"))
            QThread::sleep(1);
        QThread::msleep(mode == QStringLiteral("slow") ? 150 : 0);
    }
    QThread::msleep(mode == QStringLiteral("slow") ? 300 : 0); // time to see the last count
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QFile report(folder.filePath(QStringLiteral("import-report.txt")));
    if (!QFile::copy(args.first(), folder.filePath(QStringLiteral("db1-jet-%1.mdb").arg(stamp)))
        || !report.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || report.write("data_main：讀 40 筆，寫 40 筆\n核對：全部相符\n\n詳細：無\n") < 0)
        return 2;
    report.close();
    return std::rename(QFile::encodeName(partial).constData(),
               QFile::encodeName(folder.filePath(QStringLiteral("db1.mdb"))).constData())
            == 0
        ? 0
        : 2;
}
