// Plays a person adding entries in the daily-entry window, on the real start-up, until it is
// killed. After each add has returned it prints "added <description>" and flushes, so the crash
// test knows which adds completed; every fourth add also moves the new entry up, so kills land
// inside moves as well. Usage: crash_driver FOLDER RUN

#include "app/Startup.h"
#include "entry/input_keyin.h"
#include "support/TestSupport.h"
#include "ui/DGrid.h"
#include "ui/MessageBox.h"
#include "ui/PushButton.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>

#include <cstdio>

int main(int argc, char *argv[])
{
    testing::headlessUnlessTold();
    QApplication app(argc, argv);
    ui::setupApplication(app);
    if (argc != 3 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1])))
        return 2;
    const int run = QString::fromLocal8Bit(argv[2]).toInt();
    // Nobody is there to answer a box: say what it said and end as a failure.
    ui::setMessageHook([](ui::BoxKind, const QString &text) {
        std::fprintf(stderr, "box: %s\n", text.toUtf8().constData());
        std::exit(3);
        return false;
    });
    input_keyin *window = startUp() ? new input_keyin : nullptr;
    if (window == nullptr || !testing::showActive(window))
        return 1;
    for (int n = 1;; ++n) {
        // Twenty entries a day keep each day's reload short.
        testing::retype(window->date_new, QDate(2024, 1, 1).addDays((run * 1000 + n) / 20).toString(u"yyyy/M/d"));
        QTest::keyClick(window->date_new, Qt::Key_Return);
        const QString description = QStringLiteral("第%1輪-%2").arg(run).arg(n);
        testing::retype(window->account_name, description);
        testing::retype(window->money_inout, QString::number(n));
        testing::retype(window->note_one, QStringLiteral("備註 %1").arg(n));
        testing::click(window->data_add);
        std::printf("added %s\n", description.toUtf8().constData());
        std::fflush(stdout);
        if (n % 4 == 0 && window->DGrid->rows() > 2) {
            window->DGrid->setRow(window->DGrid->rows() - 1);
            testing::click(window->cmd_up_down[0]);
        }
    }
}
