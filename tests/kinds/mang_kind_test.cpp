#include "kinds/KindWindowDriving.h"

#include "store/database_access.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "ui/PushButton.h"

using namespace kinds_testing;

namespace {

// name, key_order of every kind, in list order.
QList<QVariantList> kindTable(const TestLedger &ledger)
{
    return ledger.rows(QStringLiteral("SELECT name, key_order FROM kind ORDER BY key_order, a_kind"));
}

} // namespace

class MangKindTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsEveryKindByOrderWithTheFirstCurrent()
    {
        TestLedger ledger;
        // Ids and list order differ, and there are more kinds than the old 51-slot limit.
        for (int i = 0; i < 60; ++i)
            ledger.addKind(QStringLiteral("種類%1").arg(i), 1000 - 10 * i);
        auto window = openManager();
        QCOMPARE(window->kind->count(), 60);
        QCOMPARE(window->kind->item(0)->text(), QStringLiteral("種類59"));
        QCOMPARE(window->kind->item(59)->text(), QStringLiteral("種類0"));
        QCOMPARE(window->kind->currentRow(), 0);
        QCOMPARE(window->kind_name->text(), QStringLiteral("種類59"));

        clickItem(window->kind, 57);
        QCOMPARE(window->kind_name->text(), QStringLiteral("種類2"));
        // Selecting from code is a click too.
        window->kind->setCurrentRow(58);
        QCOMPARE(window->kind_name->text(), QStringLiteral("種類1"));
    }

    void addTrimsAndRefusesExistingAndBlankNames()
    {
        TestLedger ledger;
        ledger.addKind(QStringLiteral("餐費"), 1);
        ledger.addKind(QStringLiteral("交通"), 4);
        ScriptedBoxes boxes;
        auto window = openManager();

        retype(window->kind_name, QStringLiteral("  書籍 "));
        testing::click(window->kind_add);
        QCOMPARE(boxes.take(), QStringList { QStringLiteral("Done!") });
        QCOMPARE(kindTable(ledger).last(), QVariantList({ QStringLiteral("書籍"), 5 }));
        QCOMPARE(itemTexts(window->kind), QStringList({ "餐費", "交通", "書籍" }));
        QCOMPARE(window->kind->currentRow(), 0);
        QCOMPARE(window->kind_name->text(), QStringLiteral("餐費"));

        const QList<QVariantList> before = kindTable(ledger);
        retype(window->kind_name, QStringLiteral(" 交通"));
        testing::click(window->kind_add);
        QCOMPARE(boxes.take(),
            QStringList { QStringLiteral("Error!! ...There is a data as the same as what you key in!!") });
        retype(window->kind_name, QStringLiteral("   "));
        testing::click(window->kind_add);
        QCOMPARE(boxes.take(), QStringList { QStringLiteral("Please key in correct data in the faild") });
        QCOMPARE(kindTable(ledger), before);
        QCOMPARE(window->kind->count(), 3);
    }

    void renameAsksFirstAndChecksTheNewName()
    {
        TestLedger ledger;
        ledger.addKind(QStringLiteral("A"), 1);
        const qint64 b = ledger.addKind(QStringLiteral("B"), 2);
        ledger.addKind(QStringLiteral("C"), 3);
        ledger.addEntry(QStringLiteral("2024-05-01"), b, 0, QStringLiteral("x"), 10, QStringLiteral("備註"), 1,
            QStringLiteral("B"));
        ScriptedBoxes boxes;
        auto window = openManager();
        const QString question = QStringLiteral("Are you sure to save data that you just changed?");
        const auto renameTo = [&](const QString &name, bool yes) {
            clickItem(window->kind, 1);
            retype(window->kind_name, name);
            boxes.answer(yes);
            testing::click(window->kind_modify);
            return boxes.take();
        };

        QCOMPARE(renameTo(QStringLiteral("B2"), false), QStringList { question });
        QCOMPARE(renameTo(QStringLiteral("  "), true),
            QStringList({ question, QStringLiteral("Please key in correct data in the field!!") }));
        QCOMPARE(renameTo(QStringLiteral("C"), true),
            QStringList({ question, QStringLiteral("Error!! ...There is a data as the same as what you key in!!") }));
        QCOMPARE(ledger.scalar(QStringLiteral("SELECT name FROM kind WHERE a_kind=?"), { b }).toString(),
            QStringLiteral("B"));

        // Its own name is no clash.
        QCOMPARE(renameTo(QStringLiteral(" B "), true), QStringList({ question, QStringLiteral("Modify\rDond!") }));
        QCOMPARE(renameTo(QStringLiteral("B2 "), true), QStringList({ question, QStringLiteral("Modify\rDond!") }));
        QCOMPARE(ledger.scalar(QStringLiteral("SELECT name FROM kind WHERE a_kind=?"), { b }).toString(),
            QStringLiteral("B2"));
        QCOMPARE(window->kind->currentRow(), 1);
        QCOMPARE(window->kind_name->text(), QStringLiteral("B2"));
        QCOMPARE(itemTexts(window->kind), QStringList({ "A", "B2", "C" }));
        // Entries keep the name they were written with.
        QCOMPARE(ledger.scalar(QStringLiteral("SELECT a_kind_name FROM data_main")).toString(), QStringLiteral("B"));
        QVERIFY(boxes.unexpected().isEmpty());
    }

    void moveSwapsNeighboursKeepingGapsAndStopsAtTheEnds()
    {
        TestLedger ledger;
        // Created in another order than shown, with gaps as deletions leave them.
        ledger.addKind(QStringLiteral("D"), 20);
        ledger.addKind(QStringLiteral("A"), 2);
        ledger.addKind(QStringLiteral("C"), 9);
        ledger.addKind(QStringLiteral("B"), 5);
        ScriptedBoxes boxes;
        auto window = openManager();

        testing::click(window->cmd_up);
        QCOMPARE(boxes.take(), QStringList { QStringLiteral("You can't move it up any more!") });
        testing::click(window->cmd_down);
        QCOMPARE(boxes.take(), QStringList());
        QCOMPARE(kindTable(ledger), QList<QVariantList>({ { "B", 2 }, { "A", 5 }, { "C", 9 }, { "D", 20 } }));
        QCOMPARE(window->kind->currentRow(), 1);
        QCOMPARE(window->kind_name->text(), QStringLiteral("A"));
        QCOMPARE(QApplication::focusWidget(), window->kind);

        clickItem(window->kind, 3);
        testing::click(window->cmd_down);
        QCOMPARE(boxes.take(), QStringList { QStringLiteral("You can't move it down any more!") });
        testing::click(window->cmd_up);
        testing::click(window->cmd_up);
        QCOMPARE(kindTable(ledger), QList<QVariantList>({ { "B", 2 }, { "D", 5 }, { "A", 9 }, { "C", 20 } }));
        QCOMPARE(itemTexts(window->kind), QStringList({ "B", "D", "A", "C" }));
        QCOMPARE(window->kind_name->text(), QStringLiteral("D"));
        QVERIFY(boxes.texts().isEmpty());
    }

    void anEmptyListOnlyTakesAnAdd()
    {
        TestLedger ledger;
        ledger.writeSKinds("4,5\r\n");
        ScriptedBoxes boxes;
        ModalDriver driver;
        auto window = openManager();
        for (ui::PushButton *button : { window->kind_modify, window->cmd_up, window->cmd_down, window->kind_del })
            testing::click(button);
        QTest::mouseDClick(window->kind->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QTest::mouseDClick(window->skinds->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QVERIFY(boxes.texts().isEmpty());
        QVERIFY(driver.shown().isEmpty());
        QCOMPARE(ledger.readSKinds(), QByteArray("4,5\r\n"));

        // The first kind of an empty table comes first in the order.
        retype(window->kind_name, QStringLiteral("雜項"));
        testing::click(window->kind_add);
        QCOMPARE(boxes.take(), QStringList { QStringLiteral("Done!") });
        QCOMPARE(kindTable(ledger), QList<QVariantList>({ { "雜項", 1 } }));
    }
};

QUILLORY_TEST_MAIN(MangKindTest)
#include "mang_kind_test.moc"
