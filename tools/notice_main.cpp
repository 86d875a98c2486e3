// Shows a message of the launcher in a window, for a person who started Quillory from the
// desktop's menu and so has no terminal to read it on: quillory-notice TEXT.
//
// With QUILLORY_NOTICE_SHOWN set to a file name, the window is closed as soon as it is on
// the screen and its title and text are written into that file, so that a test can see
// what a person would have seen.

#include "ui/AppSetup.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ui::setupApplication(app);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("用法：quillory-notice 訊息 (usage: quillory-notice TEXT)\n", stderr);
        return 2;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillory"), arguments.at(1), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);

    const QString shownFile = qEnvironmentVariable("QUILLORY_NOTICE_SHOWN");
    if (!shownFile.isEmpty()) {
        QTimer::singleShot(0, &box, [&box, shownFile] {
            QFile file(shownFile);
            if (box.isVisible() && file.open(QIODevice::WriteOnly)) {
                file.write((box.windowTitle() + QLatin1Char('\n') + box.text() + QLatin1Char('\n')).toUtf8());
                file.close();
            }
            box.accept();
        });
    }
    box.exec();
    return 0;
}
