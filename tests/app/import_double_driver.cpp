// Stands in for quillory-import in the start-up tests: honours its command line, its progress
// lines, its exit codes and its files, and misbehaves on request. QUILLORY_IMPORT_DOUBLE picks
// the behaviour: ok, slow (ok, with time between the progress lines), fail, silent (fails
// without a word), hang, crash.

#include "store/LedgerSchema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <cstdio>

namespace {

constexpr int rows = 40;

void progress(int read)
{
    std::printf("progress %d %d\n", read, rows);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    // The look before the offer: every file it is given holds a ledger.
    if (args.size() == 2 && args.first() == QStringLiteral("--tables"))
        return 0;
    const bool withProgress = !args.isEmpty() && args.first() == QStringLiteral("--progress");
    if (withProgress)
        args.removeFirst();
    if (args.isEmpty() || args.size() > 2) {
        std::fputs("usage: quillory-import [--progress] OLD.mdb [FOLDER]\n", stderr);
        return 1;
    }
    const QString old = args.at(0);
    const QDir folder(args.size() == 2 ? args.at(1) : QFileInfo(old).absolutePath());
    const QString mode = qEnvironmentVariable("QUILLORY_IMPORT_DOUBLE", QStringLiteral("ok"));
    const QString partial = folder.filePath(QStringLiteral("db1-import.mdb.partial"));

    if (mode == QStringLiteral("silent"))
        return 2;
    LedgerSchema::createLedger(partial, true);
    if (withProgress)
        progress(0);
    if (mode == QStringLiteral("fail")) {
        std::fputs("reading data_main\n", stderr);
        std::fputs("舊帳本 data_main 第 7 列的日期無法讀取，轉入停止。\n\n", stderr);
        return 2;
    }
    if (mode == QStringLiteral("crash"))
        std::raise(SIGKILL);
    if (mode == QStringLiteral("hang")) {
        for (;;)
            QThread::sleep(1);
    }
    for (int read = 10; withProgress && read <= rows; read += 10) {
        if (mode == QStringLiteral("slow"))
            QThread::msleep(150);
        progress(read);
    }
    // Time to see the last count before the dialog goes.
    if (mode == QStringLiteral("slow"))
        QThread::msleep(300);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFile::copy(old, folder.filePath(QStringLiteral("db1-jet-%1.mdb").arg(stamp))))
        return 2;
    QFile report(folder.filePath(QStringLiteral("import-report.txt")));
    if (!report.open(QIODevice::WriteOnly))
        return 2;
    report.write(QStringLiteral("data_main：讀 %1 筆，寫 %1 筆\n核對：全部相符\n\n詳細：無\n").arg(rows).toUtf8());
    report.close();
    if (std::rename(QFile::encodeName(partial).constData(),
            QFile::encodeName(folder.filePath(QStringLiteral("db1.mdb"))).constData())
        != 0)
        return 2;
    return 0;
}
