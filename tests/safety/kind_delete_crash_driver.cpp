// Plays a person deleting one kind in the kind manager, on the real start-up, with the kill
// shim preloaded: the shim is armed just before 刪除 is clicked, so the calls it counts (and
// the one it kills at) are those of the deletion alone. Prints "calls <n>" when the deletion
// has run. Usage: kind_delete_crash_driver FOLDER KIND-NAME

#include "app/Startup.h"
#include "kinds/mang_kind.h"
#include "kinds/mang_kind_assign.h"
#include "support/ModalDriver.h"
#include "support/TestSupport.h"
#include "ui/MessageBox.h"
#include "ui/PushButton.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QTest>

#include <dlfcn.h>

#include <cstdio>

int main(int argc, char *argv[])
{
    testing::headlessUnlessTold();
    QApplication app(argc, argv);
    ui::setupApplication(app);
    if (argc != 3 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fputs("usage: kind_delete_crash_driver FOLDER KIND-NAME\n", stderr);
        return 2;
    }
    const QString doomed = QString::fromLocal8Bit(argv[2]);
    using Arm = void (*)();
    using Calls = long (*)();
    const auto arm = reinterpret_cast<Arm>(dlsym(RTLD_DEFAULT, "quillory_kill_arm"));
    const auto calls = reinterpret_cast<Calls>(dlsym(RTLD_DEFAULT, "quillory_kill_calls"));
    if (arm == nullptr || calls == nullptr) {
        std::fputs("kind_delete_crash_driver: the kill shim is not preloaded\n", stderr);
        return 2;
    }
    bool done = false;
    ui::setMessageHook([&done](ui::BoxKind kind, const QString &text) {
        if (text == QStringLiteral("Delete\rDone!"))
            done = true;
        else if (kind == ui::BoxKind::Ok)
            std::fprintf(stderr, "box: %s\n", text.toUtf8().constData());
        return kind == ui::BoxKind::YesNo; // Yes to "Are you sure to delete ?"
    });
    ModalDriver driver;
    driver.next([](QDialog *dialog) {
        auto *assign = qobject_cast<mang_kind_assign *>(dialog);
        assign->cob_kind->setCurrentIndex(0);
        testing::click(assign->cmd_ok);
    });
    if (!startUp())
        return 1;

    mang_kind window;
    if (!testing::showActive(&window))
        return 6;
    const QList<QListWidgetItem *> found = window.kind->findItems(doomed, Qt::MatchExactly);
    if (found.isEmpty())
        return 4;
    window.kind->setCurrentItem(found.first());
    arm();
    testing::click(window.kind_del);
    const long counted = calls();
    if (!done)
        return 3;
    std::printf("calls %ld\n", counted);
    std::fflush(stdout);
    return 0;
}
