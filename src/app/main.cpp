#include "app/Startup.h"
#include "ui/AppSetup.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {

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
    if (!haveDisplay()) {
        std::fputs("quillory: 找不到可以顯示視窗的螢幕 (no display found).\n"
                   "Quillory is a desktop program and needs a graphical session.\n"
                   "Without one, run it under a virtual display, for example:\n"
                   "    xvfb-run -a quillory\n",
            stderr);
        return 2;
    }
    QApplication app(argc, argv);
    ui::setupApplication(app);
    // Ties the windows to the installed menu entry and its icon, for the task bar and the
    // window switcher; run from a build folder, no icon is found and none is set.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillory"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quillory")));
    return runProgram(app);
}
