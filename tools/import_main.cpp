// quillory-import [--progress] OLD.mdb [FOLDER]
// quillory-import --tables OLD.mdb
// quillory-import --help | --version
//
// Makes a Quillory ledger FOLDER/db1.mdb (FOLDER: the old file's folder unless given) from an
// old Access 2000 ledger, checks it against the old file and writes FOLDER/import-report.txt.
// Exit 0 when done, 2 when the old file is refused or a step fails (the folder is then as it
// was), 1 for a wrong command line. With --progress, "progress READ TOTAL" lines on standard
// output tell the rows read. The last line on standard error is the message for the person.
// With --tables, only the catalogue is read and nothing written: exit 0 when the file holds the
// tables of an old ledger, 3 (with the message) when it is an Access file but no ledger, 2 when
// it cannot be read.
//
// The reading of a file that may be damaged or hostile is kept inside limits of its own: this
// process's memory and processor time are capped before the file is opened.
#include "import/ImportPlan.h"
#include "import/Importer.h"
#include "jet/JetError.h"
#include "platform/CommandLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr rlim_t processorSeconds = 300;
constexpr rlim_t memoryFloor = rlim_t(1) << 30; // Qt and the engine, before any file

void limitOneself(const QString &oldFile)
{
    // Everything read stays within a few times the file's size.
    const rlim_t size = rlim_t(std::max<qint64>(0, QFileInfo(oldFile).size()));
    const rlim_t memory = std::min<rlim_t>(memoryFloor + 16 * size, rlim_t(16) << 30);
#if !defined(__SANITIZE_ADDRESS__)
    // The address sanitizer reserves far more address space than it uses.
    const rlimit as { memory, memory };
    setrlimit(RLIMIT_AS, &as);
#else
    (void)memory;
#endif
    const rlimit cpu { processorSeconds, processorSeconds + 5 };
    setrlimit(RLIMIT_CPU, &cpu);
}

const char program[] = "quillory-import";
const char usage[] = "用法：quillory-import [--progress] 舊帳本.mdb [資料夾]\n"
                     "      quillory-import --tables 舊帳本.mdb\n"
                     "Usage: quillory-import [--progress] OLD.mdb [FOLDER]\n"
                     "       quillory-import --tables OLD.mdb\n"
                     "\n"
                     "把 Access 2000 到 2003 的舊帳本轉成新的 db1.mdb，放在資料夾裡（預設為舊檔所在的資料夾），\n"
                     "逐筆和舊檔核對，並寫下 import-report.txt；舊檔另存一份 db1-jet-日期-時間.mdb。\n"
                     "有任何不符就停下來，資料夾保持原樣。\n"
                     "\n"
                     "Brings an old Access 2000 to 2003 ledger over into a new db1.mdb in FOLDER (the old\n"
                     "file's folder unless named), checks it against the old file value by value and writes\n"
                     "import-report.txt; the old file is kept as db1-jet-DATE-TIME.mdb. On any difference it\n"
                     "stops and leaves the folder as it was.\n"
                     "\n"
                     "  --progress   在標準輸出報告讀了幾筆 (report the rows read on standard output)\n"
                     "  --tables     只看檔案裡有沒有舊帳本的資料表，不寫入任何東西\n"
                     "               (only look whether the file holds a ledger's tables; write nothing)\n"
                     "  -h, --help   顯示這段說明 (show this text)\n"
                     "  --version    顯示版本 (show the version)\n"
                     "\n"
                     "結束狀態 (exit status): 0 完成 (done); 1 命令列有誤 (wrong command line);\n"
                     "2 拒絕或失敗，資料夾不變 (refused or failed, the folder as it was);\n"
                     "3 有 --tables 時：是 Access 檔但不是帳本 (with --tables: an Access file but no ledger).\n";

void say(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (const std::optional<int> answered = CommandLine::answerHelpOrVersion(args, program, usage))
        return *answered;
    const bool withProgress = !args.isEmpty() && args.first() == QStringLiteral("--progress");
    if (withProgress)
        args.removeFirst();
    const bool tables = !withProgress && args.size() == 2 && args.first() == QStringLiteral("--tables");
    if (!args.isEmpty() && args.first().startsWith(QLatin1Char('-')) && args.first() != QStringLiteral("--tables")
        && args.first() != QStringLiteral("--progress"))
        return CommandLine::refuse(program, args.first(), 1);
    if (!tables && (args.isEmpty() || args.size() > 2 || args.first().startsWith(QLatin1Char('-')))) {
        say(QStringLiteral("usage: quillory-import [--progress] OLD.mdb [FOLDER] | --tables OLD.mdb"));
        say(QStringLiteral("用法：quillory-import [--progress] 舊帳本.mdb [資料夾]"));
        return 1;
    }
    limitOneself(args.at(tables ? 1 : 0));
    if (tables) {
        try {
            const QString why = notALedgerBecause(args.at(1));
            if (why.isEmpty())
                return 0;
            say(why);
            return 3;
        } catch (const ImportError &error) {
            say(error.message());
        } catch (const JetError &error) {
            say(error.message());
        }
        return 2;
    }

    ImportRequest request;
    request.oldFile = args.at(0);
    request.folder = args.size() == 2 ? args.at(1) : QString();
    QElapsedTimer sinceLine;
    sinceLine.start();
    if (withProgress) {
        request.progress = [&](qint64 read, qint64 total) {
            // A line at most every 50 ms, and the last one.
            if (read != total && sinceLine.elapsed() < 50)
                return;
            std::printf("progress %lld %lld\n", static_cast<long long>(read), static_cast<long long>(total));
            std::fflush(stdout);
            sinceLine.restart();
        };
    }
    const ImportOutcome outcome = importOldLedger(request);
    if (!outcome.report.isEmpty())
        std::fputs(outcome.report.toUtf8().constData(), stdout);
    std::fflush(stdout);
    if (!outcome.ok) {
        say(outcome.message);
        return 2;
    }
    say(QStringLiteral("舊帳本已經轉入成新的 db1.mdb，報告在 import-report.txt。"));
    return 0;
}
