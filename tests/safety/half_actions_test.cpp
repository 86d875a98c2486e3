// Actions of several steps, failing at each step in turn: afterwards the ledger, SKinds.txt and
// the summary-kind table are exactly as before, the person is told, and the next try works.
// SKinds.txt that cannot be written, whatever the reason, stays whole.

#include "safety/SafetySupport.h"

#include "entry/EntryWindow.h"
#include "kinds/KindWindowDriving.h"
#include "kinds/mang_kind_assign.h"
#include "support/FullDisk.h"
#include "support/ModalDriver.h"

#include <QScopeGuard>

#include <memory>

using namespace safety;
using database_access::SKinds;

namespace {

// The ledger, SKinds.txt and the summary-kind table, as one text.
QString picture(const TestLedger &ledger)
{
    return ledgerContent().join(u'\n') + QString::fromLatin1(ledger.readSKinds())
        + database_access::SKinds_Line(SKinds);
}

// Makes a step of the next action fail until the guard handed back goes: statement 1, 2 or 3
// in the order they run, "file" (SKinds.txt read-only), "folder" (its folder read-only), "full"
// (no file may grow, as on a full disk) or "commit".
auto failing(const QString &step, const TestLedger &ledger)
{
    const auto diskError = [] { throw StoreError(QStringLiteral("資料庫錯誤：disk I/O error")); };
    if (step.toInt() > 0)
        database_access::Set_Statement_Hook([diskError, left = step.toInt()](const QString &) mutable {
            if (--left == 0)
                diskError();
        });
    if (step == QStringLiteral("commit"))
        database_access::Set_Commit_Hook(diskError);
    if (step == QStringLiteral("file"))
        setMode(ledger.path(QStringLiteral("SKinds.txt")), 0444);
    if (step == QStringLiteral("folder"))
        setMode(ledger.folder(), 0555);
    auto full = step == QStringLiteral("full") ? std::make_shared<testing::FullDisk>(2) : nullptr;
    return qScopeGuard([&ledger, full]() mutable {
        database_access::Set_Statement_Hook({});
        database_access::Set_Commit_Hook({});
        full.reset();
        setMode(ledger.folder(), 0700);
        setMode(ledger.path(QStringLiteral("SKinds.txt")), 0644);
    });
}

} // namespace

class HalfActionsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void movingAnEntryIsAllOrNothing()
    {
        for (const QString &step : QStringList({ "1", "2", "3", "commit" })) {
            EntryWindow s;
            s.ledger.writeSKinds("1\r\n");
            for (const auto &[content, key] :
                { std::pair { "早餐", 3 }, std::pair { "午餐", 8 }, std::pair { "晚餐", 9 } })
                s.ledger.addEntry(QStringLiteral("2024-05-15"), s.food, 0, QString::fromUtf8(content), 50, {}, key);
            input_keyin *w = s.open();
            const QString before = picture(s.ledger);
            {
                const auto failed = failing(step, s.ledger);
                s.clickRow(2);
                s.press(w->cmd_up_down[1]);
                QCOMPARE(s.boxes.take(), QStringList { "資料庫錯誤：disk I/O error" });
                QCOMPARE(picture(s.ledger), before);
            }
            // Nothing is left half open: the same move goes through now.
            s.clickRow(2);
            s.press(w->cmd_up_down[1]);
            QCOMPARE(s.boxes.take(), QStringList());
            QCOMPARE(s.ledger.rows(QStringLiteral("SELECT a_content, a_key FROM data_main ORDER BY a_key")),
                QList<QVariantList>({ { "早餐", 3 }, { "晚餐", 8 }, { "午餐", 9 } }));
        }
    }

    // Moving a kind down, and deleting one with its entries going to another (丙), failing at
    // each step; then adding and taking away a summary kind when SKinds.txt cannot be written.
    void kindChangesAreAllOrNothing_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("step");
        for (const auto &[action, steps] : std::initializer_list<std::pair<const char *, QStringList>> {
                 { "move", { "1", "2", "commit" } }, { "delete", { "1", "2", "file", "commit" } },
                 { "add", { "file", "folder", "full" } }, { "remove", { "file", "folder", "full" } } })
            for (const QString &step : steps)
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(action), step)))
                    << QString::fromLatin1(action) << step;
    }

    void kindChangesAreAllOrNothing()
    {
        QFETCH(QString, action);
        QFETCH(QString, step);
        TestLedger ledger; // kinds 1 甲, 2 乙, 3 丙
        int order = 0;
        for (const char *name : { "甲", "乙", "丙" })
            ledger.addKind(QString::fromUtf8(name), ++order);
        ledger.addEntry(QStringLiteral("2024-05-01"), 2, 0, QStringLiteral("一"), 10, {}, 1, QStringLiteral("乙"));
        ledger.addEntry(QStringLiteral("2024-05-02"), 2, 1, QStringLiteral("二"), 20, {}, 2, QStringLiteral("乙"));
        ledger.addEntry(QStringLiteral("2024-05-02"), 3, 0, QStringLiteral("三"), 30, {}, 3, QStringLiteral("丙"));
        const bool summary = action == QStringLiteral("add") || action == QStringLiteral("remove");
        ledger.writeSKinds(summary ? "3,2\r\n" : "3,2,1\r\n");
        ScriptedBoxes boxes;
        ModalDriver driver;
        auto window = kinds_testing::openManager();
        const QString before = picture(ledger);
        const auto act = [&] {
            if (summary)
                return kinds_testing::doubleClickItem(
                    action == QStringLiteral("add") ? window->kind : window->skinds, 0);
            kinds_testing::clickItem(window->kind, 1);
            if (action == QStringLiteral("move"))
                return testing::click(window->cmd_down);
            driver.next([](QDialog *dialog) {
                auto *assign = qobject_cast<mang_kind_assign *>(dialog);
                QTest::keyClick(assign->cob_kind, Qt::Key_Down);
                QTest::keyClick(assign->cob_kind, Qt::Key_Down);
                testing::click(assign->cmd_ok);
            });
            boxes.answer(true);
            testing::click(window->kind_del);
        };
        {
            const auto failed = failing(step, ledger);
            act();
        }
        const QStringList texts = boxes.take();
        QVERIFY2(!texts.isEmpty() && texts.last() != QStringLiteral("Delete\rDone!"), qPrintable(texts.join(u'|')));
        QVERIFY(step.toInt() > 0 || step == QStringLiteral("commit")
            || texts.last().startsWith(QStringLiteral("無法儲存結算分類檔 SKinds.txt：")));
        QCOMPARE(picture(ledger), before);
        QCOMPARE(QDir(ledger.folder()).entryList(QDir::Files).size(), 2); // no temporary left beside SKinds.txt

        // With the trouble gone, the same action goes through.
        act();
        boxes.take();
        QCOMPARE(driver.unexpected(), QStringList());
        const auto column = [&ledger](const char *sql) { return ledger.scalar(QString::fromLatin1(sql)).toString(); };
        // The kinds in their order, the entries' kinds, SKinds.txt.
        const QMap<QString, QStringList> after
            = { { "move", { "1,3,2", "2,2,3", "3,2,1\r\n" } }, { "delete", { "1,3", "3,3,3", "1,3\r\n" } },
                  { "add", { "1,2,3", "2,2,3", "1,3,2\r\n" } }, { "remove", { "1,2,3", "2,2,3", " 3 \r\n" } } };
        QCOMPARE(QStringList({ column("SELECT group_concat(a_kind) FROM (SELECT a_kind FROM kind ORDER BY key_order)"),
                     column("SELECT group_concat(a_kind) FROM data_main"), QString::fromLatin1(ledger.readSKinds()) }),
            after.value(action));
        QCOMPARE(database_access::SKinds_Line(SKinds), QString::fromLatin1(ledger.readSKinds()).trimmed());
    }
};

SAFETY_TEST_MAIN(HalfActionsTest)
#include "half_actions_test.moc"
