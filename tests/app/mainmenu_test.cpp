// The main menu: its five buttons, its keys, the windows it opens and the about box with its way
// to the guide, which F1 also opens; leaving gives the ledger free.

#include "app/AboutText.h"
#include "app/Form1.h"
#include "app/Startup.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "ui/FileDialog.h"
#include "ui/PushButton.h"

#include <QCheckBox>
#include <QDialog>
#include <QTemporaryDir>

using namespace database_access;

class MainMenuTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttonsKeysAndWindows()
    {
        TestLedger ledger(true);
        ScriptedBoxes boxes;
        ModalDriver modal;
        Form1 menu;
        QVERIFY(testing::showActive(&menu));
        for (ui::PushButton *button : { menu.Input, menu.cmd_check, menu.Command1, menu.cmd_recurring }) {
            modal.next([](QDialog *dialog) { dialog->close(); });
            testing::click(button);
        }
        QCOMPARE(modal.shown(), QStringList({ "input_keyin", "check", "mang_kind", "RecurringWindow" }));
        // 匯入… asks which kind of file; the file dialog then opens, or nothing when cancelled.
        ui::setOpenFilesHook([] { return QStringList(); });
        for (const int choice : { 0, 1, 2 }) {
            boxes.choose(choice);
            testing::click(menu.cmd_invoices);
        }
        ui::setOpenFilesHook({});
        QCOMPARE(boxes.take(), QStringList(3, QStringLiteral("要匯入哪一種檔案？")));
        // The about box: 確定 closes it, 使用說明 opens the guide, as F1 does.
        menu.cmd_about->setFocus();
        boxes.choose(0);
        QTest::keyClick(menu.cmd_about, Qt::Key_Return);
        QVERIFY(menu.findChild<QDialog *>(QStringLiteral("guide")) == nullptr);
        boxes.choose(1);
        QTest::keyClick(menu.cmd_about, Qt::Key_Space);
        QCOMPARE(boxes.texts(), QStringList({ aboutText(), aboutText() }));
        auto *guide = menu.findChild<QDialog *>(QStringLiteral("guide"));
        QTest::keyClick(guide, Qt::Key_F1); // F1 in the guide opens no second one
        QCOMPARE(menu.findChildren<QDialog *>(QStringLiteral("guide")).size(), 1);
        delete guide;
        QTest::keyClick(&menu, Qt::Key_F1);
        QVERIFY(menu.findChild<QDialog *>(QStringLiteral("guide")) != nullptr);
        delete menu.findChild<QDialog *>(QStringLiteral("guide"));
        QTest::keyClick(menu.exit, Qt::Key_Return);
        QVERIFY(!menu.isVisible() && !Is_Open());
        TestLedger again;
        Form1 closed;
        QVERIFY(testing::showActive(&closed));
        closed.close(); // the close box
        QVERIFY(!Is_Open());
    }
};

QUILLORY_TEST_MAIN(MainMenuTest)
#include "mainmenu_test.moc"
