#include "app/AboutText.h"
#include "app/Form1.h"
#include "app/Startup.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "ui/PushButton.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>

using namespace database_access;

class MainMenuTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void laysOutTheFiveButtons();
    void tabWalksInItsOwnOrder();
    void enterAndSpacePressTheFocusedButton();
    void aboutBoxText();
    void startUpWithoutLedgerShowsTheErrorAndReadsNothing();
    void startUpWithLedgerButNoSummaryFile();
    void closingReleasesTheStore();
    void buttonsOpenTheirWindows();
};

void MainMenuTest::laysOutTheFiveButtons()
{
    TestLedger ledger;
    Form1 menu;
    QCOMPARE(menu.windowTitle(), QStringLiteral("Quillory"));
    const struct
    {
        ui::PushButton *button;
        const char *name;
        const char *caption;
    } expected[] = {
        { menu.Input, "Input", "帳目輸入" },
        { menu.cmd_check, "cmd_check", "查詢" },
        { menu.Command1, "Command1", "帳目種類管理" },
        { menu.exit, "exit", "離開" },
        { menu.cmd_about, "cmd_about", "關於我" },
    };
    for (const auto &e : expected) {
        QCOMPARE(e.button->objectName(), QString::fromLatin1(e.name));
        QCOMPARE(e.button->text(), QString::fromUtf8(e.caption));
        QVERIFY(QFontInfo(e.button->font()).family().contains(QStringLiteral("UMing")));
    }
    QCOMPARE(menu.Input->toolTip(), QStringLiteral("輸入帳目及簡易查詢"));
    // Centred on the screen.
    menu.show();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    const QRect screen = menu.screen()->availableGeometry();
    QVERIFY(qAbs(menu.frameGeometry().center().x() - screen.center().x()) <= 2);
    QCOMPARE(QApplication::focusWidget(), menu.Input);
}

void MainMenuTest::tabWalksInItsOwnOrder()
{
    TestLedger ledger;
    Form1 menu;
    menu.show();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    const QList<QWidget *> order = { menu.exit, menu.Command1, menu.cmd_recurring, menu.cmd_invoices, menu.cmd_check,
        menu.cmd_about, menu.date_roc, menu.Input };
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void MainMenuTest::enterAndSpacePressTheFocusedButton()
{
    TestLedger ledger;
    ScriptedBoxes boxes;
    Form1 menu;
    menu.show();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    menu.cmd_about->setFocus();
    QTest::keyClick(menu.cmd_about, Qt::Key_Return);
    QTest::keyClick(menu.cmd_about, Qt::Key_Space);
    QCOMPARE(boxes.texts(), QStringList({ aboutText(), aboutText() }));
    QTest::keyClick(menu.exit, Qt::Key_Return);
    QVERIFY(!menu.isVisible());
}

void MainMenuTest::aboutBoxText()
{
    const QString text = aboutText();
    const QStringList lines = text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 9);
    QVERIFY(!text.endsWith(QLatin1Char('\n')));
    QCOMPARE(lines.at(1), QString(12, QChar(0x3000)) + QStringLiteral("=============="));
    QVERIFY(lines.at(5).isEmpty());
    for (int i : { 0, 2, 3, 4, 6, 7, 8 })
        QVERIFY2(!lines.at(i).isEmpty(), qPrintable(QString::number(i)));
    QVERIFY(lines.at(7).contains(QLatin1Char('@')));
    QVERIFY(lines.at(8).contains(QStringLiteral("telnet://")));
}

void MainMenuTest::startUpWithoutLedgerShowsTheErrorAndReadsNothing()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QFile skinds(QStringLiteral("SKinds.txt"));
    QVERIFY(skinds.open(QIODevice::WriteOnly));
    skinds.write("4,5\r\n");
    skinds.close();
    SKinds = {};
    {
        ScriptedBoxes boxes;
        QVERIFY(!startUp());
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY(boxes.texts().first().contains(QStringLiteral("db1.mdb")));
    }
    QVERIFY(SKinds.isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("db1.mdb")));
    QVERIFY(!Is_Open());
    QDir::setCurrent(previous);
}

void MainMenuTest::startUpWithLedgerButNoSummaryFile()
{
    TestLedger ledger;
    Close_DB();
    SKinds = { 9 };
    ScriptedBoxes boxes;
    QVERIFY(startUp());
    QVERIFY(boxes.texts().isEmpty());
    QVERIFY(Is_Open());
    QCOMPARE(DB_Path, QStringLiteral("db1.mdb"));
    QVERIFY(SKinds.isEmpty());
}

void MainMenuTest::closingReleasesTheStore()
{
    {
        TestLedger ledger;
        Form1 menu;
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        menu.close(); // the close box
        QVERIFY(!Is_Open());
    }
    {
        TestLedger ledger;
        Form1 menu;
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        testing::click(menu.exit);
        QVERIFY(!Is_Open());
        QVERIFY(!menu.isVisible());
    }
}

void MainMenuTest::buttonsOpenTheirWindows()
{
    TestLedger ledger(true);
    ModalDriver modal;
    Form1 menu;
    menu.show();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    for (int i = 0; i < 3; ++i)
        modal.next([](QDialog *dialog) { dialog->close(); });
    testing::click(menu.Input);
    testing::click(menu.cmd_check);
    testing::click(menu.Command1);
    QCOMPARE(modal.shown(), QStringList({ "input_keyin", "check", "mang_kind" }));
    QVERIFY(modal.unexpected().isEmpty());
    QVERIFY(Is_Open());
}

QUILLORY_TEST_MAIN(MainMenuTest)
#include "mainmenu_test.moc"
