#include "kinds/KindWindowDriving.h"

#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

using namespace kinds_testing;
using database_access::SKinds;

namespace {

void addKindWithId(qint64 id, const QString &name, qint64 keyOrder)
{
    database_access::Exec_SQL(
        QStringLiteral("INSERT INTO kind (a_kind, name, key_order) VALUES (?, ?, ?)"), { id, name, keyOrder });
}

} // namespace

class SummaryKindsEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addingPutsTheKindFirstAndRemovingKeepsTheFileOrder()
    {
        TestLedger ledger;
        addKindWithId(7, QStringLiteral("交通"), 1);
        addKindWithId(12, QStringLiteral("醫療"), 2);
        addKindWithId(3, QStringLiteral("餐費"), 3);
        ledger.writeSKinds("3,12\r\n");
        ScriptedBoxes boxes;
        auto window = openManager();
        // The list follows the kinds' order, the file keeps its own.
        QCOMPARE(itemTexts(window->skinds), QStringList({ "醫療", "餐費" }));

        doubleClickItem(window->kind, 0);
        QCOMPARE(ledger.readSKinds(), QByteArray("7,3,12\r\n"));
        QCOMPARE(SKinds, QVector<qint64>({ 7, 3, 12 }));
        QCOMPARE(itemTexts(window->skinds), QStringList({ "交通", "醫療", "餐費" }));

        doubleClickItem(window->kind, 2);
        QCOMPARE(boxes.take(), QStringList { QStringLiteral("此種類,餐費,已是結算分類之一了") });
        QCOMPARE(ledger.readSKinds(), QByteArray("7,3,12\r\n"));
        QCOMPARE(window->kind_name->text(), QStringLiteral("餐費"));

        // 餐費 is last in the list but in the middle of the file.
        doubleClickItem(window->skinds, 2);
        QCOMPARE(ledger.readSKinds(), QByteArray("7,12\r\n"));
        QCOMPARE(itemTexts(window->skinds), QStringList({ "交通", "醫療" }));
        // One remaining id is written between two blanks and still reads back as that id.
        doubleClickItem(window->skinds, 0);
        QCOMPARE(ledger.readSKinds(), QByteArray(" 12 \r\n"));
        QCOMPARE(SKinds, QVector<qint64> { 12 });
        QCOMPARE(itemTexts(window->skinds), QStringList { "醫療" });
        doubleClickItem(window->skinds, 0);
        QCOMPARE(ledger.readSKinds(), QByteArray("\r\n"));
        QVERIFY(SKinds.isEmpty());
        QCOMPARE(window->skinds->count(), 0);
        QVERIFY(boxes.texts().isEmpty());
        // Nothing but summary kinds is removed.
        QCOMPARE(window->kind->count(), 3);
    }
};

QUILLORY_TEST_MAIN(SummaryKindsEditorTest)
#include "summary_kinds_editor_test.moc"
