// Shows a message of the launcher in a window, for a person who started Quillory from the
// desktop's menu and so has no terminal to read it on: quillory-notice [--] TEXT.
//
// With QUILLORY_NOTICE_SHOWN set to a file name, the window is closed as soon as it is on
// the screen and its title and text are written into that file, so that a test can see
// what a person would have seen.

#include "platform/CommandLine.h"
#include "ui/AppSetup.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace {

const char program[] = "quillory-notice";
const char usage[] = "用法：quillory-notice [--] 訊息\n"
                     "Usage: quillory-notice [--] TEXT\n"
                     "\n"
                     "在一個視窗裡顯示訊息，按「確定」關閉。quillory-start 從桌面的選單啟動、沒有終端機\n"
                     "可以顯示訊息時，用它告訴使用者。\n"
                     "\n"
                     "Shows TEXT in a window until OK is pressed. quillory-start shows its messages so\n"
                     "when it was started from the desktop's menu, with no terminal to write them to.\n"
                     "\n"
                     "  --           之後的參數就是訊息，即使以 - 開頭 (what follows is the text)\n"
                     "  -h, --help   顯示這段說明 (show this text)\n"
                     "  --version    顯示版本 (show the version)\n";

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> answered = CommandLine::answerHelpOrVersion(arguments, program, usage))
        return *answered;
    if (arguments.size() == 2 && arguments.first() == QLatin1String("--"))
        arguments.removeFirst();
    else if (arguments.size() == 1 && arguments.first().startsWith(QLatin1Char('-')))
        return CommandLine::refuse(program, arguments.first(), 2);
    if (arguments.size() != 1) {
        std::fputs("用法：quillory-notice [--] 訊息 (usage: quillory-notice [--] TEXT)\n", stderr);
        return 2;
    }
    // The text is the message, never an option of Qt's: Qt sees the program's name alone.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    ui::setupApplication(app);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillory"), arguments.first(), QMessageBox::Ok);
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
