#include "app/Startup.h"
#include "platform/CommandLine.h"
#include "ui/AppSetup.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {

const char program[] = "quillory";
const char usage[] = "用法：quillory [--help | --version]\n"
                     "Usage: quillory [--help | --version]\n"
                     "\n"
                     "打開目前資料夾裡的帳本 db1.mdb 和結算分類 SKinds.txt。平常請用 quillory-start 啟動：\n"
                     "它進入帳本資料夾（預設為 ~/Quillory），第一次時先在那裡建立新帳本。在任何視窗按 F1\n"
                     "可以看使用說明。\n"
                     "\n"
                     "Opens the ledger db1.mdb and the summary kinds SKinds.txt in the current folder.\n"
                     "Start it through quillory-start, which enters the ledger folder (~/Quillory unless\n"
                     "named) and makes a new ledger there the first time. F1 in any window shows the\n"
                     "guide (使用說明, in Chinese).\n"
                     "\n"
                     "  -h, --help   顯示這段說明 (show this text)\n"
                     "  --version    顯示版本 (show the version)\n";

// Without a display Qt would abort with a stack of plugin errors; say plainly what to do.
bool haveDisplay()
{
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before anything needs a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> answered = CommandLine::answerHelpOrVersion(arguments, program, usage))
        return *answered;
    if (!haveDisplay()) {
        std::fputs("quillory: 找不到可以顯示視窗的螢幕 (no display found).\n"
                   "Quillory is a desktop program and needs a graphical session.\n"
                   "Without one, run it under a virtual display, for example:\n"
                   "    xvfb-run -a quillory\n",
            stderr);
        return 2;
    }
    QApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style…); the program itself takes no other.
    if (const QStringList rest = QCoreApplication::arguments().mid(1); !rest.isEmpty())
        return CommandLine::refuse(program, rest.first(), 2);
    ui::setupApplication(app);
    // Ties the windows to the installed menu entry and its icon, for the task bar and the
    // window switcher; run from a build folder, no icon is found and none is set.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quillory"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quillory")));
    return runProgram(app);
}
