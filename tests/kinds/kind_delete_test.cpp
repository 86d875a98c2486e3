#include "kinds/KindWindowDriving.h"

#include "kinds/mang_kind_assign.h"
#include "safety/SafetySupport.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "ui/PushButton.h"

#include <QComboBox>
#include <QLabel>

#include <memory>

using namespace kinds_testing;
using database_access::SKinds;

namespace {

const QString askDelete = QStringLiteral("Are you sure to delete ?");
const QString deleted = QStringLiteral("Delete\rDone!");

QByteArray idLine(std::initializer_list<qint64> ids)
{
    QByteArrayList pieces;
    for (qint64 id : ids)
        pieces << QByteArray::number(id);
    return pieces.join(',') + "\r\n";
}

// A(1) with one entry, B(3) with two, C(7) and a second kind named B(9); summary kinds C, B, A.
struct Arranged
{
    qint64 a, b, c, d;
};

Arranged arrange(TestLedger &ledger)
{
    Arranged k {};
    k.a = ledger.addKind(QStringLiteral("A"), 1);
    k.b = ledger.addKind(QStringLiteral("B"), 3);
    k.c = ledger.addKind(QStringLiteral("C"), 7);
    k.d = ledger.addKind(QStringLiteral("B"), 9);
    ledger.addEntry(
        QStringLiteral("2024-05-01"), k.a, 0, QStringLiteral("早餐"), 50, QStringLiteral("-"), 1, QStringLiteral("A"));
    ledger.addEntry(
        QStringLiteral("2024-05-01"), k.b, 0, QStringLiteral("公車"), 15, QStringLiteral("-"), 2, QStringLiteral("B"));
    ledger.addEntry(
        QStringLiteral("2024-05-02"), k.b, 1, QStringLiteral("退款"), 30, QStringLiteral("-"), 3, QStringLiteral("B"));
    ledger.writeSKinds(idLine({ k.c, k.b, k.a }));
    return k;
}

// kind of every entry, by key.
QList<qint64> entryKinds(const TestLedger &ledger)
{
    QList<qint64> kinds;
    for (const QVariantList &row : ledger.rows(QStringLiteral("SELECT a_kind FROM data_main ORDER BY a_key")))
        kinds << row.first().toLongLong();
    return kinds;
}

struct Snapshot
{
    QList<QVariantList> kinds;
    QList<QVariantList> entries;
    QByteArray file;
    QVector<qint64> table;
};

Snapshot snapshot(const TestLedger &ledger)
{
    return { ledger.rows(QStringLiteral("SELECT * FROM kind ORDER BY a_kind")),
        ledger.rows(QStringLiteral("SELECT * FROM data_main ORDER BY a_key")), ledger.readSKinds(), SKinds };
}

#define COMPARE_SNAPSHOTS(actual, expected)                                                                            \
    do {                                                                                                               \
        const Snapshot now = (actual);                                                                                 \
        QCOMPARE(now.kinds, (expected).kinds);                                                                         \
        QCOMPARE(now.entries, (expected).entries);                                                                     \
        QCOMPARE(now.file, (expected).file);                                                                           \
        QCOMPARE(now.table, (expected).table);                                                                         \
    } while (false)

} // namespace

class KindDeleteTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kindsWithoutEntriesGoAfterConfirmation()
    {
        TestLedger ledger;
        ledger.addKind(QStringLiteral("A"), 1);
        const qint64 b = ledger.addKind(QStringLiteral("B"), 4);
        ledger.addKind(QStringLiteral("C"), 6);
        const QByteArray line = " " + QByteArray::number(b) + " \r\n";
        ledger.writeSKinds(line);
        ScriptedBoxes boxes;
        ModalDriver driver;
        auto window = openManager();

        clickItem(window->kind, 2);
        boxes.answer(true);
        testing::click(window->kind_del);
        QCOMPARE(boxes.take(), QStringList({ askDelete, deleted }));
        QVERIFY(driver.shown().isEmpty());
        QCOMPARE(ledger.rows(QStringLiteral("SELECT name, key_order FROM kind ORDER BY key_order")),
            QList<QVariantList>({ { "A", 1 }, { "B", 4 } }));
        QCOMPARE(ledger.readSKinds(), line);
        QCOMPARE(window->kind->currentRow(), 0);
        QCOMPARE(window->kind_name->text(), QStringLiteral("A"));

        // The only summary kind: the file keeps an empty line.
        clickItem(window->kind, 1);
        boxes.answer(true);
        testing::click(window->kind_del);
        QCOMPARE(ledger.readSKinds(), QByteArray("\r\n"));
        QVERIFY(SKinds.isEmpty());
        QCOMPARE(window->skinds->count(), 0);

        boxes.answer(true);
        testing::click(window->kind_del);
        QCOMPARE(ledger.rows(QStringLiteral("SELECT a_kind FROM kind")), QList<QVariantList>());
        QCOMPARE(window->kind->count(), 0);
        QVERIFY(window->kind_name->text().isEmpty());
        boxes.take();
        testing::click(window->kind_del);
        QVERIFY(boxes.texts().isEmpty());
    }

    void entriesMoveToTheKindChosenInTheDialog()
    {
        TestLedger ledger;
        const Arranged k = arrange(ledger);
        ScriptedBoxes boxes;
        ModalDriver driver;
        auto window = openManager();
        QString explanation;
        QString count;
        QStringList choices;
        int firstSelected = 0;
        bool okBeforeChoice = true;
        driver.next([&](QDialog *dialog) {
            auto *assign = qobject_cast<mang_kind_assign *>(dialog);
            explanation = assign->Label1->text();
            count = assign->Label2->text();
            for (int i = 0; i < assign->cob_kind->count(); ++i)
                choices << assign->cob_kind->itemText(i);
            firstSelected = assign->cob_kind->currentIndex();
            testing::click(assign->cmd_ok); // nothing picked yet: ok does nothing
            okBeforeChoice = assign->isVisible() && assign->cmd_ok->isEnabled();
            QTest::keyClick(assign->cob_kind, Qt::Key_Down);
            QTest::keyClick(assign->cob_kind, Qt::Key_Down);
            testing::click(assign->cmd_ok);
        });
        clickItem(window->kind, 1);
        boxes.answer(true);
        testing::click(window->kind_del);

        QCOMPARE(driver.shown(), QStringList { QStringLiteral("mang_kind_assign") });
        QCOMPARE(explanation, QStringLiteral("注意!!您所要刪除的種類,B,已經有關聯的資料,請選擇另一種類重建關聯!"));
        // The other kind that happens to bear the same name is still a place for the entries.
        QCOMPARE(choices, QStringList({ "A", "C", "B" }));
        QCOMPARE(firstSelected, -1);
        QVERIFY(!okBeforeChoice);
        QCOMPARE(count, QStringLiteral("共有 2 筆帳目要移過去。"));
        QCOMPARE(boxes.take(), QStringList({ askDelete, deleted }));
        QCOMPARE(entryKinds(ledger), QList<qint64>({ k.a, k.c, k.c }));
        QCOMPARE(ledger.rows(QStringLiteral("SELECT a_kind_name FROM data_main ORDER BY a_key")),
            QList<QVariantList>({ { "A" }, { "B" }, { "B" } }));
        QCOMPARE(ledger.rows(QStringLiteral("SELECT a_kind, key_order FROM kind ORDER BY key_order")),
            QList<QVariantList>({ { k.a, 1 }, { k.c, 7 }, { k.d, 9 } }));
        // The summary kinds left are written in the order the list shows them.
        QCOMPARE(ledger.readSKinds(), idLine({ k.a, k.c }));
        QCOMPARE(SKinds, QVector<qint64>({ k.a, k.c }));
        QCOMPARE(itemTexts(window->skinds), QStringList({ "A", "C" }));
        QCOMPARE(window->kind_name->text(), QStringLiteral("A"));
    }

    void noAfterTheDialogOrLeavingItWithoutOkChangesNothing()
    {
        TestLedger ledger;
        arrange(ledger);
        const Snapshot before = snapshot(ledger);
        ScriptedBoxes boxes;
        ModalDriver driver;
        auto window = openManager();
        using Leave = std::function<void(mang_kind_assign *)>;
        const QList<Leave> leaves = {
            [](mang_kind_assign *d) { testing::click(d->cmd_ok); }, // then No to the question
            [](mang_kind_assign *d) { testing::click(d->cmd_cancel); },
            [](mang_kind_assign *d) { QTest::keyClick(d, Qt::Key_Escape); },
            [](mang_kind_assign *d) { d->close(); },
        };
        for (const Leave &leave : leaves) {
            driver.next([&leave](QDialog *dialog) {
                auto *assign = qobject_cast<mang_kind_assign *>(dialog);
                QTest::keyClick(assign->cob_kind, Qt::Key_Down);
                leave(assign);
            });
            clickItem(window->kind, 1);
            if (&leave == &leaves.first())
                boxes.answer(false);
            testing::click(window->kind_del);
            QCOMPARE(boxes.take(), &leave == &leaves.first() ? QStringList { askDelete } : QStringList());
            COMPARE_SNAPSHOTS(snapshot(ledger), before);
            QCOMPARE(window->kind->count(), 4);
        }
    }

    void theLastKindKeepsItsEntries()
    {
        TestLedger ledger;
        const qint64 only = ledger.addKind(QStringLiteral("唯一"), 1);
        ledger.addEntry(QStringLiteral("2024-05-01"), only, 0, QStringLiteral("午餐"), 80, QStringLiteral("-"), 1);
        const Snapshot before = snapshot(ledger);
        ScriptedBoxes boxes;
        ModalDriver driver;
        auto window = openManager();
        testing::click(window->kind_del);
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY(boxes.texts().first().contains(QStringLiteral("無法刪除")));
        QVERIFY(driver.shown().isEmpty());
        COMPARE_SNAPSHOTS(snapshot(ledger), before);
    }

    void aCommitHeldUpByAnotherReaderLeavesEverythingAsItWas()
    {
        TestLedger ledger;
        arrange(ledger);
        // Another reader holds the ledger, so the commit cannot finish.
        auto reader = std::make_unique<safety::OtherConnection>(ledger.path(QStringLiteral("db1.mdb")));
        QVERIFY(reader->exec(QStringLiteral("BEGIN")));
        QVERIFY(reader->exec(QStringLiteral("SELECT count(*) FROM kind")));
        const Snapshot before = snapshot(ledger);
        ScriptedBoxes boxes;
        ModalDriver driver;
        auto window = openManager();
        driver.next([](QDialog *dialog) {
            auto *assign = qobject_cast<mang_kind_assign *>(dialog);
            assign->cob_kind->setCurrentIndex(0);
            testing::click(assign->cmd_ok);
        });
        clickItem(window->kind, 1);
        boxes.answer(true);
        testing::click(window->kind_del);
        reader.reset();

        const QStringList texts = boxes.take();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts.first(), askDelete);
        QVERIFY(texts.last() != deleted);
        COMPARE_SNAPSHOTS(snapshot(ledger), before);
        QCOMPARE(itemTexts(window->kind), QStringList({ "A", "B", "C", "B" }));
    }
};

QUILLORY_TEST_MAIN(KindDeleteTest)
#include "kind_delete_test.moc"
