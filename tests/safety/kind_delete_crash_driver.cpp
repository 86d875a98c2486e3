// Plays a person deleting one kind in the kind manager, on the real start-up, with the kill
// shim preloaded: the shim is armed just before 刪除 is clicked, so the calls it counts (and
// the one it kills at) are those of the deletion alone; the entries go to the first kind
// offered. Prints "calls <n>" when the deletion has run. Usage: kind_delete_crash_driver FOLDER KIND

#include "app/Startup.h"
#include "kinds/mang_kind.h"
#include "kinds/mang_kind_assign.h"
#include "support/ModalDriver.h"
#include "support/TestSupport.h"
#include "ui/MessageBox.h"
#include "ui/PushButton.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>

#include <dlfcn.h>

#include <cstdio>

int main(int argc, char *argv[])
{
    testing::headlessUnlessTold();
    QApplication app(argc, argv);
    ui::setupApplication(app);
    const auto arm = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "quillory_kill_arm"));
    const auto calls = reinterpret_cast<long (*)()>(dlsym(RTLD_DEFAULT, "quillory_kill_calls"));
    if (argc != 3 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1])) || arm == nullptr || calls == nullptr)
        return 2;
    bool done = false;
    ui::setMessageHook([&done](ui::BoxKind kind, const QString &text) {
        done = done || text == QStringLiteral("Delete\rDone!");
        return kind == ui::BoxKind::YesNo; // Yes to "Are you sure to delete ?"
    });
    ModalDriver driver;
    driver.next([](QDialog *dialog) {
        auto *assign = qobject_cast<mang_kind_assign *>(dialog);
        assign->cob_kind->setCurrentIndex(0);
        testing::click(assign->cmd_ok);
    });
    mang_kind *window = startUp() ? new mang_kind : nullptr;
    if (window == nullptr || !testing::showActive(window))
        return 1;
    window->kind->setCurrentItem(window->kind->findItems(QString::fromLocal8Bit(argv[2]), Qt::MatchExactly).value(0));
    arm();
    testing::click(window->kind_del);
    std::printf("calls %ld\n", calls());
    return done ? 0 : 3;
}
