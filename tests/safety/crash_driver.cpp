// Plays a person adding entries in the daily-entry window, on the real start-up, until it is
// killed. After each add has returned it prints "added <key> <description>" and flushes, so
// the crash test knows which adds completed. Usage: crash_driver FOLDER RUN
// Every fourth add also moves the new entry up, so kills land inside moves as well.

#include "app/Startup.h"
#include "entry/input_keyin.h"
#include "store/EntryStore.h"
#include "support/TestSupport.h"
#include "ui/DGrid.h"
#include "ui/MessageBox.h"
#include "ui/PushButton.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

int boxesShown = 0;

} // namespace

int main(int argc, char *argv[])
{
    testing::headlessUnlessTold();
    QApplication app(argc, argv);
    ui::setupApplication(app);
    if (argc != 3) {
        std::fputs("usage: crash_driver FOLDER RUN\n", stderr);
        return 2;
    }
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fputs("crash_driver: no such folder\n", stderr);
        return 2;
    }
    const QString run = QString::fromLocal8Bit(argv[2]);
    // Nobody is there to answer a box: say what it said and count it as a failure.
    ui::setMessageHook([](ui::BoxKind, const QString &text) {
        ++boxesShown;
        std::fprintf(stderr, "box: %s\n", text.toUtf8().constData());
        return false;
    });
    if (!startUp())
        return 1;

    input_keyin window;
    if (!testing::showActive(&window))
        return 6;
    const QDate first(2024, 1, 1);
    for (int n = 1; n <= 100000; ++n) {
        // Twenty entries a day keep each day's reload short.
        testing::retype(
            window.date_new, first.addDays((run.toInt() * 1000 + n) / 20).toString(QStringLiteral("yyyy/M/d")));
        QTest::keyClick(window.date_new, Qt::Key_Return);
        const QString description = QStringLiteral("第%1輪-%2").arg(run).arg(n);
        testing::retype(window.account_name, description);
        testing::retype(window.money_inout, QString::number(n));
        testing::retype(window.note_one, QStringLiteral("備註 %1").arg(n));
        testing::click(window.data_add);
        if (boxesShown > 0)
            return 3;
        const qint64 key = EntryStore::nextKey() - 1;
        std::printf("added %lld %s\n", static_cast<long long>(key), description.toUtf8().constData());
        std::fflush(stdout);
        if (n % 4 == 0 && window.DGrid->rows() > 2) {
            window.DGrid->setRow(window.DGrid->rows() - 1);
            testing::click(window.cmd_up_down[0]);
            if (boxesShown > 0)
                return 3;
        }
    }
    return 0;
}
